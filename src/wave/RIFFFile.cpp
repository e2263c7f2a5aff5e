// RIFF container: header check and chunk walking.
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "wave/ByteOrder.h"
#include "wave/WaveClass.h"

namespace tacetix {

// Positions are signed 32-bit byte counts; a file of 2 GiB or more cannot be addressed.
constexpr int64_t MaxInputSize = int64_t{0x7FFFFFFF};
// One read fetches the headers of a run of small chunks; a jump past it costs one more read,
// kept small so that a walk of large chunks does not read their bodies.
constexpr size_t WalkBufferBytes = 512;
constexpr int32_t ChunksPerPoll = 1024;

RIFFFile::RIFFFile() = default;

RIFFFile::~RIFFFile() { RIFFFile::CloseInput(); }

int RIFFFile::Refuse(const std::string& reason) {
  Reason = reason;
  return 1;
}

int RIFFFile::SystemFailure(const FileHandle& file, const std::string& prefix) {
  return Refuse(prefix + (file.LastError() != 0 ? SystemErrorText(file.LastError()) : "not a regular file"));
}

int RIFFFile::OpenInput(const std::string& path, bool sizeCheck) {
  if (InputOpen) CloseInput();
  Reason.clear();
  if (!InputFile.OpenRead(path)) return SystemFailure(InputFile);
  InputOpen = true;
  return ReadHeader(sizeCheck);
}

int RIFFFile::ReadHeader(bool sizeCheck) {
  if (!InputOpen) return 1;
  if (!InputFile.Size(InputSize)) return SystemFailure(InputFile);
  if (InputSize > MaxInputSize) return Refuse("file is 2 GiB or larger");
  uint8_t head[8];
  size_t got = 0;
  if (!InputFile.Seek(0) || !InputFile.Read(head, 8, got)) return SystemFailure(InputFile);
  if (got < 8 || std::memcmp(head, "RIFF", 4) != 0) return Refuse("not a WAV file: no RIFF header");
  const uint32_t riffSize = Load32(head + 4);
  if (sizeCheck && InputSize - 8 != int64_t{riffSize}) return Refuse("RIFF size does not match the file size");
  if (!InputFile.Read(FormType.data(), 4, got)) return SystemFailure(InputFile);
  if (got < 4) return Refuse("not a WAV file: no RIFF header");
  ChunkRead = false;
  ChunkBodyStart = 12;
  WalkBufferLength = 0;
  ChunksWalked = 0;
  WalkStopped = false;
  return 0;
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
    if (!InputFile.Seek(offset) || !InputFile.Read(WalkBuffer.data(), WalkBuffer.size(), WalkBufferLength))
      return false;
  }
  const size_t at = static_cast<size_t>(offset - WalkBufferStart);
  got = std::min<size_t>(8, WalkBufferLength - std::min(at, WalkBufferLength));
  std::memcpy(head, WalkBuffer.data() + at, got);
  return true;
}

int RIFFFile::NextChunk(ChunkHeader& chunk) {
  if (!InputOpen) return 1;
  Reason.clear();
  // A file of zeros reads as millions of empty chunks: bounded, and the caller may stop it.
  if (++ChunksWalked > MaxChunks) return Refuse("more than " + std::to_string(MaxChunks) + " chunks");
  if (WalkPoll && ChunksWalked % ChunksPerPoll == 0 && WalkPoll()) {
    WalkStopped = true;
    return Refuse("cancelled");
  }
  // The end of the previous body (plus its pad byte), whatever was read from it.
  if (ChunkRead) ChunkBodyStart += int64_t{CurrentChunk.size} + (CurrentChunk.size & 1u);
  uint8_t head[8] = {};
  size_t got = 0;
  const bool readOk = ReadHeaderAt(ChunkBodyStart, head, got);
  std::memcpy(CurrentChunk.id, head, 4);
  CurrentChunk.size = Load32(head + 4);
  ChunkRead = true;
  ChunkBodyStart += 8;
  chunk = CurrentChunk;
  if (!readOk) return SystemFailure(InputFile);
  return got == 8 ? 0 : 1;  // the end of the file: no reason, the caller knows what it missed
}

int RIFFFile::CloseInput() {
  if (InputOpen) {
    InputFile.Close();  // a read-only descriptor loses nothing when its close reports an error
    InputOpen = false;
  }
  FormType = {};
  CurrentChunk = {};
  ChunkRead = false;
  ChunkBodyStart = 0;
  InputSize = 0;
  WalkBufferLength = 0;
  return 0;
}

}  // namespace tacetix
