// Little-endian (and big-endian) integers from and to bytes, by shifting: endian-safe, no aliasing tricks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

namespace tacetix {

inline uint16_t Load16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

inline uint32_t Load32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

inline void Store16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

inline void Store32(uint8_t* p, uint32_t v) {
  Store16(p, v);
  Store16(p + 2, v >> 16);
}

inline uint64_t Load64(const uint8_t* p) { return uint64_t{Load32(p)} | uint64_t{Load32(p + 4)} << 32; }

inline void Store64(uint8_t* p, uint64_t v) {
  Store32(p, static_cast<uint32_t>(v));
  Store32(p + 4, static_cast<uint32_t>(v >> 32));
}

// Big-endian, as IFF (AIFF) and FLAC store their fields.
inline uint16_t LoadBig16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }

inline uint32_t LoadBig32(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | uint32_t{p[3]};
}

inline void StoreBig16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v >> 8);
  p[1] = static_cast<uint8_t>(v);
}

inline void StoreBig32(uint8_t* p, uint32_t v) {
  StoreBig16(p, v >> 16);
  StoreBig16(p + 2, v);
}

// Reverses the bytes of each of count words of type T in place.
template <class T, T (*Swap)(T)>
inline void SwapWords(uint8_t* p, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    T v;
    std::memcpy(&v, p + sizeof(T) * i, sizeof(T));
    v = Swap(v);
    std::memcpy(p + sizeof(T) * i, &v, sizeof(T));
  }
}

inline uint16_t Swap16(uint16_t v) { return __builtin_bswap16(v); }
inline uint32_t Swap32(uint32_t v) { return __builtin_bswap32(v); }
inline uint64_t Swap64(uint64_t v) { return __builtin_bswap64(v); }

// Reverses the bytes of each of count values of size bytes (2, 3, 4 or 8) in place: AIFF's
// samples to WAVE's and back. Loops of one size each, which the compiler vectorises.
inline void SwapEach(uint8_t* p, size_t count, int32_t size) {
  switch (size) {
    case 2: SwapWords<uint16_t, Swap16>(p, count); break;
    case 3:
      for (size_t i = 0; i < count; ++i) std::swap(p[3 * i], p[3 * i + 2]);
      break;
    case 4: SwapWords<uint32_t, Swap32>(p, count); break;
    case 8: SwapWords<uint64_t, Swap64>(p, count); break;
    default: break;
  }
}

}  // namespace tacetix
