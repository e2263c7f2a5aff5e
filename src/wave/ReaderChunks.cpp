// The reader's chunk walk: finding the fmt and data chunks, listing the others, reading their bytes.
#include <algorithm>
#include <cstring>

#include "wave/RiffLayout.h"
#include "wave/WaveReader.h"

namespace tacetix {
namespace {

// Why a chunk was not found: most often the chunk before it claims more bytes than the file has.
std::string MissingChunk(const char* wanted, const ChunkHeader& last, int64_t lastEnd, int64_t fileSize) {
  std::string text = std::string(wanted) + " chunk missing";
  if (lastEnd <= fileSize) return text;
  const bool printable = std::all_of(last.id, last.id + 4, [](char c) { return c >= 32 && c < 127; });
  return text + ": " + (printable ? "chunk '" + std::string(last.id, 4) + "'" : std::string("a chunk")) +
         " runs past the end of the file";
}

ChunkEntry EntryOf(const ChunkHeader& chunk, int64_t bodyOffset) {
  ChunkEntry e;
  std::memcpy(e.Id.data(), chunk.id, 4);
  e.BodyOffset = bodyOffset;
  e.Size = chunk.size;
  return e;
}

}  // namespace

// A walk that stopped on its own (too many chunks, a read error, a cancel) keeps its reason;
// one that reached the end of the file did not find the chunk.
int WaveReader::WalkFailure(const char* wanted, const ChunkHeader& last, int64_t lastEnd) {
  return Reason.empty() ? Refuse(FailureKind::Malformed, MissingChunk(wanted, last, lastEnd, InputSize)) : 1;
}

// Walks on to the chunk with id wanted, listing what it meets when asked to.
int WaveReader::WalkTo(const char* wanted, ChunkHeader& chunk, int64_t& chunkEnd) {
  do {
    const ChunkHeader last = chunk;
    if (NextChunk(chunk) != 0) return WalkFailure(std::string(wanted, 4) == "fmt " ? "fmt" : wanted, last, chunkEnd);
    chunkEnd = ChunkEnd(ChunkBodyStart, chunk.size, InputSize);
    if (ListChunks) ChunkList.push_back(EntryOf(chunk, ChunkBodyStart));
  } while (std::memcmp(chunk.id, wanted, 4) != 0);
  return 0;
}

// fmt must come first; a data chunk standing before it is never found.
int WaveReader::LocateChunks() {
  ChunkHeader chunk{};
  int64_t chunkEnd = 0;
  if (WalkTo("fmt ", chunk, chunkEnd) != 0) return 1;
  // A fmt body shorter than 16 bytes cannot describe the format.
  if (chunk.size < PlainFmtBytes) return Refuse(FailureKind::Malformed, "fmt chunk too short");
  FmtOffset = ChunkBodyStart;
  FmtSize = chunk.size;
  if (WalkTo("data", chunk, chunkEnd) != 0) return 1;
  if (chunk.size == 0) return Refuse(FailureKind::Malformed, "data chunk empty");
  DataOffset = ChunkBodyStart;
  // The declared size is unsigned (streaming writers put 0xFFFFFFFF there); cut it to the file.
  // A RIFF file cannot declare more: what such a data chunk holds past it is left unread, as
  // the other readers of RIFF files leave it, and told.
  const uint64_t inFile = static_cast<uint64_t>(std::max<int64_t>(0, InputSize - DataOffset));
  DataLength = static_cast<int64_t>(std::min(chunk.size, inFile));
  if (!IsRF64() && chunk.size == MaxRiffSize && inFile > MaxRiffSize) DataPastSize = inFile - MaxRiffSize;
  if (chunk.size > inFile && !(chunk.size == MaxRiffSize && !IsRF64())) DataShortBy = chunk.size - inFile;
  if (ListChunks) ListRest();
  return WalkCancelled() ? 1 : 0;
}

// The chunks after data. The file is as readable as without the list, so whatever ends the
// walk early (the end of the file, a chunk running past it, too many chunks) only ends the
// list; a cancel stops the file as it does before data.
void WaveReader::ListRest() {
  ChunkHeader chunk{};
  while (NextChunk(chunk) == 0) {
    if (ChunkBodyStart > InputSize || chunk.size > static_cast<uint64_t>(InputSize - ChunkBodyStart)) break;
    ChunkList.push_back(EntryOf(chunk, ChunkBodyStart));
  }
  if (!WalkCancelled()) ClearFailure();
}

int WaveReader::ReadInputBytes(int64_t offset, uint8_t* dest, size_t length) {
  if (!InputOpen || offset < 0 || (!dest && length > 0)) return 1;
  size_t got = 0;
  if (!Input->Seek(offset) || !Input->Read(dest, length, got)) return SystemFailure(FailureKind::CannotRead);
  return got == length ? 0 : Refuse(FailureKind::CannotRead);
}

}  // namespace tacetix
