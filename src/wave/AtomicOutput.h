// A new file written under a temporary name beside its final name and moved there when it
// is complete: no other program ever sees it half written, a process killed outright leaves
// only a file whose name says what it is, and no link at the final name is ever followed.
#pragma once

#include <string>

#include "wave/FileHandle.h"

namespace tacetix {

enum class CommitResult { Moved, NameTaken, Failed };

class AtomicOutput {
 public:
  AtomicOutput() = default;
  ~AtomicOutput() { Discard(); }
  AtomicOutput(const AtomicOutput&) = delete;
  AtomicOutput& operator=(const AtomicOutput&) = delete;

  // Creates a new temporary file in the folder of finalPath and opens it in handle.
  // replace: the final name may be taken over at Commit; else only a free name is.
  // false when the folder takes no new file or finalPath is a folder (errno tells why).
  bool Create(const std::string& finalPath, bool replace, FileHandle& handle);
  // Moves the temporary file onto its final name (rename replaces a link, never its target).
  // On NameTaken or Failed the temporary file is removed (errno keeps the move's reason).
  // The handle should be closed first.
  CommitResult Commit();
  // Removes the temporary file, if any.
  void Discard();
  const std::string& TemporaryPath() const { return TempPath; }

 private:
  std::string FinalPath;
  std::string TempPath;  // empty when no temporary file exists
  bool Replace = false;
};

}  // namespace tacetix
