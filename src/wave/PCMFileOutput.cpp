// Write side of PCMFile: output format, encoded sample blocks, finishing.
#include <cerrno>
#include <cstring>
#include <memory>

#include "wave/ByteOrder.h"
#include "wave/SampleBlock.h"
#include "wave/WaveClass.h"

namespace tacetix {
namespace {

constexpr int32_t CanonicalHeaderBytes = 44;
// With room for 64-bit sizes only what a file system holds limits the data.
constexpr int64_t MaxRF64DataBytes = int64_t{1} << 62;

int32_t BytesForBits(int32_t bits) { return bits / 8 + (bits % 8 != 0 ? 1 : 0); }

bool WriteAll(FileHandle& file, const std::vector<uint8_t>& bytes) {
  size_t put = 0;
  return bytes.empty() || file.Write(bytes.data(), bytes.size(), put);
}

}  // namespace

// A 16-byte fmt cannot carry an extension (other programs refuse 0xFFFE there), so any
// tag other than integer or float becomes the tag of how the samples are coded.
uint16_t PCMFile::PlainOutputTag() const {
  const int32_t bytesPerSample = OutputFormat.Channels ? OutputFormat.BlockAlign / OutputFormat.Channels : 0;
  if (bytesPerSample == 8) return TagFloat;
  if (bytesPerSample == 4 && InputIsFloat()) return TagFloat;
  return TagPCM;
}

int PCMFile::CreateOutput(const std::string& path, int32_t bits, int16_t tag, int32_t bytesPerSample,
                          bool replace) {
  if (OutputOpen) CloseOutput();
  NameTaken = false;
  Moved = false;
  // Create tells why in errno: the folder takes no new file, or a folder has the name.
  if (!OutputTarget.Create(path, replace, OutputFile)) return Refuse(SystemErrorText(errno));
  OutputOpen = true;
  Reserved = false;
  OutputDataOffset = CanonicalHeaderBytes;
  return WriteHeader(0, bits, tag, bytesPerSample);
}

int PCMFile::WriteHeader(int64_t dataLength, int32_t bits, int16_t tag, int32_t bytesPerSample) {
  if (!OutputOpen) return 1;
  if (!OutputFile.Seek(0)) return SystemFailure(OutputFile);
  if (dataLength == 0) {
    if (int r = DeriveOutputFormat(bits, tag, bytesPerSample)) return r;
    PlanFront();
  }
  return WriteAll(OutputFile, BuildFront(dataLength)) ? 0 : SystemFailure(OutputFile);
}

int PCMFile::DeriveOutputFormat(int32_t bits, int16_t tag, int32_t bytesPerSample) {
  OutputFormat = InputFormat;
  if (bits != -1) {
    if (tag != -1 && tag != TagPCM && tag != TagFloat) return 1;
    if (bits < 1 || bits > 64) return 1;
    if (tag != -1) OutputFormat.FormatTag = static_cast<uint16_t>(tag);
    OutputFormat.BitsPerSample = static_cast<uint16_t>(bits);
    if (bytesPerSample == -1) bytesPerSample = BytesForBits(bits);
    // Block align and byte rate must fit their 16- and 32-bit header fields.
    const int64_t blockAlign = int64_t{OutputFormat.Channels} * bytesPerSample;
    if (bytesPerSample < 1) return 1;
    if (blockAlign > 0xFFFF || blockAlign * OutputFormat.SampleRate > 0xFFFFFFFF)
      return Refuse(std::to_string(OutputFormat.Channels) + " channels of " + std::to_string(bytesPerSample) +
                    " bytes do not fit a WAV header");
    OutputFormat.BlockAlign = static_cast<uint16_t>(blockAlign);
    OutputFormat.ByteRate = static_cast<uint32_t>(blockAlign * OutputFormat.SampleRate);
  }
  if (OutputFormat.FormatTag != TagPCM && OutputFormat.FormatTag != TagFloat) OutputFormat.FormatTag = PlainOutputTag();
  // A header with no sample rate (or no channels) is one that other programs refuse to open.
  if (OutputFormat.SampleRate == 0 || OutputFormat.Channels == 0) return Refuse("sample rate 0");
  // Samples are coded by their container alone, so a depth copied from an input that the
  // container cannot hold (below 8, more bits than it has, a float not of its size) becomes
  // the container's: sox and ffmpeg refuse such a header, and the samples are the same.
  const int32_t containerBits = 8 * (OutputFormat.BlockAlign / OutputFormat.Channels);
  if (OutputFormat.BitsPerSample < 8 || OutputFormat.BitsPerSample > containerBits ||
      (OutputFormat.FormatTag == TagFloat && OutputFormat.BitsPerSample != containerBits))
    OutputFormat.BitsPerSample = static_cast<uint16_t>(containerBits);
  // A byte rate copied from the input may be anything; readers expect it to be the true one.
  const uint64_t byteRate = uint64_t{OutputFormat.BlockAlign} * OutputFormat.SampleRate;
  if (byteRate > 0xFFFFFFFFu) return 1;
  OutputFormat.ByteRate = static_cast<uint32_t>(byteRate);
  return 0;
}

int PCMFile::RewindOutput() {
  if (!OutputOpen || !OutputFile.Seek(OutputDataOffset)) return 1;
  OutputWritten = 0;
  return 0;
}

SampleCoding PCMFile::OutputCoding() const {
  if (!OutputOpen || OutputFormat.Channels == 0) return {};
  return {OutputFormat.BlockAlign / OutputFormat.Channels, OutputFormat.BitsPerSample,
          OutputFormat.FormatTag == TagFloat};
}

// Checks that count samples can be appended and moves the file to the end of the data.
int PCMFile::StartWrite(int32_t count, int32_t& bytesPerSample) {
  if (count < 1 || !OutputOpen || OutputFormat.Channels == 0) return 1;
  bytesPerSample = OutputFormat.BlockAlign / OutputFormat.Channels;
  if (!EncoderFor(OutputCoding())) return 1;
  // Refuse data the header's sizes could not describe: without room for 64-bit sizes (the
  // output was not expected to need them) the 32-bit ones end a little below 4 GiB.
  const int64_t limit = Reserved ? MaxRF64DataBytes : RiffDataLimit();
  if (OutputWritten + int64_t{count} * bytesPerSample > limit) return Refuse("output would pass 4 GiB");
  return OutputFile.Seek(OutputDataOffset + OutputWritten) ? 0 : SystemFailure(OutputFile);
}

// What reached the file counts as written, also when the write then failed.
bool PCMFile::AppendBytes(const uint8_t* bytes, size_t length) {
  size_t put = 0;
  const bool ok = OutputFile.Write(bytes, length, put);
  OutputPending = OutputPending || put > 0;
  OutputWritten += static_cast<int64_t>(put);
  return ok;
}

int PCMFile::WriteSamples(const double* source, int32_t count, int32_t& written) {
  written = 0;
  int32_t bytesPerSample = 0;
  if (!source || StartWrite(count, bytesPerSample) != 0) return 1;
  const EncodeFn encode = EncoderFor(OutputCoding());
  std::unique_ptr<uint8_t[]> buffer(new uint8_t[static_cast<size_t>(bytesPerSample) * TransferBlock]);
  for (int32_t n = std::min(count, TransferBlock); n > 0; n = std::min(count, TransferBlock)) {
    encode(buffer.get(), source + written, n, OutputFormat.BitsPerSample);
    if (!AppendBytes(buffer.get(), static_cast<size_t>(n) * bytesPerSample)) return SystemFailure(OutputFile);
    written += n;
    count -= n;
  }
  return 0;
}

int PCMFile::WriteSampleBytes(const uint8_t* source, int32_t count, int32_t& written) {
  written = 0;
  int32_t bytesPerSample = 0;
  if (!source || StartWrite(count, bytesPerSample) != 0) return 1;
  if (!AppendBytes(source, static_cast<size_t>(count) * bytesPerSample)) return SystemFailure(OutputFile);
  written = count;
  return 0;
}

// The header is rewritten from OutputFormat as created: re-deriving it (as a first
// header does) would lose the conversion when nothing was written or the input is closed.
int PCMFile::FinishOutput() {
  if (!OutputOpen) return 1;
  OutputPending = false;
  std::vector<uint8_t> tail(static_cast<size_t>(OutputWritten & 1), 0);  // the pad byte
  tail.insert(tail.end(), Extras.AfterData.begin(), Extras.AfterData.end());
  bool ok = tail.empty() || (OutputFile.Seek(OutputDataOffset + OutputWritten) && WriteAll(OutputFile, tail));
  ok = OutputFile.Seek(0) && WriteAll(OutputFile, BuildFront(OutputWritten)) && ok;
  return ok ? 0 : SystemFailure(OutputFile);
}

// The file moves onto its name whatever went wrong in it, as a file written in place would
// stay there: its header always tells what it holds.
int PCMFile::CloseOutput() {
  if (!OutputOpen) return 0;
  // Still pending here, the output was cut short (a cancel, a failed write): the chunks meant
  // for after its data point at frames it does not hold.
  if (OutputPending) Extras.AfterData.clear();
  int r = OutputPending ? FinishOutput() : 0;
  if (!OutputFile.Close()) r = SystemFailure(OutputFile);
  OutputOpen = false;
  const CommitResult moved = OutputTarget.Commit();
  Moved = moved == CommitResult::Moved;
  NameTaken = moved == CommitResult::NameTaken;
  if (Moved) return r;
  // A failure inside the file came first and says more than the failed move after it.
  if (r == 0) Refuse(NameTaken ? "output file already exists" : SystemErrorText(errno));
  return 1;
}

void PCMFile::DiscardOutput() {
  if (!OutputOpen) return;
  OutputFile.Close();
  OutputOpen = false;
  OutputPending = false;
  OutputTarget.Discard();
}

}  // namespace tacetix
