// One AIFF or AIFF-C source, from a file or from memory: the IFF walk (RIFF's big-endian
// parent, on the same walker) that finds and checks COMM and SSND, and the samples handed out
// as a WAVE data chunk would hold them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "wave/RIFFFile.h"
#include "wave/SampleSource.h"
#include "wave/WaveReader.h"

namespace tacetix {

// How an AIFF file stores its samples.
enum class AiffCoding : uint8_t { BigInteger, LittleInteger, BigFloat };

class AiffReader : public RIFFFile, public SampleSource {
 public:
  AiffReader();
  ~AiffReader() override;

  int Open(const std::string& path, const ReadOptions& options = {});
  int OpenMemory(const uint8_t* data, size_t length, const ReadOptions& options = {});
  int ReadHeader(bool sizeCheck) override;
  int CloseInput() override;
  int Close() override { return CloseInput(); }

  int GetInfo(WaveInfo& info) override;
  int SeekSample(int64_t index) override;
  int ClearReadPosition() override;
  int ReadSamples(double* dest, int32_t requested, int32_t& delivered) override;
  int ReadSampleBytes(uint8_t* dest, int32_t requested, int32_t& delivered) override;
  SampleCoding Coding() const override;
  const FormatBody& Format() const override { return InputFormat; }
  bool IsFloat() const override { return Stored == AiffCoding::BigFloat; }
  AudioContainer Container() const override { return AudioContainer::Aiff; }
  uint64_t MissingDataBytes() const override { return DataShortBy; }
  const std::vector<ChunkEntry>& Chunks() const override { return NoChunks; }
  int ReadInputBytes(int64_t offset, uint8_t* dest, size_t length) override;
  const std::string& FailReason() const override { return RIFFFile::FailReason(); }
  FailureKind FailKind() const override { return RIFFFile::FailKind(); }
  bool WalkCancelled() const override { return RIFFFile::WalkCancelled(); }
  std::shared_ptr<const AiffChunks> AiffMetadata() const override { return Metadata; }
  // The form is AIFF-C.
  bool IsCompressedForm() const { return Extended; }

 private:
  using RIFFFile::OpenInput;
  using RIFFFile::OpenMemory;
  void Reset();
  int WalkChunks();
  int ReadCommon(const ChunkHeader& chunk);
  int ReadCompression(const uint8_t* type);
  int ReadSoundData();
  int CheckCommon(double rate, int32_t bits);
  void Note(const ChunkHeader& chunk);
  void ListRest();

  FormatBody InputFormat{};
  AiffCoding Stored = AiffCoding::BigInteger;
  bool Extended = false;
  bool CommonRead = false;
  int64_t Frames = 0;      // as COMM declares them
  int64_t DataOffset = 0;  // first sample byte
  int64_t DataLength = 0;  // bytes of whole samples read
  uint64_t DataShortBy = 0;
  int64_t SoundBodyOffset = 0;
  uint64_t SoundBodySize = 0;
  int64_t ReadPosition = -1;  // in bytes from DataOffset
  std::vector<ChunkEntry> NoChunks;
  bool ListChunks = false;
  std::shared_ptr<AiffChunks> Metadata;  // listed: the chunks an output may carry
  uint64_t CarriedBytes = 0;
};

// The value of an 80-bit IEEE 754 extended number, big-endian, as AIFF states its rate; NaN
// for the NaNs and infinities.
double LoadExtended80(const uint8_t* p);

}  // namespace tacetix
