// Where things lie in a RIFF/RF64 WAVE file: header and chunk sizes, the fmt bodies, the
// ds64 body, and the GUID tail of an extensible fmt's sub-format. The reader and the writer
// both take them from here, so the bytes one writes are the bytes the other expects.
#pragma once

#include <cstdint>

namespace tacetix {

constexpr int64_t FormHeaderBytes = 12;  // "RIFF", size, form type
constexpr int64_t ChunkHeaderBytes = 8;  // id, 32-bit size
constexpr int32_t CanonicalHeaderBytes = 44;

constexpr uint32_t PlainFmtBytes = 16;
constexpr uint32_t ExtensibleFmtBytes = 40;
// In an extensible fmt body: the speaker mask, and the leading code of the sub-format GUID.
constexpr uint32_t ExtensibleMaskAt = 20;
constexpr uint32_t ExtensibleSubFormatAt = 24;
// The tail of the KSDATAFORMAT_SUBTYPE GUIDs (PCM, IEEE float), after their 4-byte leading code.
constexpr uint8_t SubFormatTail[12] = {0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

// ds64 body: RIFF size, data size and sample count (8 bytes each), then the table's length;
// each table entry is a chunk id and its 64-bit size.
constexpr uint32_t Ds64FixedBytes = 28;
constexpr uint32_t Ds64TableCountAt = 24;
constexpr uint32_t Ds64EntryBytes = 12;
// A 32-bit size that says "look in ds64".
constexpr uint32_t SizeInDs64 = 0xFFFFFFFF;
// The largest RIFF size 32 bits hold.
constexpr uint64_t MaxRiffSize = 0xFFFFFFFF;

}  // namespace tacetix
