#include "platform/paths.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace veyra {
namespace {

using testing::TempFolder;

TEST(MapPath, ResolvesExistingComponentsWithoutRegardToCase) {
  TempFolder dir;
  dir.Write("Data/Sinfo.txt", "x");
  EXPECT_EQ(MapPath(dir.folder() + "data\\SINFO.TXT"), dir.path() / "Data" / "Sinfo.txt");
  EXPECT_EQ(MapPath(dir.folder() + "Data\\Sinfo.txt"), dir.path() / "Data" / "Sinfo.txt");
}

TEST(MapPath, KeepsTheSpellingOfComponentsThatDoNotExistYet) {
  TempFolder dir;
  dir.Write("Data/x", "");
  EXPECT_EQ(MapPath(dir.folder() + "DATA\\New\\File.Dat"),
            dir.path() / "Data" / "New" / "File.Dat");
}

TEST(MapPath, KeepsATrailingSeparatorForFolders) {
  TempFolder dir;
  EXPECT_EQ(MapPath(dir.folder() + "a\\b\\").string(), (dir.path() / "a" / "b").string() + "/");
}

TEST(ProgramFolder, AlwaysEndsWithASeparator) {
  std::string before = ProgramFolder();
  SetProgramFolder("/tmp/game");
  EXPECT_EQ(ProgramFolder(), "/tmp/game/");
  SetProgramFolder(before);
  EXPECT_EQ(ExecutableFolder().back(), '/');
}

TEST(IsConfinedName, AcceptsNamesInsideTheFolder) {
  for (const char* name : {"a.txt", "Data\\Talk.Dat", "a\\..\\b.txt", ".\\x", "a/b/c", "..x"}) {
    EXPECT_TRUE(IsConfinedName(name)) << name;
  }
}

TEST(IsConfinedName, RefusesNamesThatLeaveTheFolder) {
  for (const char* name : {"", "..", "..\\x", "a\\..\\..\\x", "\\etc\\passwd", "/etc/passwd",
                           "C:\\Windows\\x", "c:x", "\\\\host\\share\\x", "a/../../x", "a\\.."}) {
    EXPECT_FALSE(IsConfinedName(name)) << name;
  }
  EXPECT_FALSE(IsConfinedName(std::string("a\0b", 3)));
}

}  // namespace
}  // namespace veyra
