#include "updater/headless/pass_summary.h"

#include <gtest/gtest.h>

namespace veyra {
namespace {

TEST(PassSummaryTest, EstimatesTheTotalFromTheFilesDoneAndTheTimeLeftFromTheSpeed) {
  struct Case {
    PassProgress progress;
    double seconds;
    const char* expected;
  };
  const Case cases[] = {
      // Nothing applied yet: no total to estimate, and too early for a speed.
      {{40, 0, 0, 500000}, 0.5, "files 0/40, 0.5 MB"},
      {{40, 0, 0, 2000000}, 2.0, "files 0/40, 2.0 MB, 1.0 MB/s"},
      // 10 of 40 files made 5 MB: about 20 MB in all, 15 MB left at 2.5 MB/s.
      {{40, 10, 5000000, 0}, 2.0, "files 10/40, 5.0 of ~20.0 MB, 2.5 MB/s, 0:06 left"},
      // A current file larger than the estimate lifts the total to what has arrived.
      {{2, 1, 1000000, 3000000}, 4.0, "files 1/2, 4.0 of ~4.0 MB, 1.0 MB/s, 0:00 left"},
      {{100, 50, 50000000, 0}, 100.0, "files 50/100, 50.0 of ~100.0 MB, 0.5 MB/s, 1:40 left"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PassSummary(c.progress, c.seconds), c.expected);
  }
}

}  // namespace
}  // namespace veyra
