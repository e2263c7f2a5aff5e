// The reader's header checks, its format, and its sample blocks, decoded or as stored.
#include "wave/WaveReader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "wave/ByteOrder.h"
#include "wave/RiffLayout.h"

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

// The common tags by the names users know them; any other is named by its number.
std::string TagName(uint32_t tag) {
  switch (tag) {
    case 0x0002: return "MS ADPCM";
    case 0x0006: return "A-law";
    case 0x0007: return "mu-law";
    case 0x0011: return "IMA ADPCM";
    case 0x0031: return "GSM 6.10";
    case 0x0050: return "MPEG audio";
    case 0x0055: return "MP3";
    case 0x2000: return "AC-3";
    case 0x2001: return "DTS";
    default: break;
  }
  char text[16];
  std::snprintf(text, sizeof text, "tag 0x%04X", static_cast<unsigned>(tag));
  return text;
}

bool IsCodecContainer(int32_t bytesPerSample) {
  return bytesPerSample == 1 || bytesPerSample == 2 || bytesPerSample == 3 || bytesPerSample == 4 ||
         bytesPerSample == 8;
}

}  // namespace

WaveReader::WaveReader() = default;

WaveReader::~WaveReader() { WaveReader::CloseInput(); }

void WaveReader::Prepare(const ReadOptions& options) {
  ListChunks = options.ListChunks;
  SetWalkPoll(options.WalkPoll);
}

// The poll serves the open's walk only: it may refer to what lives no longer than the open.
int WaveReader::Open(const std::string& path, const ReadOptions& options) {
  Prepare(options);
  const int r = OpenInput(path, options.SizeCheck);
  SetWalkPoll(nullptr);
  return r;
}

int WaveReader::OpenMemory(const uint8_t* data, size_t length, const ReadOptions& options) {
  Prepare(options);
  const int r = RIFFFile::OpenMemory(data, length, options.SizeCheck);
  SetWalkPoll(nullptr);
  return r;
}

void WaveReader::ResetReader() {
  FmtOffset = 0;
  FmtSize = 0;
  DataOffset = 0;
  DataLength = 0;
  DataPastSize = 0;
  DataShortBy = 0;
  InputFormat = {};
  SubFormatCode = 0;
  Mask = 0;
  FormatRead = false;
  ChunkList.clear();
  ReadPosition = -1;
}

int WaveReader::CloseInput() {
  RIFFFile::CloseInput();
  ResetReader();
  return 0;
}

int WaveReader::ReadHeader(bool sizeCheck) {
  ResetReader();
  if (RIFFFile::ReadHeader(sizeCheck) != 0) return 1;
  if (std::memcmp(FormType.data(), "WAVE", 4) != 0)
    return Refuse(FailureKind::NotWave,
                  std::string("not a WAV file: ") + (IsRF64() ? "RF64" : "RIFF") + " form is not WAVE");
  if (LocateChunks() != 0) return 1;
  if (ReadFormat() != 0) return 1;
  return CheckFormat() == 0 ? 0 : Refuse(FormatRefusalKind(), FormatRefusal());
}

int WaveReader::ReadFormat() {
  if (FormatRead) return 0;
  if (FmtOffset == 0 || DataOffset == 0 || !InputOpen) return 1;
  // An extensible fmt of 40 bytes or more carries the sub-format code after the mask.
  uint8_t body[ExtensibleSubFormatAt + 2] = {};
  const size_t want = FmtSize >= ExtensibleFmtBytes ? sizeof body : PlainFmtBytes;
  size_t got = 0;
  if (!Input->Seek(FmtOffset) || !Input->Read(body, want, got)) return SystemFailure(FailureKind::CannotRead);
  if (got < want) return Refuse(FailureKind::Malformed, "fmt chunk cut off");
  InputFormat = ParseFormat(body);
  const bool extensible = want == sizeof body && InputFormat.FormatTag == TagExtensible;
  SubFormatCode = extensible ? Load16(body + ExtensibleSubFormatAt) : 0;
  Mask = extensible ? Load32(body + ExtensibleMaskAt) : 0;
  FormatRead = true;
  return 0;
}

// Only headers whose samples can be addressed and decoded as what they claim to be are
// accepted: coded samples (A-law, ADPCM) read as PCM are noise, the output copies the format,
// and other programs refuse float samples of 1 to 3 bytes and rates past the signed 32-bit
// range. An 8-byte container decodes as a double, so an integer tag on one would be misread.
int WaveReader::CheckFormat() const {
  const FormatBody& f = InputFormat;
  if (!IsFloat() && !IsInteger()) return 1;
  if (f.Channels == 0 || f.BlockAlign % f.Channels != 0 || f.SampleRate == 0) return 1;
  const int32_t container = f.BlockAlign / f.Channels;
  if (!IsCodecContainer(container) || f.SampleRate > 0x7FFFFFFFu) return 1;
  if (IsFloat()) return container == 4 || container == 8 ? 0 : 1;
  return container == 8 && IsInteger() ? 1 : 0;
}

// A fmt whose channels and block align do not hold together, or that gives no rate, is broken;
// one that holds together describes samples that are not processed.
FailureKind WaveReader::FormatRefusalKind() const {
  const FormatBody& f = InputFormat;
  if (!IsFloat() && !IsInteger()) return FailureKind::Unsupported;
  const bool broken = f.Channels == 0 || f.BlockAlign % f.Channels != 0 || f.SampleRate == 0;
  return broken ? FailureKind::Malformed : FailureKind::Unsupported;
}

std::string WaveReader::FormatRefusal() const {
  const FormatBody& f = InputFormat;
  if (f.FormatTag == TagExtensible && !IsFloat() && !IsInteger())
    return "unsupported format: extensible, sub-format " + TagName(static_cast<uint32_t>(SubFormatCode));
  if (!IsFloat() && !IsInteger()) return "unsupported format: " + TagName(f.FormatTag);
  if (f.Channels == 0) return "fmt chunk: no channels";
  if (f.BlockAlign % f.Channels != 0)
    return "fmt chunk: block align " + std::to_string(f.BlockAlign) + " is no whole number of bytes a channel";
  if (f.SampleRate == 0) return "fmt chunk: sample rate 0 Hz";
  const int32_t container = f.BlockAlign / f.Channels;
  if (!IsCodecContainer(container)) return "samples of " + std::to_string(container) + " bytes are not supported";
  if (f.SampleRate > 0x7FFFFFFFu) return "sample rate " + std::to_string(f.SampleRate) + " Hz is out of range";
  if (IsFloat()) return "float samples of " + std::to_string(container) + " bytes are not supported";
  return "integer samples of " + std::to_string(container) + " bytes are not supported";
}

bool WaveReader::IsFloat() const {
  return InputFormat.FormatTag == TagFloat || (InputFormat.FormatTag == TagExtensible && SubFormatCode == TagFloat);
}

// An extensible fmt too short to name a sub-format has always been read as integers.
bool WaveReader::IsInteger() const {
  if (InputFormat.FormatTag == TagPCM) return true;
  return InputFormat.FormatTag == TagExtensible && (SubFormatCode == TagPCM || FmtSize < ExtensibleFmtBytes);
}

int64_t WaveReader::SampleCount() const {
  const int64_t bytesPerSample = InputFormat.Channels ? InputFormat.BlockAlign / InputFormat.Channels : 0;
  return bytesPerSample > 0 ? DataLength / bytesPerSample : 0;
}

int WaveReader::GetInfo(WaveInfo& info) {
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

int WaveReader::SeekSample(int64_t index) {
  if (!FormatRead || CheckFormat() != 0) return 1;
  const int64_t bytesPerSample = InputFormat.BlockAlign / InputFormat.Channels;
  // Compared as a sample count first, so that no index overflows the byte position.
  if (index >= 0 && index >= (DataLength + bytesPerSample - 1) / bytesPerSample) return 1;
  // A negative index leaves an unusable position, which ReadSamples refuses.
  ReadPosition = index < 0 ? -1 : index * bytesPerSample;
  return 0;
}

int WaveReader::ClearReadPosition() {
  ReadPosition = -1;
  return 0;
}

SampleCoding WaveReader::Coding() const {
  if (!FormatRead || InputFormat.Channels == 0) return {};
  return {InputFormat.BlockAlign / InputFormat.Channels, InputFormat.BitsPerSample, IsFloat()};
}

// Checks that a read can start and moves the file to the read position: 0, or the status
// of the read (1 failure, 2 already at the end).
int WaveReader::StartRead(int32_t& bytesPerSample) {
  if (ReadPosition < 0 || !InputOpen || !FormatRead || CheckFormat() != 0) return 1;
  bytesPerSample = InputFormat.BlockAlign / InputFormat.Channels;
  if (DataLength - ReadPosition < bytesPerSample) return 2;
  return Input->Seek(DataOffset + ReadPosition) ? 0 : SystemFailure(FailureKind::CannotRead);
}

int WaveReader::ReadSamples(double* dest, int32_t requested, int32_t& delivered) {
  delivered = 0;
  if (requested < 1 || !dest) return 1;
  int32_t bytesPerSample = 0;
  if (int r = StartRead(bytesPerSample)) return r;
  const DecodeFn decode = DecoderFor(Coding());
  std::unique_ptr<uint8_t[]> buffer(new uint8_t[static_cast<size_t>(bytesPerSample) * TransferBlock]);
  auto nextCount = [&] {
    const int64_t left = (DataLength - ReadPosition) / bytesPerSample;
    return static_cast<int32_t>(std::min<int64_t>({requested, TransferBlock, left}));
  };
  for (int32_t n = nextCount(); n > 0; n = nextCount()) {
    const size_t bytes = static_cast<size_t>(n) * bytesPerSample;
    size_t got = 0;
    if (!Input->Read(buffer.get(), bytes, got)) return SystemFailure(FailureKind::CannotRead);
    if (got < bytes) return Refuse(FailureKind::CannotRead);
    decode(buffer.get(), dest + delivered, n, InputFormat.BitsPerSample);
    ReadPosition += static_cast<int64_t>(bytes);
    delivered += n;
    requested -= n;
  }
  return 0;
}

int WaveReader::ReadSampleBytes(uint8_t* dest, int32_t requested, int32_t& delivered) {
  delivered = 0;
  if (requested < 1 || !dest) return 1;
  int32_t bytesPerSample = 0;
  if (int r = StartRead(bytesPerSample)) return r;
  const auto n = static_cast<int32_t>(std::min<int64_t>(requested, (DataLength - ReadPosition) / bytesPerSample));
  const size_t bytes = static_cast<size_t>(n) * bytesPerSample;
  size_t got = 0;
  if (!Input->Read(dest, bytes, got)) return SystemFailure(FailureKind::CannotRead);
  if (got < bytes) return Refuse(FailureKind::CannotRead);
  ReadPosition += static_cast<int64_t>(bytes);
  delivered = n;
  return 0;
}

}  // namespace tacetix
