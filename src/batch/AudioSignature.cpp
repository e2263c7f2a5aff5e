// The first bytes of the audio containers a user may hold under any name.
#include "batch/AudioSignature.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstring>

namespace tacetix {

namespace {

// Enough for the longest signature: Wave64's 16-byte GUID, or a form type at byte 8.
constexpr size_t HeadBytes = 16;

// The Wave64 RIFF GUID, 66666972-912E-11CF-A5D6-28DB04C10000 as it is stored.
constexpr uint8_t Wave64Riff[HeadBytes] = {'r',  'i',  'f',  'f',  0x2E, 0x91, 0xCF, 0x11,
                                           0xA5, 0xD6, 0x28, 0xDB, 0x04, 0xC1, 0x00, 0x00};

bool At(const uint8_t* head, size_t length, size_t offset, const char* text) {
  const size_t n = std::strlen(text);
  return length >= offset + n && std::memcmp(head + offset, text, n) == 0;
}

// An MPEG audio frame header (11 sync bits, a version and a layer that are not reserved, a
// bitrate and a rate that are not), or an ADTS frame of AAC, which has layer 0. MP3s without
// an ID3 tag begin so.
bool FrameSync(const uint8_t* h, size_t length) {
  if (length < 3 || h[0] != 0xFF || (h[1] & 0xE0) != 0xE0 || (h[1] & 0x18) == 0x08) return false;
  if ((h[1] & 0x06) == 0) return (h[1] & 0x10) != 0;
  return (h[2] & 0xF0) != 0xF0 && (h[2] & 0x0C) != 0x0C;
}

std::string FormContainer(const uint8_t* head, size_t length) {
  const bool riff = At(head, length, 0, "RIFF") || At(head, length, 0, "RIFX");
  // Long wave files carry their sizes in a ds64 chunk under an RF64 or BW64 container id.
  if ((riff || At(head, length, 0, "RF64") || At(head, length, 0, "BW64")) && At(head, length, 8, "WAVE"))
    return "wave";
  if (At(head, length, 0, "FORM") && (At(head, length, 8, "AIFF") || At(head, length, 8, "AIFC"))) return "AIFF";
  if (At(head, length, 0, "FORM") && At(head, length, 8, "8SVX")) return "8SVX";
  return "";
}

}  // namespace

std::string AudioContainerOf(const uint8_t* head, size_t length) {
  struct Magic {
    size_t Offset;
    const char* Text;
    const char* Name;
  };
  static const Magic magics[] = {{0, "fLaC", "FLAC"},
                                 {0, "caff", "CAF"},
                                 {0, "OggS", "Ogg"},
                                 {0, "ID3", "MP3"},
                                 {0, ".snd", "Sun/NeXT"},
                                 {0, "wvpk", "WavPack"},
                                 {0, "MAC ", "Monkey's Audio"},
                                 {4, "ftyp", "MPEG-4"},
                                 {0, "\x1A\x45\xDF\xA3", "Matroska"}};
  std::string form = FormContainer(head, length);
  if (!form.empty()) return form;
  if (length >= HeadBytes && std::memcmp(head, Wave64Riff, HeadBytes) == 0) return "Wave64";
  for (const Magic& m : magics)
    if (At(head, length, m.Offset, m.Text)) return m.Name;
  return FrameSync(head, length) ? "MP3" : "";
}

std::string AudioContainerAt(const std::string& path) {
  struct stat st {};
  // Only regular files are opened: a FIFO or a device given as the log is left alone.
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return "";
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return "";
  uint8_t head[HeadBytes] = {};
  const ssize_t got = ::read(fd, head, sizeof head);
  ::close(fd);
  return got > 0 ? AudioContainerOf(head, static_cast<size_t>(got)) : "";
}

std::string AudioFileRefusal(const std::string& name, const std::string& what) {
  const std::string kind = AudioContainerAt(name);
  if (kind.empty()) return "";
  const std::string lead = "the " + what + " file is ";
  // The wave family keeps the words it always had.
  if (kind == "wave") return lead + "a wave file: " + name;
  return lead + "an audio file (" + kind + "): " + name;
}

}  // namespace tacetix
