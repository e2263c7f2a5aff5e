// What kind of failure stopped a file: what a front end or a test may act on, beside the
// reason text a user reads (which stays free to change its wording).
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

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

namespace detail {
struct FailureKindWords {
  std::string_view Name;  // the report's "kind": scripts match it, so it never changes
  std::string_view Text;  // the reason where nothing more particular is known
};
// In the enum's order.
constexpr std::array<FailureKindWords, 12> FailureKindTable = {{
    {"none", ""},
    {"not_wave", "not a WAV file"},
    {"malformed", "malformed"},
    {"unsupported", "unsupported format"},
    {"cannot_open", "cannot be opened"},
    {"cannot_read", "file cut short while it was read"},
    {"cannot_write", "cannot be written"},
    {"name_taken", "output file already exists"},
    {"same_as_input", "output file is input file"},
    {"cancelled", "cancelled"},
    {"no_memory", "not enough memory"},
    {"not_regular_file", "output file is not a regular file"},
}};
}  // namespace detail
static_assert(detail::FailureKindTable.size() == static_cast<size_t>(FailureKind::NotRegularFile) + 1);

inline std::string_view FailureName(FailureKind k) { return detail::FailureKindTable[static_cast<size_t>(k)].Name; }
inline std::string_view FailureText(FailureKind k) { return detail::FailureKindTable[static_cast<size_t>(k)].Text; }

}  // namespace tacetix
