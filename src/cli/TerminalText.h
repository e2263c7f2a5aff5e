// Names as a terminal may show them: a name's control characters would move the cursor, change
// colours or split a line, so such a name is quoted as GNU ls quotes it for a shell; and the
// columns a text takes on screen, for a line that must not wrap.
#pragma once

#include <cstddef>
#include <string>

namespace tacetix {

// The name unchanged when it holds no control character; else quoted for a shell, the control
// characters escaped: 'a'$'\n''b.wav'.
std::string TerminalName(const std::string& name);

// Columns the UTF-8 text takes from byte from: wide (CJK) characters two, combining marks none.
size_t ScreenColumns(const std::string& text, size_t from = 0);

// The byte where the shortest end of text that is at most columns wide begins; it never begins
// with a combining mark, which would join whatever is put before it.
size_t TailStart(const std::string& text, size_t columns);

}  // namespace tacetix
