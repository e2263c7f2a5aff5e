// The write's recoding of one file. A 16-bit file of ten minutes holds fifty million samples
// but only 65,536 different values: each is decoded, scaled and encoded once, into a table,
// and every sample becomes a look-up. The table is made by the very passes it replaces, so
// its entries are the bytes they would write.
#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "wave/ByteOrder.h"
#include "wave/SampleBlock.h"

namespace tacetix {
namespace {

// A table is made when the file recodes this many times more samples than it has entries.
constexpr int64_t SamplesPerEntry = 8;

template <int In>
size_t KeyAt(const uint8_t* bytes, int32_t i) {
  return In == 1 ? bytes[i] : Load16(bytes + 2 * i);
}

// In place: a wider output is written back to front so no sample is overwritten unread.
template <int In, int Out>
void LookUp(uint8_t* bytes, int32_t count, const uint8_t* table) {
  auto one = [&](int32_t i) {
    uint8_t value[Out];
    std::memcpy(value, table + KeyAt<In>(bytes, i) * Out, Out);
    std::memcpy(bytes + static_cast<size_t>(i) * Out, value, Out);
  };
  if (Out <= In) {
    for (int32_t i = 0; i < count; ++i) one(i);
  } else {
    for (int32_t i = count; i-- > 0;) one(i);
  }
}

// 3-byte outputs keep four bytes an entry, a zero and the three, and store all four from one
// byte before the sample: the zero lands on the last byte of the sample before, which is
// written next (back to front, and past any input still to be read).
template <int In>
void LookUp3(uint8_t* bytes, int32_t count, const uint8_t* table) {
  for (int32_t i = count - 1; i >= 1; --i) {
    uint8_t value[4];
    std::memcpy(value, table + KeyAt<In>(bytes, i) * 4, 4);
    std::memcpy(bytes + 3 * static_cast<size_t>(i) - 1, value, 4);
  }
  if (count > 0) std::memcpy(bytes, table + KeyAt<In>(bytes, 0) * 4 + 1, 3);
}

template <int In>
void LookUpInto(int32_t outBytes, uint8_t* bytes, int32_t count, const uint8_t* table) {
  switch (outBytes) {
    case 1: return LookUp<In, 1>(bytes, count, table);
    case 2: return LookUp<In, 2>(bytes, count, table);
    case 3: return LookUp3<In>(bytes, count, table);
    case 4: return LookUp<In, 4>(bytes, count, table);
    case 8: return LookUp<In, 8>(bytes, count, table);
    default: return;
  }
}

}  // namespace

BlockRecoder::BlockRecoder(const SampleCoding& from, const SampleCoding& to, const long double* gain,
                           int64_t sampleCount)
    : From(from), To(to), HasGain(gain != nullptr), Gain(gain ? *gain : 1.0L),
      Keeps(RecodingKeepsBytes(from, to, gain)) {
  const bool small = !from.IsFloat && (from.BytesPerSample == 1 || from.BytesPerSample == 2);
  if (Keeps || !small || !DecoderFor(from) || !EncoderFor(to)) return;
  const int32_t entries = 1 << (8 * from.BytesPerSample);
  if (sampleCount < SamplesPerEntry * entries) return;
  // Every stored value in order, recoded in place into its output bytes. Without the memory
  // for it the pieces do the work.
  const size_t width = static_cast<size_t>(std::max({from.BytesPerSample, to.BytesPerSample, 4}));
  std::vector<uint8_t> table;
  try {
    table.resize(width * entries);
  } catch (const std::bad_alloc&) {
    return;
  }
  for (int32_t key = 0; key < entries; ++key) {
    table[static_cast<size_t>(key) * from.BytesPerSample] = static_cast<uint8_t>(key);
    if (from.BytesPerSample == 2) table[2 * static_cast<size_t>(key) + 1] = static_cast<uint8_t>(key >> 8);
  }
  RecodeBlock(table.data(), entries, from, to, HasGain ? &Gain : nullptr);
  if (to.BytesPerSample == 3) {
    table.resize(4 * static_cast<size_t>(entries));
    for (int32_t key = entries; key-- > 0;) {
      std::memmove(&table[4 * static_cast<size_t>(key) + 1], &table[3 * static_cast<size_t>(key)], 3);
      table[4 * static_cast<size_t>(key)] = 0;
    }
  }
  table.resize(static_cast<size_t>(to.BytesPerSample == 3 ? 4 : to.BytesPerSample) * entries);
  Table = std::move(table);
}

void BlockRecoder::Recode(uint8_t* bytes, int32_t count) const {
  if (Keeps || !bytes || count < 1) return;
  if (Table.empty()) return RecodeBlock(bytes, count, From, To, HasGain ? &Gain : nullptr);
  if (From.BytesPerSample == 1) LookUpInto<1>(To.BytesPerSample, bytes, count, Table.data());
  else LookUpInto<2>(To.BytesPerSample, bytes, count, Table.data());
}

}  // namespace tacetix
