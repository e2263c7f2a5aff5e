// The choice of the reader by the source's first bytes.
#include "wave/SourceReader.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "wave/FileHandle.h"

namespace tacetix {

namespace {

bool EndsWithFlac(const std::string& path) {
  if (path.size() < 5) return false;
  std::string tail = path.substr(path.size() - 5);
  std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return std::tolower(c); });
  return tail == ".flac";
}

}  // namespace

AudioContainer SniffContainer(const uint8_t* head, size_t length, const std::string& path) {
  if (length >= 12 && std::memcmp(head, "FORM", 4) == 0 &&
      (std::memcmp(head + 8, "AIFF", 4) == 0 || std::memcmp(head + 8, "AIFC", 4) == 0))
    return AudioContainer::Aiff;
  if (length >= 4 && std::memcmp(head, "fLaC", 4) == 0) return AudioContainer::Flac;
  if (length >= 3 && std::memcmp(head, "ID3", 3) == 0 && EndsWithFlac(path)) return AudioContainer::Flac;
  return AudioContainer::Wave;
}

SourceReader::SourceReader() = default;

SourceReader::~SourceReader() = default;

SampleSource* SourceReader::Pick(const uint8_t* head, size_t length, const std::string& path) {
  switch (SniffContainer(head, length, path)) {
    case AudioContainer::Aiff:
      if (!Aiff) Aiff = std::make_unique<AiffReader>();
      return Aiff.get();
    case AudioContainer::Flac:
      if (!Flac) Flac = std::make_unique<FlacReader>();
      return Flac.get();
    default: return &Wave;
  }
}

// A file that cannot be opened or read here goes to the WAV reader, which says why as it did.
int SourceReader::Open(const std::string& path, const ReadOptions& options) {
  Active->Close();
  uint8_t head[12] = {};
  size_t got = 0;
  FileHandle probe;
  if (probe.OpenRead(path) && !probe.Read(head, sizeof head, got)) got = 0;
  probe.Close();
  Active = Pick(head, got, path);
  if (Active == &Wave) return Wave.Open(path, options);
  if (Active == Aiff.get()) return Aiff->Open(path, options);
  return Flac->Open(path, options);
}

int SourceReader::OpenMemory(const uint8_t* data, size_t length, const ReadOptions& options) {
  Active->Close();
  Active = Pick(data, data ? length : 0, "");
  if (Active == &Wave) return Wave.OpenMemory(data, length, options);
  if (Active == Aiff.get()) return Aiff->OpenMemory(data, length, options);
  return Flac->OpenMemory(data, length, options);
}

}  // namespace tacetix
