#include "batch/RowText.h"

#include <cinttypes>
#include <cstdio>

namespace tacetix {
namespace {

std::string Format(const char* pattern, auto... values) {
  char text[256];
  std::snprintf(text, sizeof text, pattern, values...);
  return text;
}

bool DoneWithoutOutput(const RowResult& r) { return r.Status == RowStatus::Done && !r.OutputMade; }

}  // namespace

std::string_view NoOutputWhy(bool silent) { return silent ? "silent" : "nothing to cut"; }

std::string NoOutputText(bool silent) { return std::string(NoOutputWhy(silent)) + ", " + std::string(NoOutputWords); }

std::string RowReason(const RowResult& r) {
  return DoneWithoutOutput(r) ? std::string(NoOutputWhy(r.Silent)) : r.Reason;
}

std::string RowStatusReason(const RowResult& r) { return DoneWithoutOutput(r) ? NoOutputText(r.Silent) : r.Reason; }

std::string PartialOutputNote(const std::string& output) { return "partial output kept: " + output; }

std::string DoneNote(const FileOutcome& outcome) {
  std::string note = outcome.Note == GainNote::LimitedByTruePeak ? "limited by true peak"
                     : outcome.Note == GainNote::NotMeasured
                         ? "no gain: loudness not measurable (shorter than 400 ms or below the gate)"
                         : "";
  if (outcome.Clipped > 0) note += (note.empty() ? "" : "; ") + std::to_string(outcome.Clipped) + " samples clipped";
  return note;
}

std::string FramesText(const Logfile& f) {
  return Format("frames %" PRIu64 "..%" PRIu64 " of %" PRIu64, f.startsample, f.endsample, f.samples_in);
}

std::string SilentText(const Logfile& f) { return Format("no frame of %" PRIu64 " above the threshold", f.samples_in); }

std::string PeakGainText(const Logfile& f) { return Format("peak %.2f dBfs, gain %+.2f dB", f.peakdb, f.ampdb); }

std::string LoudnessText(double lufs, double truePeakDbtp) {
  return Format("loudness %.1f LUFS, true peak %.1f dBTP", lufs, truePeakDbtp);
}

std::string FiguresText(const RowResult& r, bool normalize) {
  const Logfile& f = r.Figures;
  std::string out = r.Silent ? SilentText(f) : FramesText(f) + Format(" kept, %u -> %u bits", f.bits_in, f.bits_out);
  if (normalize && f.peakdb_known) out += ", " + PeakGainText(f);
  if (r.LoudnessKnown) out += ", " + LoudnessText(r.LoudnessLufs, r.TruePeakDbtp);
  if (f.nonfinite > 0) out += ", " + std::to_string(f.nonfinite) + " non-finite samples ignored";
  out += Format(", %.3f s", r.Seconds);
  // A done file's reason says what the figures do not: a loudness gain held back, samples clipped.
  if (r.Status == RowStatus::Done && !r.Reason.empty()) out += " (" + r.Reason + ")";
  return out;
}

bool CountsClipped(const ProcessSettings& s) { return s.NormalizeLoudness || s.Dither != NoDither; }

}  // namespace tacetix
