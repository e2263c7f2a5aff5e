// One WAVE source, from a file or from memory: the chunk walk that finds and checks fmt and
// data, the format, the list of the chunks, and the samples, decoded or as stored.
// Every operation returns 0 for success, 1 for failure (the sample reads also 2 for the end
// of the data); FailReason and FailKind then tell why. Nothing here throws across the API.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "wave/RIFFFile.h"
#include "wave/SampleCodecs.h"
#include "wave/SampleSource.h"
#include "wave/WaveFormat.h"

namespace tacetix {

// How a source is opened.
struct ReadOptions {
  // The RIFF size must equal the source's size - 8.
  bool SizeCheck = false;
  // The walk goes on past the data chunk to the end of the source and keeps every chunk header
  // in file order (Chunks). A chunk after data that runs past the end, or one past MaxChunks,
  // ends the list quietly.
  bool ListChunks = false;
  // Called every 1024 chunk headers of the walk; true stops it (FailKind Cancelled).
  std::function<bool()> WalkPoll;
  // A FLAC source is decoded whole at the open, polled as a walk is, and refused when a frame
  // is broken or the audio misses its MD5 signature or frame count: nothing is written from
  // it. Without this, only the header is read (a stream of no stated length is still counted).
  bool VerifyStream = false;
  // FLAC: the most bytes of decoded samples the check keeps for the reads that follow (then
  // the stream is decoded once); a larger stream is decoded again, sought where it is read.
  uint64_t KeptBytes = uint64_t{256} << 20;
};

class WaveReader : public RIFFFile, public SampleSource {
 public:
  WaveReader();
  ~WaveReader() override;

  int Open(const std::string& path, const ReadOptions& options = {});
  // As Open, over length bytes at data, which must stay alive and unchanged while open.
  int OpenMemory(const uint8_t* data, size_t length, const ReadOptions& options = {});
  // Finds and validates the fmt and data chunks.
  int ReadHeader(bool sizeCheck) override;
  // Closes the source and resets the reader. Always 0.
  int CloseInput() override;
  int Close() override { return CloseInput(); }
  // Loads the format once.
  int ReadFormat();
  int GetInfo(WaveInfo& info) override;
  // Sets the read position to sample index (not frame); 1 when it lies at or past the end.
  int SeekSample(int64_t index) override;
  int ClearReadPosition() override;
  // Decodes up to requested samples into dest; 2 when the read position was already at the end.
  int ReadSamples(double* dest, int32_t requested, int32_t& delivered) override;
  // As ReadSamples, but stores the samples' bytes as the source holds them, in one read
  // (dest has room for requested samples of Coding's size).
  int ReadSampleBytes(uint8_t* dest, int32_t requested, int32_t& delivered) override;
  SampleCoding Coding() const override;
  // Chunks of the source in file order, fmt and data included (not an RF64 file's ds64, which
  // belongs to its header); empty unless the open listed them.
  const std::vector<ChunkEntry>& Chunks() const override { return ChunkList; }
  // Exactly length bytes of the source from offset; 1 when they are not all there.
  int ReadInputBytes(int64_t offset, uint8_t* dest, size_t length) override;
  // dwChannelMask of an extensible fmt of 40 bytes or more, else 0.
  uint32_t ChannelMask() const override { return Mask; }
  const FormatBody& Format() const override { return InputFormat; }
  AudioContainer Container() const override { return AudioContainer::Wave; }
  // The GUID's leading code of an extensible fmt; 0 = none.
  int32_t SubFormat() const override { return SubFormatCode; }
  // The samples are float (by tag, or by an extensible fmt's sub-format).
  bool IsFloat() const override;
  // Samples in the data chunk as the source holds it; 0 when no format is known.
  int64_t SampleCount() const;
  // Bytes of a RIFF (not RF64) file's data chunk past the largest size its 32-bit field can
  // declare, which a streaming writer that did not know the length left behind; they are not
  // read. 0 for every other file.
  uint64_t IgnoredDataBytes() const override { return DataPastSize; }
  // Bytes a data chunk declares past the end of the file (a copy or a recording cut short);
  // the samples up to the end are read. 0 when the file holds all, or declares the streaming
  // writers' unknown length.
  uint64_t MissingDataBytes() const override { return DataShortBy; }
  const std::string& FailReason() const override { return RIFFFile::FailReason(); }
  FailureKind FailKind() const override { return RIFFFile::FailKind(); }
  bool WalkCancelled() const override { return RIFFFile::WalkCancelled(); }

 private:
  using RIFFFile::OpenInput;  // the options come with Open
  using RIFFFile::OpenMemory;
  void Prepare(const ReadOptions& options);
  int StartRead(int32_t& bytesPerSample);
  int LocateChunks();
  int WalkTo(const char* wanted, ChunkHeader& chunk, int64_t& chunkEnd);
  void ListRest();
  int WalkFailure(const char* wanted, const ChunkHeader& last, int64_t lastEnd);
  int CheckFormat() const;
  FailureKind FormatRefusalKind() const;
  std::string FormatRefusal() const;
  bool IsInteger() const;
  void ResetReader();

  int64_t FmtOffset = 0;
  uint64_t FmtSize = 0;
  int64_t DataOffset = 0;
  int64_t DataLength = 0;
  uint64_t DataPastSize = 0;
  uint64_t DataShortBy = 0;
  FormatBody InputFormat{};
  int32_t SubFormatCode = 0;
  uint32_t Mask = 0;
  bool FormatRead = false;
  int64_t ReadPosition = -1;
  bool ListChunks = false;
  std::vector<ChunkEntry> ChunkList;
};

}  // namespace tacetix
