// The working state of one file between its steps (scans, gain, write), shared by the files
// that hold those steps and by no one else.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "run/ProcessFile.h"
#include "signal/Loudness.h"
#include "signal/SplitGaps.h"
#include "wave/SampleBlock.h"
#include "wave/WaveWriter.h"

namespace tacetix::steps {

constexpr int Ok = 0;
constexpr int EndOfData = 2;

// Every step either continues, or stops the file: Failed or Cancel.
enum Step : int { Continue = 0, Failed = 1, Cancel = -1, EndOfPass = -2 };

struct Work {
  explicit Work(FileContext& context) : C(context), Block(reinterpret_cast<uint8_t*>(context.Buffer)) {}
  FileContext& C;
  // The caller's buffer holds a block's samples as the file stores them (at most 8 bytes
  // each, so BlockValues of them fit), decoded a piece at a time by the passes.
  uint8_t* Block;
  SampleCoding In;
  WaveInfo Info{};
  FileOutcome O;
  int32_t Ch = 1;
  int64_t T = 0;
  CutFrames Cuts;                        // the natural-cut options at this file's rate
  GatingBlocks Blocks;                   // normalising to a loudness: the kept range's
  OutputDescription Output;              // what the output is made from, once it is due
  std::string Reason;                    // set when the file's own reason would not say enough
  FailureKind Kind = FailureKind::None;  // set where the file's own kind would not say enough
  // Splitting: the gap search while a pass over the sound runs, and the writer of the part
  // being written (null: the row's one output).
  std::optional<GapScan> Gaps;
  WaveWriter* PartWriter = nullptr;
  WaveWriter& Writer() { return PartWriter ? *PartWriter : C.File.Writer; }
  // The samples the write's progress runs over: the kept range, a split file's whole one.
  int64_t SplitFirst = 0, SplitLast = 0;
  int64_t ProgressFirst() const { return PartWriter ? SplitFirst : O.KeepFirst; }
  int64_t ProgressLast() const { return PartWriter ? SplitLast : O.KeepLast; }
  // Non-finite samples are counted as the passes read the blocks: [0, CountedTo) by the
  // forward passes, [CountedFrom, T) by the end scan, so no sample is counted twice.
  int64_t NonFinite = 0;
  int64_t CountedTo = 0;
  int64_t CountedFrom = 0;
};

inline bool Pump(Work& w) { return w.C.Progress.Cancelled(); }

// The format the outcome asks of the output; the sample type's values are the format tags.
inline FormatChoice TargetChoice(const FileOutcome& o) {
  return {o.TargetBits, static_cast<int16_t>(o.TargetFormat), -1};
}

// Forward passes and scans (FileScans.cpp).
int NextBlock(Work& w, int64_t blockStart, int32_t& n);
int ScanBeginning(Work& w);
int ScanEnd(Work& w);
int ScanPeak(Work& w);
int CountRest(Work& w);
// Splitting (FileParts.cpp): the gaps fed from a pass, the parts and their gains, their write.
void FeedGaps(Work& w, int64_t pos, int32_t n);
int PlanSplit(Work& w);
int WriteParts(Work& w, const std::string& outputPath);
// The gain and the record's level figures (FileGain.cpp).
void DecideGain(Work& w);
// The output (FileWrite.cpp).
int WriteKept(Work& w, const std::string& outputPath);
FailureKind OutputFailureKind(const WaveWriter& writer);
std::string OutputReason(const std::string& outputPath, const WaveWriter& writer);

}  // namespace tacetix::steps
