#include "updater/headless/terminal_text.h"

#include <gtest/gtest.h>

namespace veyra {
namespace {

TEST(EscapeControls, WritesOutControlCharactersAndKeepsEverythingElse) {
  const struct {
    std::string_view text;
    std::string_view shown;
  } cases[] = {
      {"\x1b[2J", "\\x1b[2J"},
      {"a\tb\r\x07\x7f", "a\\x09b\\x0d\\x07\\x7f"},
      {std::string_view("nul\0", 4), "nul\\x00"},
      {"\xc2\x9b"
       "31m",
       "\\xc2\\x9b31m"},  // the one-character CSI
      {"\xc2\x80\xc2\x9f", "\\xc2\\x80\\xc2\\x9f"},
      {"\xc2\xa0\xc3\xa9\xe4\xb8\xad", "\xc2\xa0\xc3\xa9\xe4\xb8\xad"},  // no-break space, é, 中
      {"Data\\x.dat ~", "Data\\x.dat ~"},
      {"\xc2", "\xc2"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EscapeControls(c.text), c.shown) << c.text;
  }
}

}  // namespace
}  // namespace veyra
