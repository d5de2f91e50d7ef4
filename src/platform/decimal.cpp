#include "platform/decimal.h"

#include <charconv>

namespace veyra {

std::optional<int64_t> ParseDecimal(std::string_view text) {
  // from_chars takes a minus but no plus; a plus is stripped here, and must not hide a second sign.
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && text.front() == '-') return std::nullopt;
  }
  if (text.empty()) return std::nullopt;
  int64_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace veyra
