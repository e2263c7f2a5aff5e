// RIFF container: header check and chunk walking.
#include "wave/RIFFFile.h"

#include <algorithm>
#include <cstring>

#include "wave/ByteOrder.h"
#include "wave/RiffLayout.h"

namespace tacetix {
namespace {

// One read fetches the headers of a run of small chunks; a jump past it costs one more read,
// kept small so that a walk of large chunks does not read their bodies.
constexpr size_t WalkBufferBytes = 512;
constexpr int32_t ChunksPerPoll = 1024;

bool IsForm64(const uint8_t* id) { return std::memcmp(id, "RF64", 4) == 0 || std::memcmp(id, "BW64", 4) == 0; }

}  // namespace

// A size past any file's end stops just past it instead of overflowing.
int64_t RIFFFile::ChunkEnd(int64_t bodyStart, uint64_t size, int64_t fileSize) {
  const uint64_t room = static_cast<uint64_t>(std::max<int64_t>(0, fileSize - bodyStart)) + 2;
  // Compared before the pad byte is added: a size of 2^64 - 1 plus its pad would wrap to 0.
  return bodyStart + static_cast<int64_t>(size >= room ? room : size + (size & 1u));
}

RIFFFile::RIFFFile() = default;

RIFFFile::~RIFFFile() { RIFFFile::CloseInput(); }

int RIFFFile::Refuse(FailureKind kind, const std::string& reason) {
  Kind = kind;
  Reason = reason;
  return 1;
}

void RIFFFile::ClearFailure() {
  Kind = FailureKind::None;
  Reason.clear();
}

int RIFFFile::SystemFailure(FailureKind kind) {
  const int error = Input ? Input->LastError() : 0;
  return Refuse(kind, error != 0 ? SystemErrorText(error) : "not a regular file");
}

int RIFFFile::OpenInput(const std::string& path, bool sizeCheck) {
  if (InputOpen) CloseInput();
  ClearFailure();
  Input = &FileInput;
  if (!FileInput.Open(path)) return SystemFailure(FailureKind::CannotOpen);
  InputOpen = true;
  return ReadHeader(sizeCheck);
}

int RIFFFile::OpenMemory(const uint8_t* data, size_t length, bool sizeCheck) {
  if (InputOpen) CloseInput();
  ClearFailure();
  Input = &MemoryInput;
  MemoryInput.Open(data, length);
  InputOpen = true;
  return ReadHeader(sizeCheck);
}

int RIFFFile::ReadHeader(bool sizeCheck) {
  if (!InputOpen) return 1;
  if (!Input->Size(InputSize)) return SystemFailure(FailureKind::CannotOpen);
  Ds64 = {};
  uint8_t head[8];
  size_t got = 0;
  if (!Input->Seek(0) || !Input->Read(head, 8, got)) return SystemFailure(FailureKind::CannotRead);
  const bool riff = got == 8 && (std::memcmp(head, "RIFF", 4) == 0 || IsForm64(head));
  if (riff && !Input->Read(FormType.data(), 4, got)) return SystemFailure(FailureKind::CannotRead);
  if (got == 8 && std::memcmp(head, "RIFX", 4) == 0)
    return Refuse(FailureKind::Unsupported, "big-endian WAV (RIFX) is not read");
  if (!riff || got < 4) return Refuse(FailureKind::NotWave, "not a WAV file: no RIFF header");
  StartWalk(12);
  uint64_t riffSize = Load32(head + 4);
  if (IsForm64(head)) {
    if (int r = ReadDs64(std::string(reinterpret_cast<const char*>(head), 4))) return r;
    if (riffSize == SizeInDs64) riffSize = Ds64.RiffSize;
  }
  if (sizeCheck && static_cast<uint64_t>(InputSize - 8) != riffSize)
    return Refuse(FailureKind::Malformed, "RIFF size does not match the file size");
  return 0;
}

void RIFFFile::StartWalk(int64_t firstChunk) {
  ChunkRead = false;
  ChunkBodyStart = firstChunk;
  WalkBufferLength = 0;
  ChunksWalked = 0;
  WalkStopped = false;
}

// An RF64 file's ds64 chunk, which must come first: the walk then starts after it.
int RIFFFile::ReadDs64(const std::string& form) {
  uint8_t head[8] = {};
  size_t got = 0;
  if (!Input->Read(head, 8, got)) return SystemFailure(FailureKind::CannotRead);
  if (got < 8 || std::memcmp(head, "ds64", 4) != 0)
    return Refuse(FailureKind::Malformed, form + " file without ds64 chunk");
  const uint64_t size = Load32(head + 4);
  if (size < Ds64FixedBytes) return Refuse(FailureKind::Malformed, "ds64 chunk too short");
  std::vector<uint8_t> body(std::min<uint64_t>(size, Ds64FixedBytes + uint64_t{Ds64EntryBytes} * MaxChunks));
  if (!Input->Read(body.data(), body.size(), got)) return SystemFailure(FailureKind::CannotRead);
  if (got < Ds64FixedBytes) return Refuse(FailureKind::Malformed, "ds64 chunk cut off");
  const uint64_t entries = Load32(body.data() + Ds64TableCountAt);
  if (entries > MaxChunks || Ds64FixedBytes + entries * Ds64EntryBytes > size)
    return Refuse(FailureKind::Malformed, "ds64 chunk table longer than the chunk");
  if (Ds64FixedBytes + entries * Ds64EntryBytes > got) return Refuse(FailureKind::Malformed, "ds64 chunk cut off");
  Ds64.Present = true;
  Ds64.RiffSize = Load64(body.data());
  Ds64.DataSize = Load64(body.data() + 8);
  Ds64.Table.reserve(static_cast<size_t>(entries));
  for (uint64_t i = 0; i < entries; ++i) {
    const uint8_t* entry = body.data() + Ds64FixedBytes + i * Ds64EntryBytes;
    Ds64.Table.push_back({Load32(entry), Load64(entry + 4)});
  }
  // Sorted by id for the look-up of every chunk of the walk; the first entry of an id stays first.
  std::stable_sort(Ds64.Table.begin(), Ds64.Table.end(),
                   [](const Ds64Entry& a, const Ds64Entry& b) { return a.Id < b.Id; });
  ChunkBodyStart = ChunkEnd(FormHeaderBytes + ChunkHeaderBytes, size, InputSize);
  return 0;
}

// A chunk's size: an RF64 file puts 0xFFFFFFFF in the header of a chunk whose size needs
// 64 bits and the size itself in ds64 (data's in its own field, others in the table).
uint64_t RIFFFile::Ds64Size(const char* id, uint32_t size32) const {
  if (!Ds64.Present || size32 != SizeInDs64) return size32;
  if (std::memcmp(id, "data", 4) == 0) return Ds64.DataSize;
  const uint32_t key = Load32(reinterpret_cast<const uint8_t*>(id));
  const auto at = std::lower_bound(Ds64.Table.begin(), Ds64.Table.end(), key,
                                   [](const Ds64Entry& e, uint32_t k) { return e.Id < k; });
  return at != Ds64.Table.end() && at->Id == key ? at->Size : size32;
}

// The 8 bytes at offset, from the read-ahead buffer; got < 8 at the end of the file.
bool RIFFFile::ReadHeaderAt(int64_t offset, uint8_t* head, size_t& got) {
  got = 0;
  const bool buffered = WalkBufferLength > 0 && offset >= WalkBufferStart &&
                        offset - WalkBufferStart + 8 <= static_cast<int64_t>(WalkBufferLength);
  if (!buffered) {
    if (WalkBuffer.empty()) WalkBuffer.resize(WalkBufferBytes);
    WalkBufferStart = offset;
    WalkBufferLength = 0;
    if (!Input->Seek(offset) || !Input->Read(WalkBuffer.data(), WalkBuffer.size(), WalkBufferLength)) return false;
  }
  const size_t at = static_cast<size_t>(offset - WalkBufferStart);
  got = std::min<size_t>(8, WalkBufferLength - std::min(at, WalkBufferLength));
  std::memcpy(head, WalkBuffer.data() + at, got);
  return true;
}

int RIFFFile::NextChunk(ChunkHeader& chunk) {
  if (!InputOpen) return 1;
  ClearFailure();
  // A file of zeros reads as millions of empty chunks: bounded, and the caller may stop it.
  if (++ChunksWalked > MaxChunks)
    return Refuse(FailureKind::Malformed, "more than " + std::to_string(MaxChunks) + " chunks");
  if (WalkPoll && ChunksWalked % ChunksPerPoll == 0 && WalkPoll()) {
    WalkStopped = true;
    return Refuse(FailureKind::Cancelled);
  }
  // The end of the previous body (plus its pad byte), whatever was read from it.
  if (ChunkRead) ChunkBodyStart = ChunkEnd(ChunkBodyStart, CurrentChunk.size, InputSize);
  uint8_t head[8] = {};
  size_t got = 0;
  const bool readOk = ReadHeaderAt(ChunkBodyStart, head, got);
  std::memcpy(CurrentChunk.id, head, 4);
  CurrentChunk.size = BigEndianSizes ? LoadBig32(head + 4) : Ds64Size(CurrentChunk.id, Load32(head + 4));
  ChunkRead = true;
  ChunkBodyStart += 8;
  chunk = CurrentChunk;
  if (!readOk) return SystemFailure(FailureKind::CannotRead);
  return got == 8 ? 0 : 1;  // the end of the file: no reason, the caller knows what it missed
}

int RIFFFile::CloseInput() {
  if (InputOpen) {
    FileInput.Close();
    MemoryInput.Close();
    InputOpen = false;
  }
  FormType = {};
  CurrentChunk = {};
  ChunkRead = false;
  ChunkBodyStart = 0;
  InputSize = 0;
  WalkBufferLength = 0;
  Ds64 = {};
  return 0;
}

}  // namespace tacetix
