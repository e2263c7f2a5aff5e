// The machine-readable result of a run: one JSON object per file and a closing summary
// object, one per line (JSON Lines).
#pragma once

#include <fstream>
#include <map>
#include <ostream>
#include <string>

#include "run/BatchRun.h"

namespace tacetix {

// Appends bytes as a JSON string literal. Valid UTF-8 is kept as it is; every byte that is
// not part of a valid UTF-8 sequence becomes \udcXX (XX its value in hex), which is what
// Python's "surrogateescape" error handler gives and takes back, so a name's exact bytes
// survive: json.loads(line)["source"].encode("utf-8", "surrogateescape").
void AppendJsonString(std::string& out, const std::string& bytes);

class JsonReport {
 public:
  // "-" writes to standardOutput. false when the file cannot be created.
  bool Open(const std::string& name, std::ostream& standardOutput);
  bool IsOpen() const { return Out != nullptr; }
  // Records then name the chunks each output dropped; off, they stay as they were.
  void SetKeepMetadata(bool on) { KeepMetadata = on; }
  // Runs that normalise to a loudness or dither add loudness_lufs, true_peak_dbtp and clipped.
  void SetLoudnessFields(bool on) { LoudnessFields = on; }
  void Record(const std::string& source, const RowResult& result, bool normalize);
  // The last line: the summary text and the counts; then flushes. false when any write failed.
  bool Finish(const RunResult& run, size_t listed, bool simulated);
  // A record could not be written (a closed pipe, a full disk).
  bool WriteFailed() const { return Failed; }
  // The system's error number of the first failed write; 0 when it gave none.
  int WriteError() const { return FailedErrno; }

 private:
  void Write(const std::string& line);
  void NoteState(const std::ostream& stream);

  std::ofstream File;
  std::ostream* Out = nullptr;
  bool Failed = false;
  int FailedErrno = 0;
  bool KeepMetadata = false;
  bool LoudnessFields = false;
  std::map<std::string, int32_t> Statuses;  // keyed by word: the summary lists them in the words' order
  int32_t Outputs = 0;
  int32_t Unchanged = 0;
  int32_t Silent = 0;
  double Seconds = 0.0;
};

}  // namespace tacetix
