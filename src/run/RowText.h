// The words a file's result is told in: -v, the preview, the window's Status reasons and the
// JSON report take them from here, so no two of them drift apart.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "run/BatchRun.h"
#include "run/ProcessFile.h"

namespace tacetix {

inline constexpr std::string_view NoOutputWords = "no output";
// Why a file done has no output, with the words above: "nothing to cut, no output".
std::string NoOutputText(bool silent);
// A row's reason in the report ("silent" or "nothing to cut" for a done file without output)
// and in the window's Status column ("silent, no output").
std::string RowReason(const RowResult& result);
std::string RowStatusReason(const RowResult& result);
// A cancelled row's reason when its output cut short was kept: "partial output kept: NAME".
std::string PartialOutputNote(const std::string& output);
// "1 part", "12 parts".
std::string PartsText(size_t count);
// The parts of a split file, each its first frame and its last: "3 parts: 1 at 0:00.399 for
// 0:01.201, 2 at ..., 3 at ...", at the source's rate. -v and the preview say the same.
std::string PartsListText(const std::vector<FrameSpan>& parts, int64_t rate);
std::vector<FrameSpan> PartFramesOf(const std::vector<Logfile>& records);
std::vector<FrameSpan> PartFramesOf(const FileOutcome& outcome, int32_t channels);
// A cancelled split file's reason: "parts kept: NAME-01, NAME-02", the last maybe cut short.
std::string KeptPartsNote(const std::vector<std::string>& parts);
// What a done file's figures do not tell: the loudness gain's limit and the samples clipped,
// joined by "; "; "" when neither.
std::string DoneNote(const FileOutcome& outcome);

// -v: "frames 100..4099 of 8000 kept, 16 -> 24 bits, peak -6.02 dBfs, gain +5.02 dB, 0.012 s"
std::string FiguresText(const RowResult& result, bool normalize);
// The preview: "cut 0:00.512 at the beginning, 0:01.204 at the end; kept 0:42.118 of 0:43.834
// (frames 22579..1880054 of 1933079); peak -3.20 dBfs, gain +3.10 dB", or "silent: no output
// (...)", "nothing to cut, no output; ...", or the reason a file could not be read. From a plan's
// result, outcome and record, at its sample rate.
std::string PreviewCutText(FileResult result, const FileOutcome& outcome, const Logfile& figures, int64_t rate,
                           bool normalizeLoudness);

// Whether a run counts the samples its output clipped (the log's and the report's "clipped"):
// only a loudness gain or dither pushes a sample past full scale unasked.
bool CountsClipped(const ProcessSettings& settings);

}  // namespace tacetix
