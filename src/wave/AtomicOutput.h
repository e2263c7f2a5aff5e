// A new file written under a temporary name beside its final name and moved there when it
// is complete: no other program ever sees it half written, a process killed outright leaves
// only a file whose name says what it is and who wrote it, and no link at the final name is
// ever followed. A name held by a folder, FIFO, socket or device is never taken over.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "wave/FileHandle.h"

namespace tacetix {

// NotRegularFile: the final name holds something that is not a regular file (a folder, a
// FIFO, a socket, a device, or a link to one of these).
enum class CommitResult { Moved, NameTaken, NotRegularFile, Failed };

class AtomicOutput {
 public:
  AtomicOutput() = default;
  ~AtomicOutput() { Discard(); }
  AtomicOutput(const AtomicOutput&) = delete;
  AtomicOutput& operator=(const AtomicOutput&) = delete;

  // Creates a new temporary file in the folder of finalPath and opens it in handle.
  // replace: the final name may be taken over at Commit; else only a free name is.
  // false when the folder takes no new file (errno tells why) or finalPath holds something
  // that is not a regular file (NotRegularFile() then says so).
  bool Create(const std::string& finalPath, bool replace, FileHandle& handle);
  // Moves the temporary file onto its final name (rename replaces a link, never its target).
  // On NameTaken or Failed the temporary file is removed (errno keeps the move's reason).
  // The handle should be closed first.
  CommitResult Commit();
  // Removes the temporary file, if any.
  void Discard();
  // From here on the move only takes a free name: an output cut short never replaces a file.
  void KeepOffTakenName() { Replace = false; }
  const std::string& TemporaryPath() const { return TempPath; }
  // The last Create failed on a final name that holds no regular file.
  bool NotRegularFile() const { return NotRegular; }

 private:
  std::string FinalPath;
  std::string TempPath;  // empty when no temporary file exists
  bool Replace = false;
  bool NotRegular = false;
};

// Removes from folder the temporary files that a process of this machine left when it was
// killed: names that follow the temporary pattern exactly, with this host's name and the id of
// a process that no longer runs. With staleSeconds, also those of any other host that nothing
// wrote to for that long (a killed container's, whose host name no later run has). A running
// process's of this host and anything else are left alone. Gives the paths removed, in name order.
std::vector<std::string> RemoveOrphanedTemporaries(const std::string& folder, int64_t staleSeconds = 0);

}  // namespace tacetix
