// Read side of PCMFile: finding fmt and data, the format, and decoded sample blocks.
#include <algorithm>
#include <cstring>
#include <memory>

#include "wave/ByteOrder.h"
#include "wave/WaveClass.h"

namespace tacetix {
namespace {

using DecodeFn = void (*)(const uint8_t*, double*, int32_t, int32_t);

FormatBody ParseFormat(const uint8_t* p) {
  FormatBody f;
  f.FormatTag = Load16(p);
  f.Channels = Load16(p + 2);
  f.SampleRate = Load32(p + 4);
  f.ByteRate = Load32(p + 8);
  f.BlockAlign = Load16(p + 12);
  f.BitsPerSample = Load16(p + 14);
  return f;
}

bool IsCodecContainer(int32_t bytesPerSample) {
  return bytesPerSample == 1 || bytesPerSample == 2 || bytesPerSample == 3 || bytesPerSample == 4 ||
         bytesPerSample == 8;
}

// The container size picks the decoder; only 4-byte containers look at integer or float.
DecodeFn PickDecoder(int32_t bytesPerSample, bool isFloat) {
  switch (bytesPerSample) {
    case 1: return DecodeUInt8;
    case 2: return DecodeInt16;
    case 3: return DecodeInt24;
    case 4:
      if (isFloat) return [](const uint8_t* b, double* v, int32_t n, int32_t) { DecodeFloat32(b, v, n); };
      return DecodeInt32;
    case 8: return [](const uint8_t* b, double* v, int32_t n, int32_t) { DecodeFloat64(b, v, n); };
    default: return nullptr;
  }
}

// Why a chunk was not found: most often the chunk before it claims more bytes than the file has.
std::string MissingChunk(const char* wanted, const ChunkHeader& last, int64_t lastEnd, int64_t fileSize) {
  std::string text = std::string(wanted) + " chunk missing";
  if (lastEnd <= fileSize) return text;
  const bool printable = std::all_of(last.id, last.id + 4, [](char c) { return c >= 32 && c < 127; });
  return text + ": " + (printable ? "chunk '" + std::string(last.id, 4) + "'" : std::string("a chunk")) +
         " runs past the end of the file";
}

}  // namespace

PCMFile::PCMFile() = default;

PCMFile::~PCMFile() {
  CloseOutput();
  CloseInput();
}

void PCMFile::ResetInputSide() {
  FmtOffset = 0;
  FmtSize = 0;
  DataOffset = 0;
  DataLength = 0;
  InputFormat = {};
  SubFormat = 0;
  FormatRead = false;
  ReadPosition = -1;
}

int PCMFile::CloseInput() {
  RIFFFile::CloseInput();
  ResetInputSide();
  return 0;
}

int PCMFile::ReadHeader(bool sizeCheck) {
  ResetInputSide();
  if (RIFFFile::ReadHeader(sizeCheck) != 0) return 1;
  if (std::memcmp(FormType.data(), "WAVE", 4) != 0) return Refuse("not a WAV file: RIFF form is not WAVE");
  if (LocateChunks() != 0) return 1;
  if (ReadFormat() != 0) return 1;
  return CheckFormat() == 0 ? 0 : Refuse(FormatRefusal());
}

// fmt must come first; a data chunk standing before it is never found.
int PCMFile::LocateChunks() {
  ChunkHeader chunk{};
  int64_t chunkEnd = 0;
  do {
    const ChunkHeader last = chunk;
    if (NextChunk(chunk) != 0) return Refuse(MissingChunk("fmt", last, chunkEnd, InputSize));
    chunkEnd = ChunkBodyStart + chunk.size;
  } while (std::memcmp(chunk.id, "fmt ", 4) != 0);
  // A fmt body shorter than 16 bytes cannot describe the format.
  if (chunk.size < 16) return Refuse("fmt chunk too short");
  FmtOffset = static_cast<int32_t>(ChunkBodyStart);
  FmtSize = chunk.size;
  do {
    const ChunkHeader last = chunk;
    if (NextChunk(chunk) != 0) return Refuse(MissingChunk("data", last, chunkEnd, InputSize));
    chunkEnd = ChunkBodyStart + chunk.size;
  } while (std::memcmp(chunk.id, "data", 4) != 0);
  if (chunk.size == 0) return Refuse("data chunk empty");
  DataOffset = static_cast<int32_t>(ChunkBodyStart);
  // The declared size is unsigned (streaming writers put 0xFFFFFFFF there); cut it to the file.
  DataLength = static_cast<int32_t>(std::min<int64_t>(chunk.size, std::max<int64_t>(0, InputSize - DataOffset)));
  return 0;
}

int PCMFile::ReadFormat() {
  if (FormatRead) return 0;
  if (FmtOffset == 0 || DataOffset == 0 || !InputOpen) return 1;
  // An extensible fmt of 40 bytes or more carries the sub-format code at offset 24.
  uint8_t body[26] = {};
  const size_t want = FmtSize >= 40 ? 26 : 16;
  size_t got = 0;
  if (!InputFile.Seek(FmtOffset) || !InputFile.Read(body, want, got)) return SystemFailure(InputFile);
  if (got < want) return Refuse("fmt chunk cut off");
  InputFormat = ParseFormat(body);
  SubFormat = (want == 26 && InputFormat.FormatTag == TagExtensible) ? Load16(body + 24) : 0;
  FormatRead = true;
  return 0;
}

// Only headers whose samples can be addressed and decoded are accepted.
int PCMFile::CheckFormat() const {
  const FormatBody& f = InputFormat;
  if (f.Channels == 0 || f.BlockAlign % f.Channels != 0) return 1;
  return IsCodecContainer(f.BlockAlign / f.Channels) ? 0 : 1;
}

std::string PCMFile::FormatRefusal() const {
  const FormatBody& f = InputFormat;
  if (f.Channels == 0) return "fmt chunk: no channels";
  if (f.BlockAlign % f.Channels != 0)
    return "fmt chunk: block align " + std::to_string(f.BlockAlign) + " is no whole number of bytes a channel";
  return "samples of " + std::to_string(f.BlockAlign / f.Channels) + " bytes are not supported";
}

bool PCMFile::InputIsFloat() const {
  return InputFormat.FormatTag == TagFloat || (InputFormat.FormatTag == TagExtensible && SubFormat == TagFloat);
}

int PCMFile::GetInfo(WaveInfo& info) {
  if (ReadFormat() != 0 || CheckFormat() != 0) return 1;
  info = {};
  const int32_t bytesPerSample = InputFormat.BlockAlign / InputFormat.Channels;
  info.FormatTag = static_cast<int16_t>(InputFormat.FormatTag);
  info.Channels = InputFormat.Channels;
  info.BitsPerSample = InputFormat.BitsPerSample;
  info.BytesPerSample = bytesPerSample;
  info.SampleRate = static_cast<int32_t>(InputFormat.SampleRate);
  info.DataBytes = DataLength;
  info.SampleCount = DataLength / bytesPerSample;
  return 0;
}

int PCMFile::SeekSample(int32_t index) {
  if (!FormatRead || CheckFormat() != 0) return 1;
  const int64_t bytePos = int64_t{index} * (InputFormat.BlockAlign / InputFormat.Channels);
  if (bytePos >= DataLength) return 1;
  // A negative index leaves an unusable position, which ReadSamples refuses.
  ReadPosition = bytePos < 0 ? -1 : static_cast<int32_t>(bytePos);
  return 0;
}

int PCMFile::ClearReadPosition() {
  ReadPosition = -1;
  return 0;
}

int PCMFile::ReadSamples(double* dest, int32_t requested, int32_t& delivered) {
  delivered = 0;
  if (requested < 1 || !dest) return 1;
  if (ReadPosition < 0 || !InputOpen || !FormatRead || CheckFormat() != 0) return 1;
  const int32_t bytesPerSample = InputFormat.BlockAlign / InputFormat.Channels;
  if (DataLength - ReadPosition < bytesPerSample) return 2;
  if (!InputFile.Seek(int64_t{DataOffset} + ReadPosition)) return SystemFailure(InputFile);
  const DecodeFn decode = PickDecoder(bytesPerSample, InputIsFloat());
  std::unique_ptr<uint8_t[]> buffer(new uint8_t[static_cast<size_t>(bytesPerSample) * TransferBlock]);
  auto nextCount = [&] { return std::min({requested, TransferBlock, (DataLength - ReadPosition) / bytesPerSample}); };
  for (int32_t n = nextCount(); n > 0; n = nextCount()) {
    const size_t bytes = static_cast<size_t>(n) * bytesPerSample;
    size_t got = 0;
    if (!InputFile.Read(buffer.get(), bytes, got)) return SystemFailure(InputFile);
    if (got < bytes) return Refuse("file cut short while it was read");
    decode(buffer.get(), dest + delivered, n, InputFormat.BitsPerSample);
    ReadPosition += static_cast<int32_t>(bytes);
    delivered += n;
    requested -= n;
  }
  return 0;
}

}  // namespace tacetix
