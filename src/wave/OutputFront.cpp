// The bytes before an output's samples: the canonical 44-byte header, or a longer one with an
// extensible fmt, chunks carried before the data, and room for 64-bit sizes (RF64).
#include <algorithm>
#include <cstring>

#include "wave/RiffLayout.h"
#include "wave/WaveWriter.h"

namespace tacetix {
namespace {

// JUNK's body is the size of a ds64 body with an empty table, so that it can become one in place.
constexpr uint32_t Ds64BodyBytes = Ds64FixedBytes;
// The cbSize of an extensible fmt: the bytes after the plain part and this field.
constexpr uint32_t ExtensionBytes = ExtensibleFmtBytes - PlainFmtBytes - 2;

class ByteSink {
 public:
  explicit ByteSink(size_t reserve) { Bytes.reserve(reserve); }
  void Id(const char* id) { Bytes.insert(Bytes.end(), id, id + 4); }
  void U16(uint32_t v) { Put(v, 2); }
  void U32(uint32_t v) { Put(v, 4); }
  void U64(uint64_t v) { Put(v, 8); }
  void Raw(const uint8_t* p, size_t n) { Bytes.insert(Bytes.end(), p, p + n); }
  std::vector<uint8_t> Bytes;

 private:
  void Put(uint64_t v, int width) {
    for (int i = 0; i < width; ++i) Bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
};

void PutFmt(ByteSink& s, const FormatBody& f, const OutputExtras& extras) {
  s.Id("fmt ");
  s.U32(extras.Extensible ? ExtensibleFmtBytes : PlainFmtBytes);
  s.U16(extras.Extensible ? TagExtensible : f.FormatTag);
  s.U16(f.Channels);
  s.U32(f.SampleRate);
  s.U32(f.ByteRate);
  s.U16(f.BlockAlign);
  if (!extras.Extensible) {
    s.U16(f.BitsPerSample);
    return;
  }
  // The extensible form gives the container's width here and the depth as valid bits.
  s.U16(f.Channels ? 8u * (f.BlockAlign / f.Channels) : f.BitsPerSample);
  s.U16(ExtensionBytes);
  s.U16(f.BitsPerSample);
  s.U32(extras.ChannelMask);
  s.U32(f.FormatTag);
  s.Raw(SubFormatTail, sizeof SubFormatTail);
}

struct FrontPlan {
  const FormatBody& Format;
  const OutputExtras& Extras;
  bool Reserved;
  int64_t DataOffset;
};

std::vector<uint8_t> AssembleFront(const FrontPlan& p, int64_t dataLength) {
  const auto length = static_cast<uint64_t>(dataLength);
  const uint64_t riffSize = static_cast<uint64_t>(p.DataOffset - ChunkHeaderBytes) + length + (length & 1u) +
                            p.Extras.AfterData.size();
  const bool rf64 = p.Reserved && riffSize > MaxRiffSize;
  ByteSink s(static_cast<size_t>(p.DataOffset));
  s.Id(rf64 ? "RF64" : "RIFF");
  s.U32(rf64 ? SizeInDs64 : static_cast<uint32_t>(riffSize));
  s.Id("WAVE");
  if (p.Reserved) {
    s.Id(rf64 ? "ds64" : "JUNK");
    s.U32(Ds64BodyBytes);
    const uint64_t frames = p.Format.BlockAlign ? length / p.Format.BlockAlign : 0;
    for (uint64_t v : {riffSize, length, frames}) s.U64(rf64 ? v : 0);
    s.U32(0);  // no table of other chunk sizes: no other chunk needs 64 bits
  }
  PutFmt(s, p.Format, p.Extras);
  s.Raw(p.Extras.BeforeData.data(), p.Extras.BeforeData.size());
  s.Id("data");
  s.U32(rf64 ? SizeInDs64 : static_cast<uint32_t>(length));
  return std::move(s.Bytes);
}

int64_t FrontBytes(const OutputExtras& extras, bool reserved) {
  return FormHeaderBytes + (reserved ? ChunkHeaderBytes + Ds64BodyBytes : 0) + ChunkHeaderBytes +
         (extras.Extensible ? ExtensibleFmtBytes : PlainFmtBytes) + static_cast<int64_t>(extras.BeforeData.size()) +
         ChunkHeaderBytes;
}

}  // namespace

std::array<uint8_t, CanonicalHeaderBytes> WaveWriter::BuildHeader(int32_t dataLength) const {
  static const OutputExtras none;
  const std::vector<uint8_t> front = AssembleFront({Format(), none, false, CanonicalHeaderBytes},
                                                   static_cast<int64_t>(static_cast<uint32_t>(dataLength)));
  std::array<uint8_t, CanonicalHeaderBytes> h{};
  std::memcpy(h.data(), front.data(), h.size());
  return h;
}

std::vector<uint8_t> WaveWriter::BuildFront(int64_t dataLength) const {
  return AssembleFront({Format(), Description.Extras, Reserve, DataOffset}, dataLength);
}

// Most data bytes that 32-bit sizes can describe behind this front and the chunks after the data.
int64_t WaveWriter::RiffDataLimit() const {
  return static_cast<int64_t>(MaxRiffSize) - (DataOffset - ChunkHeaderBytes) -
         static_cast<int64_t>(Description.Extras.AfterData.size()) - 1;
}

// Room for 64-bit sizes only when the output may need them, so that every other output keeps
// the canonical header.
void WaveWriter::PlanFront() {
  Reserve = false;
  DataOffset = FrontBytes(Description.Extras, false);
  const FormatBody& f = Format();
  const int64_t outBytes = f.Channels ? f.BlockAlign / f.Channels : 0;
  const int64_t samples = Description.ExpectedSamples;
  if (samples > 0 && samples > RiffDataLimit() / std::max<int64_t>(1, outBytes)) {
    Reserve = true;
    DataOffset = FrontBytes(Description.Extras, true);
  }
}

}  // namespace tacetix
