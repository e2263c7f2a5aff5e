// Read side of PCMFile: finding fmt and data, the format, and decoded sample blocks.
#include <algorithm>
#include <cstring>
#include <memory>

#include "wave/ByteOrder.h"
#include "wave/SampleBlock.h"
#include "wave/WaveClass.h"

namespace tacetix {
namespace {

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

// A walk that stopped on its own (too many chunks, a read error, a cancel) keeps its reason;
// one that reached the end of the file did not find the chunk.
int PCMFile::WalkFailure(const char* wanted, const ChunkHeader& last, int64_t lastEnd) {
  return Reason.empty() ? Refuse(MissingChunk(wanted, last, lastEnd, InputSize)) : 1;
}

// fmt must come first; a data chunk standing before it is never found.
int PCMFile::LocateChunks() {
  ChunkHeader chunk{};
  int64_t chunkEnd = 0;
  do {
    const ChunkHeader last = chunk;
    if (NextChunk(chunk) != 0) return WalkFailure("fmt", last, chunkEnd);
    chunkEnd = ChunkBodyStart + chunk.size;
  } while (std::memcmp(chunk.id, "fmt ", 4) != 0);
  // A fmt body shorter than 16 bytes cannot describe the format.
  if (chunk.size < 16) return Refuse("fmt chunk too short");
  FmtOffset = static_cast<int32_t>(ChunkBodyStart);
  FmtSize = chunk.size;
  do {
    const ChunkHeader last = chunk;
    if (NextChunk(chunk) != 0) return WalkFailure("data", last, chunkEnd);
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

// Only headers whose samples can be addressed and decoded as what they claim to be are
// accepted: the output copies the format, and other programs refuse float samples of 1 to 3
// bytes and rates past the signed 32-bit range. An 8-byte container decodes as a double, so
// an integer tag on one would be misread.
int PCMFile::CheckFormat() const {
  const FormatBody& f = InputFormat;
  if (f.Channels == 0 || f.BlockAlign % f.Channels != 0) return 1;
  const int32_t container = f.BlockAlign / f.Channels;
  if (!IsCodecContainer(container) || f.SampleRate > 0x7FFFFFFFu) return 1;
  if (InputIsFloat()) return container == 4 || container == 8 ? 0 : 1;
  return container == 8 && InputIsInteger() ? 1 : 0;
}

std::string PCMFile::FormatRefusal() const {
  const FormatBody& f = InputFormat;
  if (f.Channels == 0) return "fmt chunk: no channels";
  if (f.BlockAlign % f.Channels != 0)
    return "fmt chunk: block align " + std::to_string(f.BlockAlign) + " is no whole number of bytes a channel";
  const int32_t container = f.BlockAlign / f.Channels;
  if (!IsCodecContainer(container)) return "samples of " + std::to_string(container) + " bytes are not supported";
  if (f.SampleRate > 0x7FFFFFFFu) return "sample rate " + std::to_string(f.SampleRate) + " Hz is out of range";
  if (InputIsFloat()) return "float samples of " + std::to_string(container) + " bytes are not supported";
  return "integer samples of " + std::to_string(container) + " bytes are not supported";
}

bool PCMFile::InputIsFloat() const {
  return InputFormat.FormatTag == TagFloat || (InputFormat.FormatTag == TagExtensible && SubFormat == TagFloat);
}

bool PCMFile::InputIsInteger() const {
  return InputFormat.FormatTag == TagPCM || (InputFormat.FormatTag == TagExtensible && SubFormat == TagPCM);
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

SampleCoding PCMFile::InputCoding() const {
  if (!FormatRead || InputFormat.Channels == 0) return {};
  return {InputFormat.BlockAlign / InputFormat.Channels, InputFormat.BitsPerSample, InputIsFloat()};
}

// Checks that a read can start and moves the file to the read position: 0, or the status
// of the read (1 failure, 2 already at the end).
int PCMFile::StartRead(int32_t& bytesPerSample) {
  if (ReadPosition < 0 || !InputOpen || !FormatRead || CheckFormat() != 0) return 1;
  bytesPerSample = InputFormat.BlockAlign / InputFormat.Channels;
  if (DataLength - ReadPosition < bytesPerSample) return 2;
  return InputFile.Seek(int64_t{DataOffset} + ReadPosition) ? 0 : SystemFailure(InputFile);
}

int PCMFile::ReadSamples(double* dest, int32_t requested, int32_t& delivered) {
  delivered = 0;
  if (requested < 1 || !dest) return 1;
  int32_t bytesPerSample = 0;
  if (int r = StartRead(bytesPerSample)) return r;
  const DecodeFn decode = DecoderFor(InputCoding());
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

int PCMFile::ReadSampleBytes(uint8_t* dest, int32_t requested, int32_t& delivered) {
  delivered = 0;
  if (requested < 1 || !dest) return 1;
  int32_t bytesPerSample = 0;
  if (int r = StartRead(bytesPerSample)) return r;
  const int32_t n = std::min(requested, (DataLength - ReadPosition) / bytesPerSample);
  const size_t bytes = static_cast<size_t>(n) * bytesPerSample;
  size_t got = 0;
  if (!InputFile.Read(dest, bytes, got)) return SystemFailure(InputFile);
  if (got < bytes) return Refuse("file cut short while it was read");
  ReadPosition += static_cast<int32_t>(bytes);
  delivered = n;
  return 0;
}

}  // namespace tacetix
