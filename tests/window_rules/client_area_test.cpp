#include "window_rules/client_area.h"

#include <gtest/gtest.h>

namespace veyra {
namespace {

TEST(ClientArea, HoldsTheBackgroundAndEveryControl) {
  // The updater's own artwork covers its controls; a smaller background does not.
  EXPECT_EQ(ClientAreaSize({{0, 0, 628, 580}, {117, 528, 90, 26}, {37, 499, 545, 25}}),
            (Size{628, 580}));
  EXPECT_EQ(ClientAreaSize({{0, 0, 628, 479}, {412, 528, 90, 26}, {37, 499, 545, 25}}),
            (Size{628, 554}));
  EXPECT_EQ(ClientAreaSize({{0, 0, 300, 200}, {449, 346, 120, 55}}), (Size{569, 401}));
  EXPECT_EQ(ClientAreaSize({{0, 0, 0, 0}, {700, 700, 0, 10}}), (Size{1, 1}));  // no area
}

}  // namespace
}  // namespace veyra
