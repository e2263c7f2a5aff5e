// What kind of failure stopped a file: what a front end or a test may act on, beside the
// reason text a user reads (which stays free to change its wording).
#pragma once

#include <cstdint>

namespace tacetix {

enum class FailureKind : uint8_t {
  None,         // nothing failed
  NotWave,      // not a RIFF/RF64/BW64 WAVE file at all
  Malformed,    // a WAVE file whose chunks or sizes do not hold together
  Unsupported,  // a well-formed file in a format that is not processed
  CannotOpen,   // the system refused to open the source or to tell its size
  CannotRead,   // a read of the source failed part-way
  CannotWrite,  // the output, or its folder, could not be created, written or moved
  NameTaken,    // the output's name is taken and may not be replaced
  SameAsInput,  // the output would replace a source of the run
  Cancelled,    // the user stopped the run
  NoMemory,     // no memory for the file's buffers
  // the output's name holds a folder, FIFO, socket or device, which is never replaced
  NotRegularFile,
};

}  // namespace tacetix
