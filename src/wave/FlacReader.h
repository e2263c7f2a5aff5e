// One FLAC source through libFLAC, from a file or from memory: STREAMINFO, the check of the
// whole stream (frames, MD5 signature, frame count), and the samples handed out as a WAVE
// data chunk would hold them, the decoder sought to where the run reads.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "wave/ByteSource.h"
#include "wave/FlacMetadata.h"
#include "wave/SampleSource.h"
#include "wave/WaveReader.h"

namespace tacetix {

class FlacReader final : public SampleSource {
 public:
  FlacReader();
  ~FlacReader() override;
  FlacReader(const FlacReader&) = delete;
  FlacReader& operator=(const FlacReader&) = delete;

  int Open(const std::string& path, const ReadOptions& options = {});
  int OpenMemory(const uint8_t* data, size_t length, const ReadOptions& options = {});
  int Close() override;

  int GetInfo(WaveInfo& info) override;
  int SeekSample(int64_t index) override;
  int ClearReadPosition() override;
  int ReadSamples(double* dest, int32_t requested, int32_t& delivered) override;
  int ReadSampleBytes(uint8_t* dest, int32_t requested, int32_t& delivered) override;
  SampleCoding Coding() const override;
  const FormatBody& Format() const override { return InputFormat; }
  bool IsFloat() const override { return false; }
  AudioContainer Container() const override { return AudioContainer::Flac; }
  const std::vector<ChunkEntry>& Chunks() const override { return NoChunks; }
  int ReadInputBytes(int64_t offset, uint8_t* dest, size_t length) override;
  const std::string& FailReason() const override { return Reason; }
  FailureKind FailKind() const override { return Kind; }
  bool WalkCancelled() const override { return Stopped; }
  std::shared_ptr<const FlacBlocks> FlacMetadata() const override { return Blocks; }

  // libFLAC's callbacks reach the reader through these (FlacReader.cpp).
  struct Glue;

 private:
  int Start(const ReadOptions& options);
  int InitDecoder();
  int CheckStream();
  int Verify();
  int Refuse(FailureKind kind, const std::string& reason);
  int DecoderFailure(const char* what);
  bool FillPending();
  void TakeFrame(const void* frame, const int32_t* const* channels);
  void Count(const void* frame, const int32_t* const* channels);
  void Keep(const void* block);

  FileSource FileInput;
  MemorySource MemoryInput;
  ByteSource* Input = nullptr;
  int64_t InputPosition = 0;
  int64_t InputSize = 0;
  void* Decoder = nullptr;  // FLAC__StreamDecoder
  FormatBody InputFormat{};
  int32_t Bits = 0;
  int64_t StatedSamples = 0;  // STREAMINFO's frame count times the channels; 0 unknown
  int64_t Samples = 0;        // as read: the stated count, or the count found
  bool InfoSeen = false;
  std::function<bool()> Poll;
  bool Stopped = false;
  // The frame decoded last, as WAVE bytes, and where the next sample to hand out lies in it.
  std::vector<uint8_t> Pending;
  size_t PendingAt = 0;
  int64_t DecoderAt = 0;      // the sample index of Pending[PendingAt]
  int64_t ReadPosition = -1;  // sample index; -1 none
  bool Seeking = false;       // a seek is under way: the frame it lands in says where it is
  bool Counting = false;      // the whole-stream check: frames are counted, not kept
  int64_t Counted = 0;
  // The check's decoded samples as WAVE bytes, while they fit the budget (Keeping) and once
  // complete (Kept): then the reads copy from them and the decoder stays where it is.
  std::vector<uint8_t> Decoded;
  uint64_t KeptBudget = 0;
  bool ListBlocks = false;  // the open lists the metadata: its blocks are kept for the output
  std::shared_ptr<FlacBlocks> Blocks;
  uint64_t KeptBlockTotal = 0;
  bool Keeping = false;
  bool Kept = false;
  int64_t FramesSeen = 0;
  std::string StreamError;  // the first error libFLAC reported, with where
  std::vector<ChunkEntry> NoChunks;
  std::string Reason;
  FailureKind Kind = FailureKind::None;
};

}  // namespace tacetix
