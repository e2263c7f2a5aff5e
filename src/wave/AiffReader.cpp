// The AIFF reader: the FORM header, COMM and SSND in whatever order they come, and the
// samples turned into WAVE bytes as they are read.
#include "wave/AiffReader.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "wave/ByteOrder.h"

namespace tacetix {
namespace {

constexpr uint64_t CommonBytes = 18;    // channels, frames, sample size, rate
constexpr uint64_t ExtendedBytes = 22;  // AIFF-C adds the compression type
constexpr uint64_t SoundHeadBytes = 8;  // SSND's offset and block size

struct Compression {
  const char* Type;
  AiffCoding Coding;
  int32_t Bytes;  // 0: by the sample size
};

constexpr Compression Readable[] = {
    {"NONE", AiffCoding::BigInteger, 0}, {"twos", AiffCoding::BigInteger, 0}, {"sowt", AiffCoding::LittleInteger, 0},
    {"fl32", AiffCoding::BigFloat, 4},   {"FL32", AiffCoding::BigFloat, 4},   {"fl64", AiffCoding::BigFloat, 8},
    {"FL64", AiffCoding::BigFloat, 8},
};

// The coded types by the names users know them.
std::string CompressionName(const uint8_t* type) {
  const std::string id(reinterpret_cast<const char*>(type), 4);
  const bool printable = std::all_of(id.begin(), id.end(), [](char c) { return c >= 32 && c < 127; });
  const std::string shown = printable ? "'" + id + "'" : std::string("of no printable name");
  const struct {
    const char* Type;
    const char* Name;
  } known[] = {{"ulaw", "mu-law"},    {"ULAW", "mu-law"},   {"alaw", "A-law"},     {"ALAW", "A-law"},
               {"ima4", "IMA ADPCM"}, {"MAC3", "MACE 3:1"}, {"MAC6", "MACE 6:1"},  {"GSM ", "GSM 6.10"},
               {"Qclp", "QCELP"},     {"QDMC", "QDesign"},  {"QDM2", "QDesign 2"}, {"raw ", "offset binary"}};
  for (const auto& k : known)
    if (id == k.Type) return shown + " (" + k.Name + ")";
  return shown;
}

int32_t BytesForBits(int32_t bits) { return (bits + 7) / 8; }

// The text chunks carried whole; all together at most this many bytes (an ID3 tag may hold
// pictures), the rest left behind and named.
constexpr const char* TextChunks[] = {"NAME", "AUTH", "(c) ", "ANNO", "COMT", "ID3 "};
constexpr uint64_t CarriedLimit = uint64_t{64} << 20;

bool Printable(const char* id) {
  return std::all_of(id, id + 4, [](char c) { return c >= 32 && c < 127; });
}

// Stored bytes to WAVE bytes in place: little-endian, and 8-bit samples unsigned.
void ToWaveBytes(uint8_t* bytes, int32_t count, int32_t size, AiffCoding coding) {
  if (size == 1) {
    for (int32_t i = 0; i < count; ++i) bytes[i] ^= 0x80u;
    return;
  }
  if (coding == AiffCoding::LittleInteger) return;
  SwapEach(bytes, static_cast<size_t>(count), size);
}

}  // namespace

double LoadExtended80(const uint8_t* p) {
  const int exponent = (p[0] & 0x7F) << 8 | p[1];
  const uint64_t mantissa = uint64_t{LoadBig32(p + 2)} << 32 | LoadBig32(p + 6);
  if (exponent == 0x7FFF) return NAN;
  const double magnitude = std::ldexp(static_cast<double>(mantissa), exponent - 16383 - 63);
  return (p[0] & 0x80) ? -magnitude : magnitude;
}

AiffReader::AiffReader() { BigEndianSizes = true; }

AiffReader::~AiffReader() { AiffReader::CloseInput(); }

int AiffReader::Open(const std::string& path, const ReadOptions& options) {
  SetWalkPoll(options.WalkPoll);
  ListChunks = options.ListChunks;
  const int r = OpenInput(path, options.SizeCheck);
  SetWalkPoll(nullptr);
  return r;
}

int AiffReader::OpenMemory(const uint8_t* data, size_t length, const ReadOptions& options) {
  SetWalkPoll(options.WalkPoll);
  ListChunks = options.ListChunks;
  const int r = RIFFFile::OpenMemory(data, length, options.SizeCheck);
  SetWalkPoll(nullptr);
  return r;
}

void AiffReader::Reset() {
  InputFormat = {};
  Stored = AiffCoding::BigInteger;
  Extended = false;
  CommonRead = false;
  Frames = 0;
  DataOffset = 0;
  DataLength = 0;
  DataShortBy = 0;
  SoundBodyOffset = 0;
  SoundBodySize = 0;
  ReadPosition = -1;
  Metadata = ListChunks ? std::make_shared<AiffChunks>() : nullptr;
  CarriedBytes = 0;
}

int AiffReader::CloseInput() {
  RIFFFile::CloseInput();
  Reset();
  return 0;
}

int AiffReader::ReadHeader(bool sizeCheck) {
  Reset();
  if (!InputOpen) return 1;
  if (!Input->Size(InputSize)) return SystemFailure(FailureKind::CannotOpen);
  uint8_t head[12] = {};
  size_t got = 0;
  if (!Input->Seek(0) || !Input->Read(head, 12, got)) return SystemFailure(FailureKind::CannotRead);
  if (got < 12 || std::memcmp(head, "FORM", 4) != 0)
    return Refuse(FailureKind::NotWave, "not an AIFF file: no FORM header");
  Extended = std::memcmp(head + 8, "AIFC", 4) == 0;
  if (!Extended && std::memcmp(head + 8, "AIFF", 4) != 0)
    return Refuse(FailureKind::NotWave, "not an AIFF file: FORM is not AIFF or AIFC");
  if (sizeCheck && static_cast<uint64_t>(InputSize - 8) != LoadBig32(head + 4))
    return Refuse(FailureKind::Malformed, "FORM size does not match the file size");
  StartWalk(12);
  return WalkChunks();
}

// The standard lets the chunks come in any order: the walk goes on until it has both.
int AiffReader::WalkChunks() {
  ChunkHeader chunk{};
  while (!CommonRead || SoundBodyOffset == 0) {
    if (NextChunk(chunk) != 0) {
      if (!Reason.empty()) return 1;
      return Refuse(FailureKind::Malformed, CommonRead ? "SSND chunk missing" : "COMM chunk missing");
    }
    if (std::memcmp(chunk.id, "COMM", 4) == 0 && !CommonRead) {
      if (ReadCommon(chunk) != 0) return 1;
    } else if (std::memcmp(chunk.id, "SSND", 4) == 0 && SoundBodyOffset == 0) {
      SoundBodyOffset = ChunkBodyStart;
      SoundBodySize = chunk.size;
    } else {
      Note(chunk);
    }
  }
  if (ReadSoundData() != 0) return 1;
  ListRest();
  return WalkCancelled() ? 1 : 0;
}

// The chunks after the samples. As with WAV, whatever ends this walk early only ends the list.
void AiffReader::ListRest() {
  if (!Metadata) return;
  ChunkHeader chunk{};
  while (NextChunk(chunk) == 0) {
    if (ChunkBodyStart > InputSize || chunk.size > static_cast<uint64_t>(InputSize - ChunkBodyStart)) break;
    Note(chunk);
  }
  if (!WalkCancelled()) ClearFailure();
}

// A chunk the walk met besides COMM and SSND: a text chunk is carried, anything else named.
void AiffReader::Note(const ChunkHeader& chunk) {
  if (!Metadata) return;
  const std::string name = Printable(chunk.id) ? std::string(chunk.id, 4) : std::string("a chunk");
  Metadata->All.push_back(name);
  const bool text = std::any_of(std::begin(TextChunks), std::end(TextChunks),
                                [&](const char* id) { return std::memcmp(chunk.id, id, 4) == 0; });
  const bool inFile = ChunkBodyStart <= InputSize && chunk.size <= static_cast<uint64_t>(InputSize - ChunkBodyStart);
  if (!text || !inFile || CarriedBytes + chunk.size > CarriedLimit) {
    Metadata->Dropped.push_back(text ? name + (inFile ? " (too large)" : " (cut off)") : name);
    return;
  }
  AiffChunks::Chunk kept;
  std::memcpy(kept.Id.data(), chunk.id, 4);
  kept.Body.resize(static_cast<size_t>(chunk.size));
  if (ReadInputBytes(ChunkBodyStart, kept.Body.data(), kept.Body.size()) != 0) {
    Metadata->Dropped.push_back(name + " (cut off)");
    return;
  }
  CarriedBytes += chunk.size;
  Metadata->Carried.push_back(std::move(kept));
}

int AiffReader::ReadCommon(const ChunkHeader& chunk) {
  const uint64_t need = Extended ? ExtendedBytes : CommonBytes;
  if (chunk.size < need) return Refuse(FailureKind::Malformed, "COMM chunk too short");
  uint8_t body[ExtendedBytes] = {};
  size_t got = 0;
  if (!Input->Seek(ChunkBodyStart) || !Input->Read(body, need, got)) return SystemFailure(FailureKind::CannotRead);
  if (got < need) return Refuse(FailureKind::Malformed, "COMM chunk cut off");
  InputFormat.Channels = LoadBig16(body);
  Frames = LoadBig32(body + 2);
  const int32_t bits = LoadBig16(body + 6);
  const double rate = LoadExtended80(body + 8);
  if (Extended && ReadCompression(body + 18) != 0) return 1;
  // A float's size comes with its compression type; COMM's sample size is that of integers.
  if (Stored != AiffCoding::BigFloat) {
    if (bits < 1 || bits > 32)
      return Refuse(FailureKind::Unsupported, "integer samples of " + std::to_string(bits) + " bits are not supported");
    InputFormat.BitsPerSample = static_cast<uint16_t>(bits);
  }
  CommonRead = true;
  return CheckCommon(rate, InputFormat.BitsPerSample);
}

int AiffReader::ReadCompression(const uint8_t* type) {
  for (const Compression& c : Readable) {
    if (std::memcmp(type, c.Type, 4) != 0) continue;
    Stored = c.Coding;
    if (c.Bytes != 0) InputFormat.BitsPerSample = static_cast<uint16_t>(8 * c.Bytes);
    return 0;
  }
  return Refuse(FailureKind::Unsupported, "unsupported format: AIFF-C compression " + CompressionName(type));
}

int AiffReader::CheckCommon(double rate, int32_t bits) {
  if (InputFormat.Channels == 0) return Refuse(FailureKind::Malformed, "COMM chunk: no channels");
  if (std::isnan(rate)) return Refuse(FailureKind::Malformed, "COMM chunk: sample rate is not a number");
  const double rounded = std::nearbyint(rate);
  if (rounded < 1) return Refuse(FailureKind::Malformed, "COMM chunk: sample rate 0 Hz");
  if (rounded > 0x7FFFFFFF) return Refuse(FailureKind::Unsupported, "COMM chunk: sample rate out of range");
  const int64_t blockAlign = int64_t{InputFormat.Channels} * BytesForBits(bits);
  if (blockAlign > 0xFFFF || blockAlign * static_cast<int64_t>(rounded) > 0xFFFFFFFFLL)
    return Refuse(FailureKind::Unsupported, std::to_string(InputFormat.Channels) + " channels of " +
                                                std::to_string(BytesForBits(bits)) + " bytes are not supported");
  InputFormat.FormatTag = Stored == AiffCoding::BigFloat ? TagFloat : TagPCM;
  InputFormat.SampleRate = static_cast<uint32_t>(rounded);
  InputFormat.BlockAlign = static_cast<uint16_t>(blockAlign);
  InputFormat.ByteRate = static_cast<uint32_t>(blockAlign * static_cast<int64_t>(rounded));
  return 0;
}

// The samples start offset bytes into SSND's data; COMM's frame count says how many there are.
int AiffReader::ReadSoundData() {
  if (SoundBodySize < SoundHeadBytes) return Refuse(FailureKind::Malformed, "SSND chunk too short");
  uint8_t head[SoundHeadBytes] = {};
  size_t got = 0;
  if (!Input->Seek(SoundBodyOffset) || !Input->Read(head, SoundHeadBytes, got))
    return SystemFailure(FailureKind::CannotRead);
  if (got < SoundHeadBytes) return Refuse(FailureKind::Malformed, "SSND chunk cut off");
  const uint64_t offset = LoadBig32(head);
  const uint64_t blockSize = LoadBig32(head + 4);
  const uint64_t room = SoundBodySize - SoundHeadBytes;
  if (offset > room) return Refuse(FailureKind::Malformed, "SSND chunk: offset past its data");
  if (blockSize > room) return Refuse(FailureKind::Malformed, "SSND chunk: block size past its data");
  DataOffset = SoundBodyOffset + static_cast<int64_t>(SoundHeadBytes + offset);
  const uint64_t declared = std::min<uint64_t>(room - offset, static_cast<uint64_t>(Frames) * InputFormat.BlockAlign);
  const uint64_t inFile = static_cast<uint64_t>(std::max<int64_t>(0, InputSize - DataOffset));
  DataLength = static_cast<int64_t>(std::min(declared, inFile));
  if (declared > inFile) DataShortBy = declared - inFile;
  if (DataLength == 0) return Refuse(FailureKind::Malformed, "SSND chunk: no samples");
  return 0;
}

int AiffReader::GetInfo(WaveInfo& info) {
  if (!CommonRead || DataOffset == 0) return 1;
  info = {};
  const int32_t size = InputFormat.BlockAlign / InputFormat.Channels;
  info.FormatTag = InputFormat.FormatTag;
  info.Channels = InputFormat.Channels;
  info.BitsPerSample = InputFormat.BitsPerSample;
  info.BytesPerSample = size;
  info.SampleRate = static_cast<int32_t>(InputFormat.SampleRate);
  info.DataBytes = DataLength;
  info.SampleCount = DataLength / size;
  return 0;
}

SampleCoding AiffReader::Coding() const {
  if (!CommonRead || InputFormat.Channels == 0) return {};
  return {InputFormat.BlockAlign / InputFormat.Channels, InputFormat.BitsPerSample, IsFloat()};
}

int AiffReader::SeekSample(int64_t index) {
  if (!CommonRead || DataOffset == 0) return 1;
  const int64_t size = InputFormat.BlockAlign / InputFormat.Channels;
  if (index >= 0 && index >= DataLength / size) return 1;
  ReadPosition = index < 0 ? -1 : index * size;
  return 0;
}

int AiffReader::ClearReadPosition() {
  ReadPosition = -1;
  return 0;
}

int AiffReader::ReadSampleBytes(uint8_t* dest, int32_t requested, int32_t& delivered) {
  delivered = 0;
  if (requested < 1 || !dest || ReadPosition < 0 || !InputOpen || DataOffset == 0) return 1;
  const int32_t size = InputFormat.BlockAlign / InputFormat.Channels;
  if (DataLength - ReadPosition < size) return 2;
  if (!Input->Seek(DataOffset + ReadPosition)) return SystemFailure(FailureKind::CannotRead);
  const auto n = static_cast<int32_t>(std::min<int64_t>(requested, (DataLength - ReadPosition) / size));
  const size_t bytes = static_cast<size_t>(n) * size;
  size_t got = 0;
  if (!Input->Read(dest, bytes, got)) return SystemFailure(FailureKind::CannotRead);
  if (got < bytes) return Refuse(FailureKind::CannotRead);
  ToWaveBytes(dest, n, size, Stored);
  ReadPosition += static_cast<int64_t>(bytes);
  delivered = n;
  return 0;
}

int AiffReader::ReadSamples(double* dest, int32_t requested, int32_t& delivered) {
  return DecodeThrough(dest, requested, delivered);
}

int AiffReader::ReadInputBytes(int64_t offset, uint8_t* dest, size_t length) {
  size_t got = 0;
  if (!InputOpen || offset < 0 || !Input->Seek(offset) || !Input->Read(dest, length, got)) return 1;
  return got == length ? 0 : 1;
}

}  // namespace tacetix
