#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace veyra {

// The lines of a text file, without their line ends. Texts are bytes (Big5) used as they are.
using LineList = std::vector<std::string>;

// Splits a text into lines. A line ends at CR LF, at a lone CR or at a lone LF; a last line
// without an end still counts, a final line end adds no empty line, and a NUL byte ends the
// text (nothing after it is read). An empty text gives no lines.
LineList SplitLines(std::string_view text);

// The text of a list: every line, the last one included, followed by CR LF. An empty list gives
// the empty text.
std::string JoinLines(const LineList& lines);

// Field n (counted from 1) of a line: the n-th run of bytes other than the space 0x20. Tabs and
// every other byte belong to fields; runs of spaces separate nothing extra. A field that does
// not exist, or n < 1, gives the empty text.
std::string GetField(std::string_view line, int n);

// The same field as GetField, as a view into `line` (valid while the line's bytes are).
std::string_view FieldView(std::string_view line, int n);

}  // namespace veyra
