// What the run reads of a source, whatever holds it (WAV, AIFF, FLAC): its format as a WAVE
// fmt states it and its samples as a WAVE data chunk stores them (little-endian, 8-bit
// unsigned, fewer bits at the top of their container), so the scans, the codecs, the gain and
// the output format work alike for every source.
// Every operation returns 0 for success, 1 for failure (the sample reads also 2 for the end
// of the data); FailReason and FailKind then tell why.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "wave/FailureKind.h"
#include "wave/FlacMetadata.h"
#include "wave/SampleCodecs.h"
#include "wave/WaveFormat.h"

namespace tacetix {

// The container a source is read from, and an output written in.
enum class AudioContainer : uint8_t { Wave, Aiff, Flac };

// The text chunks (NAME, AUTH, "(c) ", ANNO, COMT, "ID3 ") an AIFF source gives an AIFF output
// under Keep metadata, whole and in file order, and the chunks left behind by name.
struct AiffChunks {
  struct Chunk {
    std::array<char, 4> Id{};
    std::vector<uint8_t> Body;
  };
  std::vector<Chunk> Carried;
  std::vector<std::string> Dropped;  // of an AIFF output
  std::vector<std::string> All;      // of an output of another type, which carries none
};

class SampleSource {
 public:
  virtual ~SampleSource() = default;
  virtual int GetInfo(WaveInfo& info) = 0;
  // Sets the read position to sample index (not frame); 1 when it lies at or past the end.
  virtual int SeekSample(int64_t index) = 0;
  virtual int ClearReadPosition() = 0;
  // Decodes up to requested samples into dest; 2 when the read position was already at the end.
  virtual int ReadSamples(double* dest, int32_t requested, int32_t& delivered) = 0;
  // As ReadSamples, in Coding's bytes (dest has room for requested samples of its size).
  virtual int ReadSampleBytes(uint8_t* dest, int32_t requested, int32_t& delivered) = 0;
  virtual SampleCoding Coding() const = 0;
  virtual const FormatBody& Format() const = 0;
  virtual bool IsFloat() const = 0;
  virtual AudioContainer Container() const = 0;
  // The sub-format code and channel mask of an extensible WAVE fmt; 0 for others.
  virtual int32_t SubFormat() const { return 0; }
  virtual uint32_t ChannelMask() const { return 0; }
  // Bytes of a streamed RIFF data chunk past 4 GiB left unread, and bytes a data chunk declares
  // past the end of the file; 0 where the container has neither.
  virtual uint64_t IgnoredDataBytes() const { return 0; }
  virtual uint64_t MissingDataBytes() const { return 0; }
  // The WAVE chunks of the source in file order when the open listed them; empty for others.
  virtual const std::vector<ChunkEntry>& Chunks() const = 0;
  // A FLAC source opened with its metadata listed: the blocks an output may carry; null for others.
  virtual std::shared_ptr<const FlacBlocks> FlacMetadata() const { return nullptr; }
  // The same for an AIFF source.
  virtual std::shared_ptr<const AiffChunks> AiffMetadata() const { return nullptr; }
  // Exactly length bytes of the source from offset; 1 when they are not all there.
  virtual int ReadInputBytes(int64_t offset, uint8_t* dest, size_t length) = 0;
  virtual const std::string& FailReason() const = 0;
  virtual FailureKind FailKind() const = 0;
  // The last open's walk was stopped by its poll, not by the file.
  virtual bool WalkCancelled() const = 0;
  // Closes the source and resets the reader. Always 0.
  virtual int Close() = 0;

 protected:
  // ReadSamples through ReadSampleBytes and the codec of Coding, for containers whose stored
  // bytes are made as they are read.
  int DecodeThrough(double* dest, int32_t requested, int32_t& delivered);
};

}  // namespace tacetix
