// PCMFile: one source and one output in a single object, for the benches and the tests
// that read a file and write one from it. It holds a WaveReader and a
// WaveWriter and keeps the options its setters give until the open or the create that uses
// them; the run itself uses the reader and the writer directly.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "wave/WaveReader.h"
#include "wave/WaveWriter.h"

namespace tacetix {

class PCMFile {
 public:
  PCMFile() = default;
  // Closes the output (moving it onto its name) before the input.
  ~PCMFile() = default;
  PCMFile(const PCMFile&) = delete;
  PCMFile& operator=(const PCMFile&) = delete;

  // Opens the source with the options set so far.
  int OpenInput(const std::string& path, bool sizeCheck);
  int CloseInput() { return Read().CloseInput(); }
  int GetInfo(WaveInfo& info) { return Read().GetInfo(info); }
  int SeekSample(int64_t index) { return Read().SeekSample(index); }
  int ClearReadPosition() { return Read().ClearReadPosition(); }
  int ReadSamples(double* dest, int32_t requested, int32_t& delivered) {
    return Read().ReadSamples(dest, requested, delivered);
  }
  int ReadSampleBytes(uint8_t* dest, int32_t requested, int32_t& delivered) {
    return Read().ReadSampleBytes(dest, requested, delivered);
  }
  int ReadInputBytes(int64_t offset, uint8_t* dest, size_t length) {
    return Read().ReadInputBytes(offset, dest, length);
  }
  SampleCoding InputCoding() const { return Reader.Coding(); }
  void SetListChunks(bool on) { Options.ListChunks = on; }
  void SetWalkPoll(std::function<bool()> poll) { Options.WalkPoll = std::move(poll); }
  bool WalkCancelled() const { return Reader.WalkCancelled(); }
  const std::vector<ChunkEntry>& InputChunks() const { return Reader.Chunks(); }
  uint32_t InputChannelMask() const { return Reader.ChannelMask(); }
  const FormatBody& InputFormatBody() const { return Reader.Format(); }
  int32_t InputSubFormat() const { return Reader.SubFormat(); }

  void SetOutputExtras(OutputExtras extras) { Extras = std::move(extras); }
  // -1 (default): as many samples as the source has.
  void SetExpectedOutputSamples(int64_t sampleCount) { ExpectedSamples = sampleCount; }
  // The output's format is derived from the open source's (see FormatChoice); replace false:
  // the move only takes a free name.
  int CreateOutput(const std::string& path, int32_t bits, int16_t tag, int32_t bytesPerSample, bool replace = true);
  int RewindOutput() { return Write().Rewind(); }
  int WriteSamples(const double* source, int32_t count, int32_t& written) {
    return Write().WriteSamples(source, count, written);
  }
  int WriteSampleBytes(const uint8_t* source, int32_t count, int32_t& written) {
    return Write().WriteSampleBytes(source, count, written);
  }
  int FinishOutput() { return Write().Finish(); }
  int CloseOutput() { return Write().Close(); }
  void DiscardOutput() { Write().Discard(); }
  SampleCoding OutputCoding() const { return Writer.Coding(); }
  bool OutputReserved() const { return Writer.Reserved(); }
  std::array<uint8_t, 44> BuildHeader(int32_t dataLength) const { return Writer.BuildHeader(dataLength); }
  std::vector<uint8_t> BuildFront(int64_t dataLength) const { return Writer.BuildFront(dataLength); }
  const FormatBody& OutputFormatBody() const { return Writer.Format(); }
  int64_t BytesWritten() const { return Writer.BytesWritten(); }
  bool IsOutputOpen() const { return Writer.IsOpen(); }
  bool OutputNameTaken() const { return Writer.NameTaken(); }
  bool OutputMoved() const { return Writer.Moved(); }

  // Why the last call failed, from the side (source or output) it was made on.
  const std::string& FailReason() const { return WriterAsked ? Writer.FailReason() : Reader.FailReason(); }
  FailureKind FailKind() const { return WriterAsked ? Writer.FailKind() : Reader.FailKind(); }

 private:
  WaveReader& Read() {
    WriterAsked = false;
    return Reader;
  }
  WaveWriter& Write() {
    WriterAsked = true;
    return Writer;
  }

  WaveReader Reader;  // declared first: the output is closed before the source
  WaveWriter Writer;
  ReadOptions Options;
  OutputExtras Extras;
  int64_t ExpectedSamples = -1;
  bool WriterAsked = false;
};

}  // namespace tacetix
