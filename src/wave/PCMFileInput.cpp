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
  ChannelMask = 0;
  FormatRead = false;
  Chunks.clear();
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
  if (std::memcmp(FormType.data(), "WAVE", 4) != 0)
    return Refuse(std::string("not a WAV file: ") + (IsRF64() ? "RF64" : "RIFF") + " form is not WAVE",
                  FailureKind::NotWave);
  if (LocateChunks() != 0) return 1;
  if (ReadFormat() != 0) return 1;
  return CheckFormat() == 0 ? 0 : Refuse(FormatRefusal());
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
  const bool extensible = want == 26 && InputFormat.FormatTag == TagExtensible;
  SubFormat = extensible ? Load16(body + 24) : 0;
  ChannelMask = extensible ? Load32(body + 20) : 0;
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

int PCMFile::SeekSample(int64_t index) {
  if (!FormatRead || CheckFormat() != 0) return 1;
  const int64_t bytesPerSample = InputFormat.BlockAlign / InputFormat.Channels;
  // Compared as a sample count first, so that no index overflows the byte position.
  if (index >= 0 && index >= (DataLength + bytesPerSample - 1) / bytesPerSample) return 1;
  // A negative index leaves an unusable position, which ReadSamples refuses.
  ReadPosition = index < 0 ? -1 : index * bytesPerSample;
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
  return InputFile.Seek(DataOffset + ReadPosition) ? 0 : SystemFailure(InputFile);
}

int PCMFile::ReadSamples(double* dest, int32_t requested, int32_t& delivered) {
  delivered = 0;
  if (requested < 1 || !dest) return 1;
  int32_t bytesPerSample = 0;
  if (int r = StartRead(bytesPerSample)) return r;
  const DecodeFn decode = DecoderFor(InputCoding());
  std::unique_ptr<uint8_t[]> buffer(new uint8_t[static_cast<size_t>(bytesPerSample) * TransferBlock]);
  auto nextCount = [&] {
    const int64_t left = (DataLength - ReadPosition) / bytesPerSample;
    return static_cast<int32_t>(std::min<int64_t>({requested, TransferBlock, left}));
  };
  for (int32_t n = nextCount(); n > 0; n = nextCount()) {
    const size_t bytes = static_cast<size_t>(n) * bytesPerSample;
    size_t got = 0;
    if (!InputFile.Read(buffer.get(), bytes, got)) return SystemFailure(InputFile);
    if (got < bytes) return Refuse("file cut short while it was read");
    decode(buffer.get(), dest + delivered, n, InputFormat.BitsPerSample);
    ReadPosition += static_cast<int64_t>(bytes);
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
  const auto n = static_cast<int32_t>(std::min<int64_t>(requested, (DataLength - ReadPosition) / bytesPerSample));
  const size_t bytes = static_cast<size_t>(n) * bytesPerSample;
  size_t got = 0;
  if (!InputFile.Read(dest, bytes, got)) return SystemFailure(InputFile);
  if (got < bytes) return Refuse("file cut short while it was read");
  ReadPosition += static_cast<int64_t>(bytes);
  delivered = n;
  return 0;
}

}  // namespace tacetix
