#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace veyra {

// The arguments a Windows program reads from the part of its command line after the program's
// name, split as the C runtime splits it: blanks and tabs separate (a run of them, or one at the
// end, adds no argument); a double quote starts or ends a quoted run in which blanks belong to
// the argument, and "" inside it is a quote; 2n backslashes before a quote give n backslashes,
// 2n + 1 give n and a literal quote; other backslashes are kept. Used where a command line made
// for Windows is started on a system that takes an argument list.
std::vector<std::string> SplitWindowsArguments(std::string_view text);

}  // namespace veyra
