// The file list's look at a source: the header and the format, no samples.
#include "run/SourceFacts.h"

#include "wave/LevelTime.h"
#include "wave/SourceReader.h"

namespace tacetix {

struct SourceProbe::Reader {
  SourceReader Wave;
  ReadOptions Options;
};

namespace {

// An extensible header names its samples in its sub-format: the length counts them as such.
WaveInfo LengthInfo(const SampleSource& file, WaveInfo info) {
  if (static_cast<uint16_t>(info.FormatTag) == TagExtensible &&
      (file.SubFormat() == TagPCM || file.SubFormat() == TagFloat))
    info.FormatTag = file.SubFormat();
  return info;
}

}  // namespace

SourceProbe::SourceProbe(std::function<bool()> walkPoll) : File(std::make_unique<Reader>()) {
  File->Options.WalkPoll = std::move(walkPoll);
}

SourceProbe::~SourceProbe() = default;

bool SourceProbe::Read(const std::string& path, SourceFacts& facts) {
  if (File->Wave.Open(path, File->Options) != 0) return false;
  WaveInfo info{};
  if (File->Wave.GetInfo(info) != 0) return false;
  info = LengthInfo(File->Wave, info);
  File->Wave.Close();
  facts.Bits = static_cast<uint32_t>(info.BitsPerSample);
  facts.Hz = static_cast<uint32_t>(info.SampleRate);
  facts.Channels = static_cast<uint32_t>(info.Channels);
  facts.Length = DurationText(info);
  facts.LengthMs = DurationMilliseconds(info);
  return true;
}

bool SourceProbe::Stopped() const { return File->Wave.WalkCancelled(); }

std::string SourceProbe::Reason() const { return File->Wave.FailReason(); }

}  // namespace tacetix
