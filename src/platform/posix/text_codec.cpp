#include "platform/text_codec.h"

#include <iconv.h>

#include <cerrno>

namespace veyra {
namespace {

const char* CodePageOf(std::string_view language_code) {
  if (language_code == "t") return "CP950";
  if (language_code == "s") return "GBK";
  return "CP1252";
}

// Converts `input`; an undecodable byte becomes '?' or, when `exactly`, gives nullopt.
std::optional<std::string> Convert(const char* from, const char* to, std::string_view input,
                                   bool exactly = false) {
  const bool from_utf8 = std::string_view(from) == "UTF-8";
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(input);
  std::string out;
  out.reserve(input.size() * 2 + 8);
  char* in_ptr = const_cast<char*>(input.data());
  size_t in_left = input.size();
  char buffer[4096];
  while (in_left > 0) {
    char* out_ptr = buffer;
    size_t out_left = sizeof buffer;
    size_t result = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
    out.append(buffer, static_cast<size_t>(out_ptr - buffer));
    if (result == static_cast<size_t>(-1) && errno != E2BIG) {
      if (exactly) {
        iconv_close(cd);
        return std::nullopt;
      }
      // One '?' for an undecodable byte, or for a whole character without a counterpart.
      out.push_back('?');
      do {
        ++in_ptr;
        --in_left;
      } while (from_utf8 && in_left > 0 && (static_cast<unsigned char>(*in_ptr) & 0xC0) == 0x80);
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

std::string DecodeForDisplay(std::string_view language_code, std::string_view bytes) {
  return *Convert(CodePageOf(language_code), "UTF-8", bytes);
}

std::string EncodeFromDisplay(std::string_view language_code, std::string_view utf8) {
  return *Convert("UTF-8", CodePageOf(language_code), utf8);
}

std::optional<std::string> EncodeFromDisplayExactly(std::string_view language_code,
                                                    std::string_view utf8) {
  return Convert("UTF-8", CodePageOf(language_code), utf8, true);
}

}  // namespace veyra
