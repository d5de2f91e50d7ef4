#include "window_rules/web_pages.h"

#include <gtest/gtest.h>

namespace veyra::agreement {
namespace {

TEST(WebPages, OnlyWebAddressesGoToTheDefaultBrowser) {
  const struct {
    const char* url;
    bool opens;
  } cases[] = {
      {"http://www.veyraonline.example/news", true},
      {"HTTPS://account.veyraonline.example/", true},
      {"file:///etc/passwd", false},
      {"javascript:alert(1)", false},
      {"data:text/html,<b>x</b>", false},
      {"steam://run/1", false},
      {"http:relative", false},
      {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(OpensInDefaultBrowser(c.url), c.opens) << c.url;
}

}  // namespace
}  // namespace veyra::agreement
