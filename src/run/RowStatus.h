// Where a row of the list stands, and the one table of the words its Status cell and the
// terminal show for it. The words are the user's: scripts match them, so they never change.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tacetix {

enum class RowStatus : uint8_t {
  NotStarted,     // listed, not touched by this run (yet)
  Processing,     // started, no final word yet
  Done,           // processed, with or without an output
  IoError,        // the file failed: read, format, write
  Cancelled,      // the user stopped the run while the file was open
  FolderRefused,  // the output folder does not exist and cannot be created
  ExistsRefused,  // the output's name is taken and may not be replaced
  SameAsInput,    // the output would replace a source of the run
  InternalError,  // a started file that ended without any of the above
};

namespace detail {
constexpr std::array<const char*, 9> RowStatusWords = {
    "-",
    "processing",
    "done",
    "I/O error",
    "cancelled",
    "error creating output folder",
    "output file already exists",
    "output file is input file",
    "Internal error 3",
};
}  // namespace detail
static_assert(detail::RowStatusWords.size() == static_cast<size_t>(RowStatus::InternalError) + 1);

inline std::string StatusWord(RowStatus status) { return detail::RowStatusWords[static_cast<size_t>(status)]; }

}  // namespace tacetix
