// The PNG container: signature, IHDR, one IDAT of the deflated rows, IEND; every chunk with
// its CRC of type and body.
#include "preview/PngFile.h"

#include <zlib.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "wave/FailureKind.h"

namespace tacetix {

namespace {

void PutBig32(std::string& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((v >> shift) & 0xFF));
}

void Chunk(std::string& out, const char* type, const std::string& body) {
  PutBig32(out, static_cast<uint32_t>(body.size()));
  const std::string typed = std::string(type, 4) + body;
  out += typed;
  PutBig32(out, static_cast<uint32_t>(
                    crc32(0, reinterpret_cast<const Bytef*>(typed.data()), static_cast<uInt>(typed.size()))));
}

// Every row led by filter type 0 (none).
bool Deflated(const Picture& picture, std::string& out) {
  const size_t rowBytes = static_cast<size_t>(picture.Width) * 3;
  std::string raw;
  raw.reserve((rowBytes + 1) * static_cast<size_t>(picture.Height));
  for (int32_t y = 0; y < picture.Height; ++y) {
    raw.push_back('\0');
    raw.append(reinterpret_cast<const char*>(picture.Rgb.data()) + rowBytes * static_cast<size_t>(y), rowBytes);
  }
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  out.resize(size);
  if (compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
                static_cast<uLong>(raw.size()), 6) != Z_OK)
    return false;
  out.resize(size);
  return true;
}

}  // namespace

int WritePng(const std::string& path, const Picture& picture, std::string& why) {
  std::string data;
  if (!Deflated(picture, data)) {
    why = FailureText(FailureKind::NoMemory);
    return 1;
  }
  std::string png("\x89PNG\r\n\x1a\n", 8), header;
  PutBig32(header, static_cast<uint32_t>(picture.Width));
  PutBig32(header, static_cast<uint32_t>(picture.Height));
  header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter choice, not interlaced
  Chunk(png, "IHDR", header);
  Chunk(png, "IDAT", data);
  Chunk(png, "IEND", "");
  return WriteWholeFile(path, png, why);
}

int WriteWholeFile(const std::string& path, const std::string& bytes, std::string& why) {
  errno = 0;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (out) out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (out) out.close();
  if (!out) {
    why = errno != 0 ? std::strerror(errno) : "";
    return 1;
  }
  return 0;
}

}  // namespace tacetix
