#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace veyra {

// Turns a byte text of the program (Big5 for "t", GB for "s", Windows-1252 for "n") into UTF-8
// for display on this system. Bytes that do not decode become '?'; nothing is ever lost silently
// in the other direction because the program keeps its byte texts and only displays the result.
std::string DecodeForDisplay(std::string_view language_code, std::string_view bytes);

// Turns a UTF-8 text into the byte text of the display language ("t" Big5, "s" GBK,
// anything else Windows-1252); characters without a counterpart become '?'.
std::string EncodeFromDisplay(std::string_view language_code, std::string_view utf8);

// The same without substitutes: nullopt when a character has no counterpart.
std::optional<std::string> EncodeFromDisplayExactly(std::string_view language_code,
                                                    std::string_view utf8);

}  // namespace veyra
