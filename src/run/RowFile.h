// The files of one row of a run: its source's reader and its output's writer. The row owns
// them from its start to its final word, so a partial output is closed in the row's turn.
#pragma once

#include "wave/SourceReader.h"
#include "wave/WaveWriter.h"

namespace tacetix {

struct RowFile {
  SourceReader Reader;  // declared first: the output is closed before the source
  WaveWriter Writer;

  // Finishes and closes an output still open and moves it onto its name; true when the row's
  // output (now or at an earlier close) was moved onto its name.
  bool ReleaseOutput() {
    Writer.Close();
    return Writer.Moved();
  }
  // A cancelled row: its output cut short is finished and kept under its name only where that
  // is free (else removed); true when it was.
  bool KeepPartialOutput() { return Writer.KeepPartial() == 0; }
  // A row the run never reports, or one that failed: its output, done or partial, is removed.
  void DiscardOutput() { Writer.Discard(); }
  void CloseInput() { Reader.Close(); }
};

}  // namespace tacetix
