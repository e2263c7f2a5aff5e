// What a WAVE file's header tells of its samples: the fmt body, the chunk list entries, the
// sizes and counts a front end shows, and the transfer block that reads and writes move.
#pragma once

#include <array>
#include <cstdint>

namespace tacetix {

// Samples per block of the decoding reads and encoding writes (ReadSamples, WriteSamples):
// their scratch buffers hold this many. The run's own blocks are of its transfer buffer's size.
constexpr int32_t TransferBlock = 131072;

constexpr uint16_t TagPCM = 1;
constexpr uint16_t TagFloat = 3;
constexpr uint16_t TagExtensible = 0xFFFE;

// A chunk header as the walk read it; in an RF64 file a 32-bit size of 0xFFFFFFFF is replaced
// by the 64-bit size its ds64 chunk gives.
struct ChunkHeader {
  char id[4];
  uint64_t size;
};

// One chunk of the input as the walk met it: id, absolute offset of its body, declared body size
// (for RF64's data chunk the 64-bit size from ds64).
struct ChunkEntry {
  std::array<char, 4> Id{};
  int64_t BodyOffset = 0;
  uint64_t Size = 0;
};

// Sizes and counts are 64-bit: an RF64 file holds more than 4 GiB of samples.
struct WaveInfo {
  int32_t FormatTag, Channels, BitsPerSample, BytesPerSample, SampleRate;
  int64_t DataBytes, SampleCount;
};

// The first 16 bytes of a fmt chunk body, decoded from little-endian.
struct FormatBody {
  uint16_t FormatTag = 0;
  uint16_t Channels = 0;
  uint32_t SampleRate = 0;
  uint32_t ByteRate = 0;
  uint16_t BlockAlign = 0;
  uint16_t BitsPerSample = 0;
};

}  // namespace tacetix
