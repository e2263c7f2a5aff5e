#include "support/WavBuilder.h"

namespace testsupport {

void Put16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(Bytes& b, uint32_t v) {
  Put16(b, v);
  Put16(b, v >> 16);
}
void Put64(Bytes& b, uint64_t v) {
  Put32(b, static_cast<uint32_t>(v));
  Put32(b, static_cast<uint32_t>(v >> 32));
}
void PutId(Bytes& b, const char* id) { b.insert(b.end(), id, id + 4); }

uint32_t Le16At(const Bytes& b, size_t at) { return uint32_t{b.at(at)} | uint32_t{b.at(at + 1)} << 8; }
uint32_t Le32At(const Bytes& b, size_t at) { return Le16At(b, at) | Le16At(b, at + 2) << 16; }
uint64_t Le64At(const Bytes& b, size_t at) { return Le32At(b, at) | uint64_t{Le32At(b, at + 4)} << 32; }

Bytes ChunkBytes(const char* id, const Bytes& body) {
  Bytes b;
  PutId(b, id);
  Put32(b, static_cast<uint32_t>(body.size()));
  b.insert(b.end(), body.begin(), body.end());
  if (body.size() & 1) b.push_back(0);
  return b;
}

WavBuilder& WavBuilder::Chunk(const char* id, const Bytes& data, bool pad) {
  if (pad) {
    const Bytes chunk = ChunkBytes(id, data);
    body.insert(body.end(), chunk.begin(), chunk.end());
    return *this;
  }
  return ChunkDeclared(id, static_cast<uint32_t>(data.size()), data);
}

WavBuilder& WavBuilder::ChunkDeclared(const char* id, uint32_t declaredSize, const Bytes& data) {
  PutId(body, id);
  Put32(body, declaredSize);
  body.insert(body.end(), data.begin(), data.end());
  return *this;
}

WavBuilder& WavBuilder::Fmt(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, uint16_t blockAlign) {
  return Chunk("fmt ", FmtBody(tag, channels, rate, bits, blockAlign));
}

WavBuilder& WavBuilder::Data(const Bytes& data) { return Chunk("data", data); }

Bytes WavBuilder::Build() const {
  Bytes out;
  PutId(out, riffId);
  Put32(out, overrideRiff ? riffSizeOverride : static_cast<uint32_t>(body.size() + 4));
  PutId(out, formType);
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

WavBuilder Rf64(const char* form) {
  WavBuilder w;
  w.riffId = form;
  w.overrideRiff = true;
  w.riffSizeOverride = 0xFFFFFFFF;
  return w;
}

Bytes FmtBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, uint16_t blockAlign) {
  if (blockAlign == 0) blockAlign = static_cast<uint16_t>(channels * ((bits + 7) / 8));
  Bytes f;
  Put16(f, tag);
  Put16(f, channels);
  Put32(f, rate);
  Put32(f, rate * blockAlign);
  Put16(f, blockAlign);
  Put16(f, bits);
  return f;
}

Bytes ExtensibleFmtBody(uint16_t subFormat, uint16_t channels, uint32_t rate, uint16_t bits, uint32_t channelMask,
                        uint16_t validBits, uint16_t blockAlign) {
  Bytes f = FmtBody(0xFFFE, channels, rate, bits, blockAlign);
  Put16(f, 22);
  Put16(f, validBits != 0 ? validBits : bits);
  Put32(f, channelMask);
  Put16(f, subFormat);
  // The rest of the KSDATAFORMAT GUID, the same for every sub-format.
  f.insert(f.end(), {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71});
  return f;
}

Bytes Ds64Body(uint64_t riffSize, uint64_t dataSize, uint64_t sampleCount, const std::vector<Ds64Entry>& table,
               int64_t tableLength) {
  Bytes b;
  Put64(b, riffSize);
  Put64(b, dataSize);
  Put64(b, sampleCount);
  Put32(b, tableLength >= 0 ? static_cast<uint32_t>(tableLength) : static_cast<uint32_t>(table.size()));
  for (const Ds64Entry& e : table) {
    PutId(b, e.id);
    Put64(b, e.size);
  }
  return b;
}

Bytes SimpleWav(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, const Bytes& data) {
  return WavBuilder{}.Fmt(tag, channels, rate, bits).Data(data).Build();
}

Bytes Pcm16(const std::vector<int16_t>& samples) {
  Bytes b;
  for (int16_t s : samples) Put16(b, static_cast<uint16_t>(s));
  return b;
}

}  // namespace testsupport
