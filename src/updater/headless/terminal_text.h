#pragma once

#include <string>
#include <string_view>

namespace veyra {

// A UTF-8 text made safe to print on a terminal: every control character (C0 bytes, DEL and the
// C1 characters U+0080..U+009F) is written out as \xHH per byte, so that names and texts from the
// server or from files cannot clear the screen, move the cursor or retitle the window. Everything
// else, backslashes included, is kept as it is.
std::string EscapeControls(std::string_view utf8);

}  // namespace veyra
