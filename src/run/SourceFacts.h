// What the file list shows of a source before any run, read from its header and format alone.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace tacetix {

struct SourceFacts {
  uint32_t Bits = 0;
  uint32_t Hz = 0;
  uint32_t Channels = 0;
  std::string Length;     // as the list shows it
  int64_t LengthMs = -1;  // the length shown, in milliseconds; -1 when none is shown
};

// One reader kept over a whole list of sources; the samples stay on disk.
class SourceProbe {
 public:
  // walkPoll is asked now and then while a file of a great many chunks is walked; true stops it.
  explicit SourceProbe(std::function<bool()> walkPoll);
  ~SourceProbe();
  SourceProbe(const SourceProbe&) = delete;
  SourceProbe& operator=(const SourceProbe&) = delete;

  // false when the file is no readable wave file (Reason says why) or the walk was stopped.
  bool Read(const std::string& path, SourceFacts& facts);
  bool Stopped() const;
  std::string Reason() const;

 private:
  struct Reader;
  std::unique_ptr<Reader> File;
};

}  // namespace tacetix
