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
  // The container's width here and as valid bits: sox refuses valid bits below the container
  // ("padded samples"), and the samples are read by their container all the same.
  const uint32_t containerBits = f.Channels ? 8u * (f.BlockAlign / f.Channels) : f.BitsPerSample;
  s.U16(containerBits);
  s.U16(ExtensionBytes);
  s.U16(containerBits);
  s.U32(extras.ChannelMask);
  s.U32(f.FormatTag);
  s.Raw(SubFormatTail, sizeof SubFormatTail);
}

struct FrontPlan {
  const FormatBody& Format;
  const OutputExtras& Extras;
  bool Reserved;
  int64_t DataOffset;
  uint64_t TailBytes;  // after the data and its pad byte
};

uint64_t RiffSizeOf(const FrontPlan& p, int64_t dataLength) {
  const auto length = static_cast<uint64_t>(dataLength);
  return static_cast<uint64_t>(p.DataOffset - ChunkHeaderBytes) + length + (length & 1u) + p.TailBytes;
}

bool IsRF64(const FrontPlan& p, int64_t dataLength) { return p.Reserved && RiffSizeOf(p, dataLength) > MaxRiffSize; }

// The form header, the reserved chunk, fmt and the chunks given whole: what the sizes change in.
std::vector<uint8_t> AssembleHead(const FrontPlan& p, int64_t dataLength) {
  const auto length = static_cast<uint64_t>(dataLength);
  const uint64_t riffSize = RiffSizeOf(p, dataLength);
  const bool rf64 = IsRF64(p, dataLength);
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
  return std::move(s.Bytes);
}

std::vector<uint8_t> AssembleDataHeader(const FrontPlan& p, int64_t dataLength) {
  ByteSink s(ChunkHeaderBytes);
  s.Id("data");
  s.U32(IsRF64(p, dataLength) ? SizeInDs64 : static_cast<uint32_t>(dataLength));
  return std::move(s.Bytes);
}

uint64_t WholeChunkBytes(uint64_t bodySize) { return ChunkHeaderBytes + bodySize + (bodySize & 1u); }

int64_t FrontBytes(const OutputExtras& extras, bool reserved, uint64_t carried) {
  return FormHeaderBytes + (reserved ? ChunkHeaderBytes + Ds64BodyBytes : 0) + ChunkHeaderBytes +
         (extras.Extensible ? ExtensibleFmtBytes : PlainFmtBytes) + static_cast<int64_t>(extras.BeforeData.size()) +
         static_cast<int64_t>(carried) + ChunkHeaderBytes;
}

}  // namespace

std::array<uint8_t, CanonicalHeaderBytes> WaveWriter::BuildHeader(int32_t dataLength) const {
  static const OutputExtras none;
  const FrontPlan plan{Format(), none, false, CanonicalHeaderBytes, 0};
  const auto length = static_cast<int64_t>(static_cast<uint32_t>(dataLength));
  std::vector<uint8_t> front = AssembleHead(plan, length);
  const std::vector<uint8_t> data = AssembleDataHeader(plan, length);
  front.insert(front.end(), data.begin(), data.end());
  std::array<uint8_t, CanonicalHeaderBytes> h{};
  std::memcpy(h.data(), front.data(), h.size());
  return h;
}

std::vector<uint8_t> WaveWriter::BuildHead(int64_t dataLength) const {
  return AssembleHead({Format(), Description.Extras, Reserve, DataOffset, TailBytes}, dataLength);
}

std::vector<uint8_t> WaveWriter::DataHeader(int64_t dataLength) const {
  return AssembleDataHeader({Format(), Description.Extras, Reserve, DataOffset, TailBytes}, dataLength);
}

std::vector<uint8_t> WaveWriter::BuildFront(int64_t dataLength) const {
  std::vector<uint8_t> front = BuildHead(dataLength);
  const std::vector<uint8_t> data = DataHeader(dataLength);
  front.insert(front.end(), data.begin(), data.end());
  return front;
}

// Most data bytes that 32-bit sizes can describe behind this front and the chunks after the data.
int64_t WaveWriter::RiffDataLimit() const {
  return static_cast<int64_t>(MaxRiffSize) - (DataOffset - ChunkHeaderBytes) - static_cast<int64_t>(TailBytes) - 1;
}

// Room for 64-bit sizes only when the output may need them, so that every other output keeps
// the canonical header. Moving a chunk from before the data to after it changes neither.
void WaveWriter::PlanFront() {
  const OutputExtras& extras = Description.Extras;
  Reserve = false;
  FrontChunks.clear();
  TailChunks.clear();
  FrontCarriedBytes = 0;
  TailBytes = extras.AfterData.size();
  for (const CarriedChunk& c : extras.Carried) (c.AfterData ? TailBytes : FrontCarriedBytes) += WholeChunkBytes(c.Size);
  DataOffset = FrontBytes(extras, false, FrontCarriedBytes);
  const FormatBody& f = Format();
  const int64_t outBytes = f.Channels ? f.BlockAlign / f.Channels : 0;
  const int64_t samples = Description.ExpectedSamples;
  Reserve = samples > 0 && samples > RiffDataLimit() / std::max<int64_t>(1, outBytes);
  for (size_t i = 0; i < extras.Carried.size(); ++i)
    if (extras.Carried[i].AfterData) TailChunks.push_back(i);
  for (size_t i = 0; i < extras.Carried.size(); ++i) {
    const CarriedChunk& c = extras.Carried[i];
    if (c.AfterData) continue;
    const bool moved = Reserve && (c.Size & 1u) != 0;
    (moved ? TailChunks : FrontChunks).push_back(i);
    if (!moved) continue;
    FrontCarriedBytes -= WholeChunkBytes(c.Size);
    TailBytes += WholeChunkBytes(c.Size);
  }
  DataOffset = FrontBytes(extras, Reserve, FrontCarriedBytes);
}

}  // namespace tacetix
