#include "window_rules/external_links.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace veyra {
namespace {

TEST(ExternalLinks, OnlyWebAddressesGoToTheDefaultBrowser) {
  struct Case {
    std::string address;
    bool web;
  };
  const std::vector<Case> cases = {
      {"https://account.veyraonline.example/", true},
      {"HTTP://www.example.com/a?b=c", true},
      {"http://", false},  // nothing after the scheme
      {"file:///C:/Windows/System32/calc.exe", false},
      {"C:\\Windows\\System32\\cmd.exe", false},
      {"\\\\server\\share\\run.exe", false},
      {"javascript:alert(1)", false},
      {"data:text/html,<b>x</b>", false},
      {"http:relative", false},
      {"ms-settings:", false},
      {"mailto:gm@example.com", false},
      {"about:blank", false},
      {"", false},
      {" https://example.com/", false},          // a leading blank is not the scheme
      {"https://example.com/ -x", false},        // blanks could start a second argument
      {std::string("https://a\0b", 11), false},  // NUL would cut the address short
      {"https://example.com/\r\nx", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsWebAddress(c.address), c.web) << c.address;
}

}  // namespace
}  // namespace veyra
