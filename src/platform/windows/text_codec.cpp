#include "platform/text_codec.h"

#include <windows.h>

#include "platform/windows/wide_text.h"

namespace veyra {
namespace {

UINT CodePageOf(std::string_view language_code) {
  if (language_code == "t") return 950;
  if (language_code == "s") return 936;
  return 1252;
}

// The bytes of `text`, one whole character of the code page, or nothing when they do not decode.
bool DecodesExactly(UINT code_page, std::string_view text, std::wstring& out) {
  out.clear();
  if (text.empty()) return true;
  const int size = static_cast<int>(text.size());
  const int length =
      MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
  if (length <= 0) return false;
  out.resize(static_cast<size_t>(length));
  MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, text.data(), size, out.data(), length);
  return true;
}

// The code page's bytes for `wide`, or nothing when a character has no counterpart there.
bool EncodesExactly(UINT code_page, std::wstring_view wide, std::string& out) {
  out.clear();
  if (wide.empty()) return true;
  const int size = static_cast<int>(wide.size());
  BOOL used_default = FALSE;
  const int length = WideCharToMultiByte(code_page, WC_NO_BEST_FIT_CHARS, wide.data(), size,
                                         nullptr, 0, nullptr, &used_default);
  if (length <= 0 || used_default) return false;
  out.resize(static_cast<size_t>(length));
  WideCharToMultiByte(code_page, WC_NO_BEST_FIT_CHARS, wide.data(), size, out.data(), length,
                      nullptr, &used_default);
  return !used_default;
}

// The length in bytes of the UTF-8 sequence that starts with `lead` (1 for a stray byte).
size_t Utf8Length(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

}  // namespace

std::string DecodeForDisplay(std::string_view language_code, std::string_view bytes) {
  const UINT code_page = CodePageOf(language_code);
  std::wstring wide;
  if (DecodesExactly(code_page, bytes, wide)) return Utf8FromWide(wide);
  // Character by character: a byte that does not start a decodable character becomes '?', and
  // decoding goes on with the next byte.
  std::string out;
  for (size_t at = 0; at < bytes.size();) {
    const bool lead =
        at + 1 < bytes.size() && IsDBCSLeadByteEx(code_page, static_cast<unsigned char>(bytes[at]));
    const size_t length = lead ? 2 : 1;
    if (DecodesExactly(code_page, bytes.substr(at, length), wide)) {
      out += Utf8FromWide(wide);
      at += length;
    } else {
      out.push_back('?');
      ++at;
    }
  }
  return out;
}

std::optional<std::string> EncodeFromDisplayExactly(std::string_view language_code,
                                                    std::string_view utf8) {
  std::string out;
  std::wstring wide;
  if (!DecodesExactly(CP_UTF8, utf8, wide)) return std::nullopt;
  if (!EncodesExactly(CodePageOf(language_code), wide, out)) return std::nullopt;
  return out;
}

std::string EncodeFromDisplay(std::string_view language_code, std::string_view utf8) {
  if (std::optional<std::string> exact = EncodeFromDisplayExactly(language_code, utf8)) {
    return *exact;
  }
  // Character by character: one '?' for an invalid UTF-8 sequence or for a character without a
  // counterpart in the code page.
  const UINT code_page = CodePageOf(language_code);
  std::string out;
  std::string bytes;
  std::wstring wide;
  for (size_t at = 0; at < utf8.size();) {
    size_t length = Utf8Length(static_cast<unsigned char>(utf8[at]));
    if (at + length > utf8.size()) length = 1;
    if (DecodesExactly(CP_UTF8, utf8.substr(at, length), wide) &&
        EncodesExactly(code_page, wide, bytes)) {
      out += bytes;
    } else {
      out.push_back('?');
    }
    at += length;
  }
  return out;
}

}  // namespace veyra
