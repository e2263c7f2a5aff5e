// The parts of a split file as the run handles them in the row's turn: their names, their
// records, their move onto their names all together, and the label file beside them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "log/unit_logging.h"
#include "run/FileOutcome.h"
#include "run/OutputPath.h"
#include "run/RowFile.h"

namespace tacetix {

// The name of part index (from 0) of count: "-NN" before the extension of output's file name,
// the number from 01 with as many digits as count has, at least two.
std::string PartPath(const std::string& output, size_t index, size_t count);
// The frames of all parts together.
uint64_t PartFrames(const std::vector<PartOutcome>& parts, int32_t channels);
// The log record of part index: the row's, with the part's frames, name and, with a gain a
// part, its level figures.
Logfile PartRecord(const Logfile& row, const std::vector<PartOutcome>& parts, size_t index, int32_t channels,
                   bool gainPerPart);

// The run's verdict on one part's name: Ok, or why it may not be written.
using PartCheck = std::function<PathVerdict(const std::string& path)>;

// How the move of a row's sealed parts ended.
struct PartsMoved {
  FileResult Result = FileResult::Done;
  PathVerdict Verdict = PathVerdict::Ok;  // a part's name refused before anything moved
  std::string Name;                       // the part refused or failed
};

// Moves every sealed part onto its name once each name passed check; a refusal, a failed or
// taken move leaves none of them (the ones moved already are removed again).
PartsMoved MoveParts(RowFile& file, const PartCheck& check, FileOutcome& outcome);

// The label file of the parts beside them: the output's name with ".txt".
std::string LabelPath(const std::string& output);
// A line a part, from its record: start and end in seconds of the source (six decimals) and
// the part's file name, separated by tabs, as audio editors import labels.
std::string LabelText(const std::vector<Logfile>& parts);
// Writes the labels under a temporary name and moves them onto path (over a file there only
// with replace); "" or why not.
std::string WriteSplitLabels(const std::string& path, const std::string& text, bool replace);

}  // namespace tacetix
