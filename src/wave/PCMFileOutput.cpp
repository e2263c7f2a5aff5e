// Write side of PCMFile: canonical 44-byte header, encoded sample blocks, finishing.
#include <memory>

#include "wave/ByteOrder.h"
#include "wave/WaveClass.h"

namespace tacetix {
namespace {

constexpr int32_t HeaderBytes = 44;
// The header's sizes and every position are signed 32-bit: the whole file stays below 2 GiB.
constexpr int64_t MaxDataBytes = int64_t{0x7FFFFFFF} - HeaderBytes - 1;

using EncodeFn = void (*)(uint8_t*, const double*, int32_t, int32_t);

int32_t BytesForBits(int32_t bits) { return bits / 8 + (bits % 8 != 0 ? 1 : 0); }

EncodeFn PickEncoder(int32_t bytesPerSample, bool isFloat) {
  switch (bytesPerSample) {
    case 1: return EncodeUInt8;
    case 2: return EncodeInt16;
    case 3: return EncodeInt24;
    case 4:
      if (isFloat) return [](uint8_t* b, const double* v, int32_t n, int32_t) { EncodeFloat32(b, v, n); };
      return EncodeInt32;
    case 8: return [](uint8_t* b, const double* v, int32_t n, int32_t) { EncodeFloat64(b, v, n); };
    default: return nullptr;
  }
}

void StoreId(uint8_t* p, const char* id) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(id[i]);
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

int PCMFile::CreateOutput(const std::string& path, int32_t bits, int16_t tag, int32_t bytesPerSample) {
  if (OutputOpen) CloseOutput();
  if (!OutputFile.CreateReadWrite(path)) return SystemFailure(OutputFile);
  OutputOpen = true;
  const int r = WriteHeader(0, bits, tag, bytesPerSample);
  OutputDataOffset = HeaderBytes;
  return r;
}

int PCMFile::WriteHeader(int32_t dataLength, int32_t bits, int16_t tag, int32_t bytesPerSample) {
  if (!OutputOpen) return 1;
  if (!OutputFile.Seek(0)) return SystemFailure(OutputFile);
  if (dataLength == 0) {
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
    // container cannot hold (0, more bits than it has, a float not of its size) becomes the
    // container's: sox and ffmpeg refuse such a header.
    const int32_t containerBits = 8 * (OutputFormat.BlockAlign / OutputFormat.Channels);
    if (OutputFormat.BitsPerSample == 0 || OutputFormat.BitsPerSample > containerBits ||
        (OutputFormat.FormatTag == TagFloat && OutputFormat.BitsPerSample != containerBits))
      OutputFormat.BitsPerSample = static_cast<uint16_t>(containerBits);
  }
  const std::array<uint8_t, 44> header = BuildHeader(dataLength);
  size_t put = 0;
  return OutputFile.Write(header.data(), header.size(), put) ? 0 : SystemFailure(OutputFile);
}

std::array<uint8_t, 44> PCMFile::BuildHeader(int32_t dataLength) const {
  std::array<uint8_t, 44> h{};
  const auto length = static_cast<uint32_t>(dataLength);
  StoreId(&h[0], "RIFF");
  Store32(&h[4], 36u + length + (length & 1u));
  StoreId(&h[8], "WAVE");
  StoreId(&h[12], "fmt ");
  Store32(&h[16], 16);
  Store16(&h[20], OutputFormat.FormatTag);
  Store16(&h[22], OutputFormat.Channels);
  Store32(&h[24], OutputFormat.SampleRate);
  Store32(&h[28], OutputFormat.ByteRate);
  Store16(&h[32], OutputFormat.BlockAlign);
  Store16(&h[34], OutputFormat.BitsPerSample);
  StoreId(&h[36], "data");
  Store32(&h[40], length);
  return h;
}

int PCMFile::RewindOutput() {
  if (!OutputOpen || !OutputFile.Seek(HeaderBytes)) return 1;
  OutputWritten = 0;
  return 0;
}

int PCMFile::WriteSamples(const double* source, int32_t count, int32_t& written) {
  written = 0;
  if (count < 1 || !source || !OutputOpen || OutputFormat.Channels == 0) return 1;
  const int32_t bytesPerSample = OutputFormat.BlockAlign / OutputFormat.Channels;
  const EncodeFn encode = PickEncoder(bytesPerSample, OutputFormat.FormatTag == TagFloat);
  if (!encode) return 1;
  // Refuse data the header's 32-bit sizes could not describe (a depth conversion can grow it).
  if (int64_t{OutputWritten} + int64_t{count} * bytesPerSample > MaxDataBytes)
    return Refuse("output would reach 2 GiB");
  if (!OutputFile.Seek(int64_t{OutputDataOffset} + OutputWritten)) return SystemFailure(OutputFile);
  std::unique_ptr<uint8_t[]> buffer(new uint8_t[static_cast<size_t>(bytesPerSample) * TransferBlock]);
  for (int32_t n = std::min(count, TransferBlock); n > 0; n = std::min(count, TransferBlock)) {
    encode(buffer.get(), source + written, n, OutputFormat.BitsPerSample);
    const size_t bytes = static_cast<size_t>(n) * bytesPerSample;
    size_t put = 0;
    const bool ok = OutputFile.Write(buffer.get(), bytes, put);
    OutputPending = OutputPending || put > 0;
    OutputWritten += static_cast<int32_t>(put);
    if (!ok) return SystemFailure(OutputFile);
    written += n;
    count -= n;
  }
  return 0;
}

// The header is rewritten from OutputFormat as created: re-deriving it (as a first
// header does) would lose the conversion when nothing was written or the input is closed.
int PCMFile::FinishOutput() {
  if (!OutputOpen) return 1;
  OutputPending = false;
  bool ok = true;
  if (OutputWritten & 1) {
    const uint8_t pad = 0;
    size_t put = 0;
    ok = OutputFile.Seek(int64_t{OutputDataOffset} + OutputWritten) && OutputFile.Write(&pad, 1, put);
  }
  const std::array<uint8_t, 44> header = BuildHeader(OutputWritten);
  size_t put = 0;
  ok = OutputFile.Seek(0) && OutputFile.Write(header.data(), header.size(), put) && ok;
  return ok ? 0 : SystemFailure(OutputFile);
}

int PCMFile::CloseOutput() {
  if (!OutputOpen) return 0;
  int r = OutputPending ? FinishOutput() : 0;
  if (!OutputFile.Close()) r = SystemFailure(OutputFile);
  OutputOpen = false;
  return r;
}

}  // namespace tacetix
