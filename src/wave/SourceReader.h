// A source of any container the run reads: the open looks at the first bytes and hands on to
// the WAV, AIFF or FLAC reader; everything else goes to the WAV reader, whose refusal a file
// of no known container gets.
#pragma once

#include <memory>
#include <string>

#include "wave/AiffReader.h"
#include "wave/FlacReader.h"
#include "wave/SampleSource.h"
#include "wave/WaveReader.h"

namespace tacetix {

class SourceReader final : public SampleSource {
 public:
  SourceReader();
  ~SourceReader() override;

  int Open(const std::string& path, const ReadOptions& options = {});
  int OpenMemory(const uint8_t* data, size_t length, const ReadOptions& options = {});
  int Close() override { return Active->Close(); }

  int GetInfo(WaveInfo& info) override { return Active->GetInfo(info); }
  int SeekSample(int64_t index) override { return Active->SeekSample(index); }
  int ClearReadPosition() override { return Active->ClearReadPosition(); }
  int ReadSamples(double* dest, int32_t requested, int32_t& delivered) override {
    return Active->ReadSamples(dest, requested, delivered);
  }
  int ReadSampleBytes(uint8_t* dest, int32_t requested, int32_t& delivered) override {
    return Active->ReadSampleBytes(dest, requested, delivered);
  }
  SampleCoding Coding() const override { return Active->Coding(); }
  const FormatBody& Format() const override { return Active->Format(); }
  bool IsFloat() const override { return Active->IsFloat(); }
  AudioContainer Container() const override { return Active->Container(); }
  int32_t SubFormat() const override { return Active->SubFormat(); }
  uint32_t ChannelMask() const override { return Active->ChannelMask(); }
  uint64_t IgnoredDataBytes() const override { return Active->IgnoredDataBytes(); }
  uint64_t MissingDataBytes() const override { return Active->MissingDataBytes(); }
  const std::vector<ChunkEntry>& Chunks() const override { return Active->Chunks(); }
  int ReadInputBytes(int64_t offset, uint8_t* dest, size_t length) override {
    return Active->ReadInputBytes(offset, dest, length);
  }
  const std::string& FailReason() const override { return Active->FailReason(); }
  FailureKind FailKind() const override { return Active->FailKind(); }
  bool WalkCancelled() const override { return Active->WalkCancelled(); }
  std::shared_ptr<const FlacBlocks> FlacMetadata() const override { return Active->FlacMetadata(); }
  std::shared_ptr<const AiffChunks> AiffMetadata() const override { return Active->AiffMetadata(); }

 private:
  SampleSource* Pick(const uint8_t* head, size_t length, const std::string& path);

  WaveReader Wave;
  std::unique_ptr<AiffReader> Aiff;
  std::unique_ptr<FlacReader> Flac;
  SampleSource* Active = &Wave;
};

// The container the first bytes of a file name (an ID3 tag before a FLAC stream when the
// name says .flac); Wave for everything else, which the WAV reader then judges.
AudioContainer SniffContainer(const uint8_t* head, size_t length, const std::string& path);

}  // namespace tacetix
