#include "platform/windows_arguments.h"

#include <gtest/gtest.h>

namespace veyra {
namespace {

TEST(SplitWindowsArguments, SplitsAsAWindowsProgramReadsItsCommandLine) {
  using Words = std::vector<std::string>;
  const struct {
    const char* text;
    Words arguments;
  } cases[] = {
      {"", {}},
      {" A B C", {"A", "B", "C"}},
      {" A B ", {"A", "B"}},  // the trailing blank of the two-parameter line adds nothing
      {" A  C", {"A", "C"}},  // an empty parameter between single blanks is lost, as on Windows
      {"\tA\t\"b c\" d", {"A", "b c", "d"}},
      {" \"\"", {""}},
      {R"( a\b c\\)", {R"(a\b)", R"(c\\)"}},  // backslashes not before a quote stay
      {R"( a\"b c\\"d e")", {R"(a"b)", R"(c\d e)"}},
      {R"( "a""b" --user=x)", {R"(a"b)", "--user=x"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SplitWindowsArguments(c.text), c.arguments) << c.text;
  }
}

}  // namespace
}  // namespace veyra
