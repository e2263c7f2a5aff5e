// The RIFF container: the header (RIFF, or RF64/BW64 with its ds64 sizes) and the walk over
// its chunks, from a file or from memory. Knows nothing of WAVE contents.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "wave/ByteSource.h"
#include "wave/FailureKind.h"
#include "wave/WaveFormat.h"

namespace tacetix {

class RIFFFile {
 public:
  RIFFFile();
  virtual ~RIFFFile();
  RIFFFile(const RIFFFile&) = delete;
  RIFFFile& operator=(const RIFFFile&) = delete;

  // Opens the file read-only (closing any open input first) and validates it through ReadHeader.
  // A rejected header leaves the file open until CloseInput, the next open or destruction.
  int OpenInput(const std::string& path, bool sizeCheck);
  // As OpenInput, over length bytes at data, which must stay alive and unchanged while open.
  int OpenMemory(const uint8_t* data, size_t length, bool sizeCheck);
  // Reads the 12-byte RIFF header; with sizeCheck the RIFF size must equal file size - 8.
  virtual int ReadHeader(bool sizeCheck);
  // Moves to the next chunk header (skipping the body and pad byte of the previous one).
  // Headers come from a read-ahead buffer, so the source's position afterwards is not the
  // body's: a body is read with a seek of its own. Fails after MaxChunks headers, or when the
  // poll asks to stop (WalkCancelled then tells so).
  int NextChunk(ChunkHeader& chunk);
  // Closes the input and clears the chunk state. Always 0.
  virtual int CloseInput();
  // Why the last failed operation failed, as a user may read it ("data chunk missing",
  // "No such file or directory"); "" when it gave no reason.
  const std::string& FailReason() const { return Reason; }
  // What kind of failure that was; None when it gave no reason.
  FailureKind FailKind() const { return Kind; }
  // The last walk was stopped by the poll, not by the file.
  bool WalkCancelled() const { return WalkStopped; }
  // The input is an RF64 (or BW64) file: its sizes come from its ds64 chunk.
  bool IsRF64() const { return Ds64.Present; }

  // No real file has this many chunks; a walk over more is a malformed (or hostile) file.
  static constexpr int32_t MaxChunks = 100000;

 protected:
  // Called every 1024 chunk headers of a walk; true stops the walk.
  void SetWalkPoll(std::function<bool()> poll) { WalkPoll = std::move(poll); }
  // Makes the next NextChunk read the chunk header at firstChunk, as the first of a walk.
  void StartWalk(int64_t firstChunk);
  // Where a body of size bytes starting at bodyStart ends, pad byte included.
  static int64_t ChunkEnd(int64_t bodyStart, uint64_t size, int64_t fileSize);
  // Keeps the kind and the reason and returns the failure code 1.
  int Refuse(FailureKind kind, const std::string& reason);
  int Refuse(FailureKind kind) { return Refuse(kind, std::string(FailureText(kind))); }
  void ClearFailure();
  // The system's words for the last failed call on the input.
  int SystemFailure(FailureKind kind);
  std::string Reason;
  FailureKind Kind = FailureKind::None;
  ByteSource* Input = nullptr;  // the source of the last open; InputOpen tells whether it is open
  bool InputOpen = false;
  std::array<char, 4> FormType{};
  ChunkHeader CurrentChunk{};
  bool ChunkRead = false;       // a chunk header has been read since ReadHeader
  int64_t ChunkBodyStart = 0;   // absolute offset of CurrentChunk's body
  int64_t InputSize = 0;        // size of the input, queried by ReadHeader
  bool BigEndianSizes = false;  // the chunk sizes are IFF's (AIFF), not RIFF's

 private:
  bool ReadHeaderAt(int64_t offset, uint8_t* head, size_t& got);
  int ReadDs64(const std::string& form);
  uint64_t Ds64Size(const char* id, uint32_t size32) const;

  FileSource FileInput;
  MemorySource MemoryInput;

  // One entry of ds64's table: the chunk id as its four bytes read little-endian, and its size.
  struct Ds64Entry {
    uint32_t Id;
    uint64_t Size;
  };
  // The 64-bit sizes of an RF64 file's ds64 chunk; Present false for a RIFF file.
  struct Ds64Sizes {
    bool Present = false;
    uint64_t RiffSize = 0;
    uint64_t DataSize = 0;
    std::vector<Ds64Entry> Table;  // sizes of other chunks, sorted by id
  } Ds64;

  std::vector<uint8_t> WalkBuffer;  // read-ahead of the chunk headers
  int64_t WalkBufferStart = 0;
  size_t WalkBufferLength = 0;
  int32_t ChunksWalked = 0;
  std::function<bool()> WalkPoll;
  bool WalkStopped = false;
};

}  // namespace tacetix
