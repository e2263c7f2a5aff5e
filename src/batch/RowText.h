// The words a file's result is told in: the terminal's lines (-v), the preview, the window's
// Status reasons and the JSON report take them from here, so no two of them drift apart.
#pragma once

#include <string>
#include <string_view>

#include "batch/BatchRun.h"
#include "batch/ProcessFile.h"

namespace tacetix {

inline constexpr std::string_view NoOutputWords = "no output";

// Why a file that ended "done" has no output: "silent" or "nothing to cut".
std::string_view NoOutputWhy(bool silent);
// "silent, no output", "nothing to cut, no output".
std::string NoOutputText(bool silent);

// A row's reason as the report gives it: a done file without output says why, any other row
// its own reason ("" when it has none).
std::string RowReason(const RowResult& result);
// The same as the window's Status column gives it: "nothing to cut, no output".
std::string RowStatusReason(const RowResult& result);

// A cancelled row's reason when its output cut short was kept: "partial output kept: NAME".
std::string PartialOutputNote(const std::string& output);

// What a done file's record adds to its figures: the loudness gain's limit and the samples
// clipped, joined by "; "; "" when neither.
std::string DoneNote(const FileOutcome& outcome);

// The pieces of a figures line: "frames 22579..1880054 of 1933079", "no frame of 1933079
// above the threshold", "peak -3.20 dBfs, gain +3.10 dB", "loudness -23.0 LUFS, true peak
// -1.5 dBTP".
std::string FramesText(const Logfile& figures);
std::string SilentText(const Logfile& figures);
std::string PeakGainText(const Logfile& figures);
std::string LoudnessText(double lufs, double truePeakDbtp);

// The figures of a done file (-v): "frames 10..99 of 120 kept, 16 -> 24 bits, peak ..., 0.012 s".
std::string FiguresText(const RowResult& result, bool normalize);

// Whether a run counts the samples its output clipped (the log's and the report's "clipped"):
// only a loudness gain or dither can push a sample past full scale unasked.
bool CountsClipped(const ProcessSettings& settings);

}  // namespace tacetix
