#include "platform/decimal.h"

#include <gtest/gtest.h>

#include <optional>

namespace veyra {
namespace {

TEST(ParseDecimal, TakesAtMostOneSign) {
  const struct {
    const char* text;
    std::optional<int64_t> value;
  } cases[] = {
      {"80", 80},
      {"+80", 80},
      {"-80", -80},
      {"0", 0},
      {"-0", 0},
      {"+-80", std::nullopt},
      {"-+80", std::nullopt},
      {"++80", std::nullopt},
      {"--80", std::nullopt},
      {"+", std::nullopt},
      {"-", std::nullopt},
      {"", std::nullopt},
      {" 80", std::nullopt},
      {"80 ", std::nullopt},
      {"8-0", std::nullopt},
      {"80+", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseDecimal(c.text), c.value) << '"' << c.text << '"';
  }
}

}  // namespace
}  // namespace veyra
