// The gaps of a recording and the parts they cut it into.
#include "signal/SplitGaps.h"

#include <algorithm>

#include "wave/SampleBlock.h"

namespace tacetix {

bool SplittingSet(const ProcessSettings& s) { return s.SplitGapMs > 0 || s.SplitCount > 0; }

SplitFrames SplitFramesFor(const ProcessSettings& s, const CutFrames& cuts, int64_t rate) {
  SplitFrames f;
  // Silences shorter than the region gap are no silence to the click search: the gap finder
  // never looks for shorter ones, so both searches agree on what is sound.
  f.MinGap = std::max(MsToFrames(s.SplitGapMs, rate), cuts.RegionGap);
  f.MinPart = MsToFrames(s.SplitMinPartMs, rate);
  f.Count = s.SplitCount;
  return f;
}

GapScan::GapScan(const SplitFrames& split, const CutFrames& cuts, int32_t channels)
    : MinGap(std::max<int64_t>(split.MinGap, 1)), MinFrames(std::max<int64_t>(cuts.IgnoreClicks, 1)),
      RegionGap(std::max<int64_t>(cuts.RegionGap, 2)), Channels(std::max(channels, 1)) {}

// Sound from frame first to last follows what was fed before: the silence before it is a gap
// when it is long enough.
void GapScan::SoundFrom(int64_t first, int64_t last) {
  if (HaveSound && first - LastSound - 1 >= MinGap) Found.push_back({LastSound + 1, first - 1});
  HaveSound = true;
  LastSound = std::max(LastSound, last);
}

void GapScan::Feed(const uint8_t* bytes, int32_t count, int64_t firstSample, const SampleCoding& coding,
                   double threshold) {
  if (!bytes || count < 1) return;
  if (MinFrames > 1) FeedRegions(bytes, count, firstSample, coding, threshold);
  else FeedPlain(bytes, count, firstSample, coding, threshold);
}

// Every loud frame is sound. Once a sound is found, the frames a gap after it would have to
// fill are searched from their end, so in sound one look skips a gap's length.
void GapScan::FeedPlain(const uint8_t* bytes, int32_t count, int64_t firstSample, const SampleCoding& coding,
                        double threshold) {
  const auto width = static_cast<size_t>(coding.BytesPerSample);
  const int64_t end = firstSample + count;
  int64_t p = firstSample;  // the first sample not looked at
  const auto at = [&](int64_t sample) { return bytes + static_cast<size_t>(sample - firstSample) * width; };
  while (p < end) {
    const int64_t confirmEnd = HaveSound ? (LastSound + MinGap + 1) * Channels : p;  // samples before it must be silent
    if (p < confirmEnd) {
      const int64_t hi = std::min(confirmEnd, end);
      const int32_t k = LastAbove(at(p), static_cast<int32_t>(hi - p), coding, threshold);
      if (k >= 0) {
        LastSound = (p + k) / Channels;
        p = (LastSound + 1) * Channels;
      } else {
        p = hi;
      }
      continue;
    }
    const int32_t k = FirstAbove(at(p), static_cast<int32_t>(end - p), coding, threshold);
    if (k < 0) return;
    const int64_t frame = (p + k) / Channels;
    SoundFrom(frame, frame);
    p = (frame + 1) * Channels;
  }
}

// Loud frames less than RegionGap apart are one region; a region is sound once it spans
// MinFrames, else a click passed over.
void GapScan::LoudFrame(int64_t frame) {
  if (Open && frame - Edge < RegionGap) {
    Edge = frame;
    return;
  }
  if (Open && Edge - Anchor + 1 >= MinFrames) SoundFrom(Anchor, Edge);
  Open = true;
  Anchor = Edge = frame;
}

void GapScan::FeedRegions(const uint8_t* bytes, int32_t count, int64_t firstSample, const SampleCoding& coding,
                          double threshold) {
  const DecodeFn decode = DecoderFor(coding);
  if (!decode) return;
  const auto width = static_cast<size_t>(coding.BytesPerSample);
  double piece[PieceSamples];
  for (int32_t done = 0; done < count;) {
    const int32_t n = std::min(PieceSamples, count - done);
    decode(bytes + static_cast<size_t>(done) * width, piece, n, coding.Bits);
    for (int32_t i = 0; i < n; ++i) {
      if (Audible(piece[i], threshold)) LoudFrame((firstSample + done + i) / Channels);
    }
    done += n;
  }
}

std::vector<FrameSpan> GapScan::Finish() {
  if (Open && Edge - Anchor + 1 >= MinFrames) SoundFrom(Anchor, Edge);
  Open = false;
  return std::move(Found);
}

namespace {

// Reads forwards from sample from to end for the first loud sample: its frame, or -1 (none,
// or a read failed: failed says which).
int64_t NextSound(const SampleWindow& read, int64_t from, int64_t end, int32_t maxRead, const SampleCoding& coding,
                  double threshold, int32_t channels, bool& failed) {
  for (int64_t p = from; p < end;) {
    const auto n = static_cast<int32_t>(std::min<int64_t>(maxRead, end - p));
    const uint8_t* bytes = read(p, n);
    if (!bytes) {
      failed = true;
      return -1;
    }
    const int32_t k = FirstAbove(bytes, n, coding, threshold);
    if (k >= 0) return (p + k) / channels;
    p += n;
  }
  return -1;
}

// The last loud frame of the samples [from, to), read backwards in pieces that grow from a
// few thousand samples; -1 when all are silent (or a read failed).
int64_t LastSoundBefore(const SampleWindow& read, int64_t from, int64_t to, int32_t maxRead, const SampleCoding& coding,
                        double threshold, int32_t channels, bool& failed) {
  int64_t piece = std::min<int64_t>(4096 - 4096 % channels, maxRead);
  for (int64_t hi = to; hi > from;) {
    const int64_t lo = std::max(from, hi - piece);
    const uint8_t* bytes = read(lo, static_cast<int32_t>(hi - lo));
    if (!bytes) {
      failed = true;
      return -1;
    }
    const int32_t k = LastAbove(bytes, static_cast<int32_t>(hi - lo), coding, threshold);
    if (k >= 0) return (lo + k) / channels;
    hi = lo;
    piece = std::min<int64_t>(piece * 2, maxRead);
  }
  return -1;
}

}  // namespace

bool FindGapsSparse(const SampleWindow& read, int64_t first, int64_t end, int32_t maxRead, const SampleCoding& coding,
                    double threshold, int32_t channels, int64_t minGap, std::vector<FrameSpan>& gaps) {
  const int32_t ch = std::max(channels, 1);
  maxRead = std::max(maxRead - maxRead % ch, ch);
  minGap = std::max<int64_t>(minGap, 1);
  bool failed = false;
  int64_t sound = NextSound(read, first, end, maxRead, coding, threshold, ch, failed);
  while (sound >= 0) {
    const int64_t from = (sound + 1) * ch;
    const int64_t to = std::min(end, (sound + minGap + 1) * ch);
    const int64_t last = LastSoundBefore(read, from, to, maxRead, coding, threshold, ch, failed);
    if (last >= 0) {
      sound = last;
      continue;
    }
    if (failed || to == end) break;
    const int64_t next = NextSound(read, to, end, maxRead, coding, threshold, ch, failed);
    if (next >= 0) gaps.push_back({sound + 1, next - 1});
    sound = next;
  }
  return !failed;
}

namespace {

int64_t Length(const FrameSpan& s) { return s.Last - s.First + 1; }

// The count - 1 longest gaps, in order; all of them without a count.
std::vector<FrameSpan> ChooseGaps(std::vector<FrameSpan> gaps, int32_t count) {
  if (count <= 0 || gaps.size() < static_cast<size_t>(count)) return gaps;
  std::stable_sort(gaps.begin(), gaps.end(),
                   [](const FrameSpan& a, const FrameSpan& b) { return Length(a) > Length(b); });
  gaps.resize(static_cast<size_t>(count - 1));
  std::sort(gaps.begin(), gaps.end(), [](const FrameSpan& a, const FrameSpan& b) { return a.First < b.First; });
  return gaps;
}

// Parts shorter than minPart between their gaps lose the gap after them; the last, the one before.
void JoinShortParts(std::vector<FrameSpan>& gaps, FrameSpan kept, int64_t minPart) {
  if (minPart <= 0) return;
  int64_t partFirst = kept.First;
  for (size_t i = 0; i < gaps.size();) {
    if (gaps[i].First - partFirst < minPart) {
      gaps.erase(gaps.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      partFirst = gaps[i].Last + 1;
      ++i;
    }
  }
  if (!gaps.empty() && kept.Last - gaps.back().Last < minPart) gaps.pop_back();
}

}  // namespace

std::vector<FrameSpan> PlanParts(const std::vector<FrameSpan>& found, FrameSpan kept, const SplitFrames& split,
                                 const CutFrames& cuts) {
  std::vector<FrameSpan> gaps;
  for (const FrameSpan& g : found)
    if (g.First > kept.First && g.Last < kept.Last && Length(g) >= split.MinGap) gaps.push_back(g);
  gaps = ChooseGaps(std::move(gaps), split.Count);
  JoinShortParts(gaps, kept, split.MinPart);
  std::vector<FrameSpan> parts;
  int64_t first = kept.First;
  for (const FrameSpan& g : gaps) {
    const int64_t half = Length(g) / 2;
    parts.push_back({first, g.First - 1 + std::min(cuts.KeepEnd, half)});
    first = g.Last + 1 - std::min(cuts.KeepBegin, half);
  }
  parts.push_back({first, kept.Last});
  return parts;
}

}  // namespace tacetix
