#include "platform/folder_swap.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "support/temp_folder.h"

namespace veyra {
namespace {

using testing::TempFolder;

#ifndef _WIN32  // exchanging two folders in one step needs Linux
TEST(SwapFolderIntoPlace, ExchangesWithAnExistingTarget) {
  TempFolder dir;
  dir.Write("new/file", "new");
  dir.Write("live/file", "old");
  const FolderSwap swap = SwapFolderIntoPlace(dir.path() / "new", dir.path() / "live");
  EXPECT_TRUE(swap.status.ok()) << swap.status.Describe();
  EXPECT_TRUE(swap.target_existed);
  EXPECT_EQ(dir.Read("live/file"), "new");
  EXPECT_EQ(dir.Read("new/file"), "old");
}
#endif

TEST(SwapFolderIntoPlace, RenamesWhenTheTargetIsAbsent) {
  TempFolder dir;
  dir.Write("new/file", "new");
  const FolderSwap swap = SwapFolderIntoPlace(dir.path() / "new", dir.path() / "live");
  EXPECT_TRUE(swap.status.ok()) << swap.status.Describe();
  EXPECT_FALSE(swap.target_existed);
  EXPECT_EQ(dir.Read("live/file"), "new");
  EXPECT_FALSE(dir.Exists("new"));
}

#ifndef _WIN32  // exchanging two folders in one step needs Linux
TEST(SwapFolderIntoPlace, AMissingIncomingFolderFailsAndLeavesTheTarget) {
  TempFolder dir;
  dir.Write("live/file", "old");
  const FolderSwap exchange = SwapFolderIntoPlace(dir.path() / "none", dir.path() / "live");
  EXPECT_EQ(exchange.status.error, ENOENT);
  EXPECT_TRUE(exchange.target_existed);
  EXPECT_EQ(dir.Read("live/file"), "old");
  const FolderSwap rename = SwapFolderIntoPlace(dir.path() / "none", dir.path() / "other");
  EXPECT_EQ(rename.status.error, ENOENT);
  EXPECT_FALSE(rename.target_existed);
}
#endif

}  // namespace
}  // namespace veyra
