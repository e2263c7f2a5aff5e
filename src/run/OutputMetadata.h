// The metadata an output carries: read from the input's listed chunks, handed to its writer.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "run/FileOutcome.h"
#include "wave/SampleSource.h"
#include "wave/WaveWriter.h"

namespace tacetix {

// Reads the chunks the output may carry from the open source (opened with its chunks listed)
// and gives the output's extras for the frames the outcome keeps of wholeSamples samples: the
// kept chunks and, for more than 2 channels or 16 bits, the extensible fmt with the speaker
// mask. outcome.DroppedChunks names the chunks left out. A chunk that cannot be read is left
// out too. The extras' maker reads the chunks again from source as the writer writes them:
// source stays open until the output is finished. cancelled is asked after each chunk that may
// be carried is read and rewritten; true stops the choice there and gives no extras.
std::optional<OutputExtras> PrepareKeptMetadata(SampleSource& source, const WaveInfo& info, int64_t wholeSamples,
                                                FileOutcome& outcome, const std::function<bool()>& cancelled);

// A split file with metadata kept: the source's cue points that lie in the silence between two
// parts, which no part holds, each as "cue point ID at frame N dropped: between parts".
std::vector<std::string> CuePointsBetweenParts(SampleSource& source, const std::vector<PartOutcome>& parts,
                                               int32_t channels);

}  // namespace tacetix
