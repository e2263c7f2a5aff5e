// Wave files byte by byte: little-endian fields, chunks, fmt bodies (plain and extensible),
// ds64 bodies, and a builder that assembles RIFF, RF64 and malformed files from them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& b, uint32_t v);
void Put32(Bytes& b, uint32_t v);
void Put64(Bytes& b, uint64_t v);
void PutId(Bytes& b, const char* id);
// Little-endian fields of a file's bytes, for checking headers.
uint32_t Le16At(const Bytes& b, size_t at);
uint32_t Le32At(const Bytes& b, size_t at);
uint64_t Le64At(const Bytes& b, size_t at);

// One chunk as it sits in a file: id, size, body and the pad byte after an odd body.
Bytes ChunkBytes(const char* id, const Bytes& body);

// Assembles a RIFF/WAVE file chunk by chunk, so a malformed header is one line to write.
struct WavBuilder {
  Bytes body;  // everything after the 12-byte RIFF header
  uint32_t riffSizeOverride = 0;
  bool overrideRiff = false;
  const char* riffId = "RIFF";
  const char* formType = "WAVE";

  WavBuilder& Chunk(const char* id, const Bytes& data, bool pad = true);
  // A size field that need not match the bytes that follow (cut off, or held in ds64).
  WavBuilder& ChunkDeclared(const char* id, uint32_t declaredSize, const Bytes& data);
  WavBuilder& Fmt(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, uint16_t blockAlign = 0);
  WavBuilder& Data(const Bytes& data);
  Bytes Build() const;
};

// A builder whose RIFF size says "see ds64", under form "RF64" or "BW64".
WavBuilder Rf64(const char* form = "RF64");

Bytes FmtBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, uint16_t blockAlign = 0);
// A 40-byte WAVE_FORMAT_EXTENSIBLE body; subFormat is the tag the GUID carries (1 PCM, 3 float).
Bytes ExtensibleFmtBody(uint16_t subFormat, uint16_t channels, uint32_t rate, uint16_t bits, uint32_t channelMask,
                        uint16_t validBits = 0, uint16_t blockAlign = 0);

// A ds64 body: 64-bit RIFF size, data size, sample count, then the table of other chunks' sizes;
// tableLength, when not negative, is the count declared instead of the table's own.
struct Ds64Entry {
  const char* id;
  uint64_t size;
};
Bytes Ds64Body(uint64_t riffSize, uint64_t dataSize, uint64_t sampleCount, const std::vector<Ds64Entry>& table = {},
               int64_t tableLength = -1);

// A whole canonical PCM file in one call.
Bytes SimpleWav(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, const Bytes& data);
// 16-bit little-endian samples.
Bytes Pcm16(const std::vector<int16_t>& samples);

}  // namespace testsupport
