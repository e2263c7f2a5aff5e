// A split file's parts in the row's turn: names, records, the move of all of them, the labels.
#include "run/PartOutputs.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "run/FileWork.h"
#include "wave/AtomicOutput.h"

namespace tacetix {

std::string PartPath(const std::string& output, size_t index, size_t count) {
  const size_t nameStart = FolderPart(output).size();
  const size_t dot = output.find_last_of('.');
  const size_t at = dot == std::string::npos || dot < nameStart ? output.size() : dot;
  const int width = std::max<int>(2, static_cast<int>(std::to_string(count).size()));
  char number[32];
  std::snprintf(number, sizeof number, "-%0*zu", width, index + 1);
  return output.substr(0, at) + number + output.substr(at);
}

uint64_t PartFrames(const std::vector<PartOutcome>& parts, int32_t channels) {
  uint64_t frames = 0;
  for (const PartOutcome& p : parts) frames += static_cast<uint64_t>((p.Last - p.First + 1) / channels);
  return frames;
}

Logfile PartRecord(const Logfile& row, const std::vector<PartOutcome>& parts, size_t index, int32_t channels,
                   bool gainPerPart) {
  const PartOutcome& part = parts[index];
  Logfile record = row;
  record.outfile = PartPath(row.outfile, index, parts.size());
  record.startsample = static_cast<uint64_t>(part.First / channels);
  record.endsample = static_cast<uint64_t>(part.Last / channels);
  record.samples_out = record.endsample - record.startsample + 1;
  record.clipped = part.Clipped;
  if (gainPerPart) {
    record.peakdb = part.PeakDb;
    record.ampdb = part.AmpDb;
  }
  return record;
}

namespace {

// The parts moved already go again: none of a source's parts stands without the others.
void TakeBack(RowFile& file, size_t moved) {
  for (size_t i = 0; i < moved; ++i) {
    std::error_code ec;
    std::filesystem::remove(file.PartPaths[i], ec);
  }
  file.DiscardOutput();
}

}  // namespace

PartsMoved MoveParts(RowFile& file, const PartCheck& check, FileOutcome& outcome) {
  PartsMoved result;
  for (const std::string& path : file.PartPaths) {
    const PathVerdict verdict = check(path);
    if (verdict == PathVerdict::Ok) continue;
    file.DiscardOutput();
    result.Result = FileResult::NameTaken;
    result.Verdict = verdict;
    result.Name = path;
    outcome.Kind = verdict == PathVerdict::SameAsInput ? FailureKind::SameAsInput : FailureKind::NameTaken;
    return result;
  }
  for (size_t i = 0; i < file.Parts.size(); ++i) {
    WaveWriter& part = *file.Parts[i];
    if (part.Close() == 0) continue;
    result.Name = file.PartPaths[i];
    if (part.NameTaken()) {
      result.Result = FileResult::NameTaken;
      result.Verdict = PathVerdict::ExistsRefused;
      outcome.Kind = FailureKind::NameTaken;
    } else {
      result.Result = FileResult::Failed;
      outcome.Kind = steps::OutputFailureKind(part);
      outcome.Reason = steps::OutputReason(result.Name, part);
    }
    TakeBack(file, i);
    return result;
  }
  return result;
}

std::string LabelPath(const std::string& output) {
  const size_t nameStart = FolderPart(output).size();
  const size_t dot = output.find_last_of('.');
  return output.substr(0, dot == std::string::npos || dot < nameStart ? output.size() : dot) + ".txt";
}

std::string LabelText(const std::vector<Logfile>& parts) {
  std::string text;
  for (const Logfile& part : parts) {
    const double rate = part.hz_in > 0 ? static_cast<double>(part.hz_in) : 1.0;
    char times[96];
    std::snprintf(times, sizeof times, "%.6f\t%.6f\t", static_cast<double>(part.startsample) / rate,
                  static_cast<double>(part.endsample + 1) / rate);
    text += times + FileNamePart(part.outfile) + "\n";
  }
  return text;
}

std::string WriteSplitLabels(const std::string& path, const std::string& text, bool replace) {
  AtomicOutput target;
  FileHandle handle;
  if (!target.Create(path, replace, handle))
    return path + ": " + (target.NotRegularFile() ? std::string("not a regular file") : SystemErrorText(errno));
  size_t put = 0;
  const bool written = handle.Write(text.data(), text.size(), put) && put == text.size();
  const int error = written ? 0 : handle.LastError();
  if (!handle.Close() || !written) {
    target.Discard();
    return path + ": " + SystemErrorText(error != 0 ? error : errno);
  }
  const CommitResult moved = target.Commit();
  if (moved == CommitResult::Moved) return "";
  return path + ": " +
         (moved == CommitResult::NameTaken ? std::string(FailureText(FailureKind::NameTaken)) : SystemErrorText(errno));
}

}  // namespace tacetix
