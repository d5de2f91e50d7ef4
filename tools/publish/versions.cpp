#include "versions.h"

#include <cstdio>

#include "updater/records/update_rule.h"

namespace veyra {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The earlier text with its trailing counter raised by one, when it ends in exactly
// kGenerationDigits digits after a non-empty stem and the counter is not at its maximum.
std::optional<std::string> IncrementCounter(const std::string& earlier) {
  if (earlier.size() <= static_cast<size_t>(kGenerationDigits)) return std::nullopt;
  size_t stem = earlier.size() - kGenerationDigits;
  if (IsDigit(earlier[stem - 1])) return std::nullopt;
  std::string next = earlier;
  for (size_t i = next.size(); i-- > stem;) {
    if (!IsDigit(next[i])) return std::nullopt;
  }
  for (size_t i = next.size(); i-- > stem;) {
    if (next[i] != '9') {
      ++next[i];
      return next;
    }
    next[i] = '0';
  }
  return std::nullopt;  // all nines: no room left
}

}  // namespace

std::string GenerationVersion(uint64_t generation) {
  char text[32];
  std::snprintf(text, sizeof text, "v%0*llu", kGenerationDigits,
                static_cast<unsigned long long>(generation));
  return text;
}

std::optional<uint64_t> ParseGenerationVersion(std::string_view version) {
  if (version.size() != kGenerationDigits + 1 || version[0] != 'v') return std::nullopt;
  uint64_t value = 0;
  for (char c : version.substr(1)) {
    if (!IsDigit(c)) return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  return value;
}

std::string NextVersion(const std::optional<std::string>& earlier, uint64_t generation) {
  std::string candidate = GenerationVersion(generation);
  if (!earlier || VersionIsNewer(candidate, *earlier)) return candidate;
  if (auto counted = IncrementCounter(*earlier)) return *counted;
  return *earlier + "." + std::string(kGenerationDigits - 1, '0') + "1";
}

}  // namespace veyra
