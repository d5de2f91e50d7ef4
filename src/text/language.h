#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace veyra {

// True when `lcid` names Chinese (primary language 4) as written in Taiwan (sublanguage 1) or
// Hong Kong (sublanguage 3). An LCID of 0 reads as 0x0409 (English, United States).
bool IsTraditionalLocale(uint32_t lcid);

// IsTraditionalLocale for the locale of this process (fixed for its whole life).
bool IsTraditionalLocale();

// The display language code of `lcid`: "t" for a Traditional Chinese locale, "s" for any other
// Chinese locale, "n" for every other language. An LCID of 0 reads as 0x0409.
std::string GetLanguageCode(uint32_t lcid);

// GetLanguageCode for the locale of this process.
std::string GetLanguageCode();

// The one-letter artwork suffix the updater windows use for a language code: 's' for "s", and
// 'c' (the Traditional pictures) for "t", "n" and anything else.
char ArtSuffix(std::string_view language_code);

// The text a message shows in the display language `language_code`: `english` for "n", the Big5
// text as stored for "t", and the Big5 text converted to GB2312 for "s". Any other code is
// treated as "n".
std::string LocalizedText(std::string_view language_code, std::string_view big5,
                          std::string_view english);

}  // namespace veyra
