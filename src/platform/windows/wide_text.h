#pragma once

#include <string>
#include <string_view>

namespace veyra {

// The system's wide-character calls take UTF-16; the program's texts of this system (paths,
// messages) are UTF-8. Invalid sequences become U+FFFD.
std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);

}  // namespace veyra
