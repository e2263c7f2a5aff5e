// RIFF container: header check and chunk walking.
#include <cerrno>
#include <cstring>

#include "wave/ByteOrder.h"
#include "wave/WaveClass.h"

namespace tacetix {

// Positions are signed 32-bit byte counts; a file of 2 GiB or more cannot be addressed.
constexpr int64_t MaxInputSize = int64_t{0x7FFFFFFF};

RIFFFile::RIFFFile() = default;

RIFFFile::~RIFFFile() { RIFFFile::CloseInput(); }

int RIFFFile::Refuse(const std::string& reason) {
  Reason = reason;
  return 1;
}

int RIFFFile::SystemFailure(const FileHandle& file, const std::string& prefix) {
  return Refuse(prefix + (file.LastError() != 0 ? std::strerror(file.LastError()) : "not a regular file"));
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
  return 0;
}

int RIFFFile::NextChunk(ChunkHeader& chunk) {
  if (!InputOpen) return 1;
  if (ChunkRead) {
    // Seek to the end of the previous body (plus its pad byte) whatever was read from it.
    const int64_t next = ChunkBodyStart + int64_t{CurrentChunk.size} + (CurrentChunk.size & 1u);
    if (!InputFile.Seek(next)) return 1;
    ChunkBodyStart = next;
  }
  uint8_t head[8] = {};
  size_t got = 0;
  const bool readOk = InputFile.Read(head, 8, got);
  std::memcpy(CurrentChunk.id, head, 4);
  CurrentChunk.size = Load32(head + 4);
  ChunkRead = true;
  ChunkBodyStart += 8;
  chunk = CurrentChunk;
  return (readOk && got == 8) ? 0 : 1;
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
  return 0;
}

}  // namespace tacetix
