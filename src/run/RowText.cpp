#include "run/RowText.h"

#include <cinttypes>
#include <cstdio>

namespace tacetix {
namespace {

std::string Format(const char* pattern, auto... values) {
  char text[256];
  std::snprintf(text, sizeof text, pattern, values...);
  return text;
}

std::string_view NoOutputWhy(bool silent) { return silent ? "silent" : "nothing to cut"; }

bool DoneWithoutOutput(const RowResult& r) { return r.Status == RowStatus::Done && !r.OutputMade; }

std::string FramesText(const Logfile& f) {
  return Format("frames %" PRIu64 "..%" PRIu64 " of %" PRIu64, f.startsample, f.endsample, f.samples_in);
}

std::string SilentText(const Logfile& f) { return Format("no frame of %" PRIu64 " above the threshold", f.samples_in); }

std::string PeakGainText(const Logfile& f) { return Format("peak %.2f dBfs, gain %+.2f dB", f.peakdb, f.ampdb); }

std::string LoudnessText(double lufs, double truePeakDbtp) {
  return Format("loudness %.1f LUFS, true peak %.1f dBTP", lufs, truePeakDbtp);
}

// frames at rate as m:ss.mmm (h:mm:ss.mmm from an hour on), rounded to the millisecond.
std::string ClockText(int64_t frames, int64_t rate) {
  if (rate <= 0) return "-";
  // Whole milliseconds, ties to even, as every rounding of the program.
  int64_t ms = frames * 1000 / rate;
  const int64_t rest = frames * 1000 % rate;
  if (2 * rest > rate || (2 * rest == rate && ms % 2 != 0)) ++ms;
  const int64_t h = ms / 3600000, m = ms / 60000 % 60, s = ms / 1000 % 60;
  if (h > 0) return Format("%" PRId64 ":%02" PRId64 ":%02" PRId64 ".%03" PRId64, h, m, s, ms % 1000);
  return Format("%" PRId64 ":%02" PRId64 ".%03" PRId64, m, s, ms % 1000);
}

}  // namespace

std::string NoOutputText(bool silent) { return std::string(NoOutputWhy(silent)) + ", " + std::string(NoOutputWords); }

std::string RowReason(const RowResult& r) {
  return DoneWithoutOutput(r) ? std::string(NoOutputWhy(r.Silent)) : r.Reason;
}

std::string PartsText(size_t count) { return std::to_string(count) + (count == 1 ? " part" : " parts"); }

std::string RowStatusReason(const RowResult& r) {
  if (r.Status == RowStatus::Done && !r.Parts.empty())
    return PartsText(r.Parts.size()) + (r.Reason.empty() ? "" : "; " + r.Reason);
  return DoneWithoutOutput(r) ? NoOutputText(r.Silent) : r.Reason;
}

std::string PartialOutputNote(const std::string& output) { return "partial output kept: " + output; }

std::string PartsListText(const std::vector<FrameSpan>& parts, int64_t rate) {
  std::string text = PartsText(parts.size()) + ":";
  for (size_t i = 0; i < parts.size(); ++i)
    text += (i == 0 ? " " : ", ") + std::to_string(i + 1) + " at " + ClockText(parts[i].First, rate) + " for " +
            ClockText(parts[i].Last - parts[i].First + 1, rate);
  return text;
}

std::vector<FrameSpan> PartFramesOf(const std::vector<Logfile>& records) {
  std::vector<FrameSpan> frames;
  for (const Logfile& r : records)
    frames.push_back({static_cast<int64_t>(r.startsample), static_cast<int64_t>(r.endsample)});
  return frames;
}

std::vector<FrameSpan> PartFramesOf(const FileOutcome& outcome, int32_t channels) {
  std::vector<FrameSpan> frames;
  for (const PartOutcome& p : outcome.Parts) frames.push_back({p.First / channels, p.Last / channels});
  return frames;
}

std::string KeptPartsNote(const std::vector<std::string>& parts) {
  std::string text = "parts kept: ";
  for (size_t i = 0; i < parts.size(); ++i) text += (i == 0 ? "" : ", ") + parts[i];
  return text;
}

namespace {

// Why the meter gave no loudness: outside the rates and channels it measures, or too little sound.
std::string NotMeasuredNote(MeterLimit limit) {
  const std::string why = limit == MeterLimit::Rate ? "sample rate outside " + std::to_string(MinLoudnessRate) +
                                                          " to " + std::to_string(MaxLoudnessRate) + " Hz"
                          : limit == MeterLimit::Channels
                              ? "more than " + std::to_string(MaxLoudnessChannels) + " channels"
                              : "shorter than 400 ms or below the gate";
  return "no gain: loudness not measurable (" + why + ")";
}

}  // namespace

std::string DoneNote(const FileOutcome& outcome) {
  std::string note = outcome.Note == GainNote::LimitedByTruePeak ? "limited by true peak"
                     : outcome.Note == GainNote::NotMeasured     ? NotMeasuredNote(outcome.Loudness.Limit)
                                                                 : "";
  if (outcome.Clipped > 0) note += (note.empty() ? "" : "; ") + std::to_string(outcome.Clipped) + " samples clipped";
  return note;
}

std::string FiguresText(const RowResult& r, bool normalize) {
  const Logfile& f = r.Figures;
  std::string out = r.Silent ? SilentText(f) : FramesText(f) + Format(" kept, %u -> %u bits", f.bits_in, f.bits_out);
  if (!r.Parts.empty()) out += ", " + PartsText(r.Parts.size());
  if (normalize && f.peakdb_known) out += ", " + PeakGainText(f);
  if (r.LoudnessKnown) out += ", " + LoudnessText(r.LoudnessLufs, r.TruePeakDbtp);
  if (f.nonfinite > 0) out += ", " + std::to_string(f.nonfinite) + " non-finite samples ignored";
  out += Format(", %.3f s", r.Seconds);
  // A done file's reason says what the figures do not: a loudness gain held back, samples clipped.
  if (r.Status == RowStatus::Done && !r.Reason.empty()) out += " (" + r.Reason + ")";
  return out;
}

std::string PreviewCutText(FileResult result, const FileOutcome& outcome, const Logfile& f, int64_t rate,
                           bool normalizeLoudness) {
  if (result == FileResult::Cancelled) return std::string(FailureText(FailureKind::Cancelled));
  if (result != FileResult::Done)
    return "cannot be read" + (outcome.Reason.empty() ? std::string() : " (" + outcome.Reason + ")");
  if (outcome.Silent)
    return std::string(NoOutputWhy(true)) + ": " + std::string(NoOutputWords) + " (" + SilentText(f) + ")";
  const auto kept = static_cast<int64_t>(f.endsample - f.startsample + 1);
  std::string text = outcome.OutputDue ? "" : NoOutputText(false) + "; ";
  text += "cut " + ClockText(static_cast<int64_t>(f.startsample), rate) + " at the beginning, " +
          ClockText(static_cast<int64_t>(f.samples_in - 1 - f.endsample), rate) + " at the end; kept " +
          ClockText(kept, rate) + " of " + ClockText(static_cast<int64_t>(f.samples_in), rate) + " (" + FramesText(f) +
          ")";
  if (f.peakdb_known) text += "; " + PeakGainText(f);
  if (normalizeLoudness && outcome.Loudness.Measured) {
    const LoudnessFigures after = LoudnessAfterGain(outcome);
    text += ", " + LoudnessText(after.Lufs, after.TruePeak);
  }
  if (!outcome.Parts.empty() && f.channels_in > 0)
    text += "; " + PartsListText(PartFramesOf(outcome, static_cast<int32_t>(f.channels_in)), rate);
  const std::string note = DoneNote(outcome);
  if (!note.empty()) text += " (" + note + ")";
  return text;
}

bool CountsClipped(const ProcessSettings& s) { return s.NormalizeLoudness || s.Dither != DitherKind::None; }

}  // namespace tacetix
