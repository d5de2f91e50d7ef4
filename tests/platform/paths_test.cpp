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

TEST(MapPath, TakesDotAndDotDotByTheirText) {
  TempFolder dir;
  dir.Write("Data/x", "");
  EXPECT_EQ(MapPath(dir.folder() + "Tmp\\..\\DATA\\.\\x"), dir.path() / "Data" / "x");
  EXPECT_EQ(MapPath(dir.folder() + "New\\..\\data\\New\\..\\y"), dir.path() / "Data" / "y");
  EXPECT_FALSE(dir.Exists("Tmp"));
}

TEST(MapPath, KeepsATrailingSeparatorForFolders) {
  TempFolder dir;
  EXPECT_EQ(MapPath(dir.folder() + "a\\b\\"), dir.path() / "a" / "b" / "");
}

TEST(ProgramFolder, AlwaysEndsWithASeparator) {
  std::string before = ProgramFolder();
  SetProgramFolder("/tmp/game");
  EXPECT_EQ(ProgramFolder(), std::string("/tmp/game") + kFolderSeparator);
  SetProgramFolder("/tmp/game/");
  EXPECT_EQ(ProgramFolder(), "/tmp/game/");
  SetProgramFolder(before);
  EXPECT_EQ(ExecutableFolder().back(), kFolderSeparator);
}

TEST(IsConfinedName, AcceptsNamesInsideTheFolder) {
  for (const char* name : {"a.txt", "Data\\Talk.Dat", "a\\..\\b.txt", ".\\x", "a/b/c", "..x",
                           "\\Data\\Talk.Dat", "/a.txt"}) {
    EXPECT_TRUE(IsConfinedName(name)) << name;
  }
}

TEST(IsConfinedName, RefusesNamesThatLeaveTheFolder) {
  for (const char* name :
       {"", "..", "..\\x", "a\\..\\..\\x", "\\..\\x", "\\", "//etc/passwd", "C:\\Windows\\x", "c:x",
        "\\\\host\\share\\x", "\\/x", "a/../../x", "a\\.."}) {
    EXPECT_FALSE(IsConfinedName(name)) << name;
  }
  EXPECT_FALSE(IsConfinedName(std::string("a\0b", 3)));
}

}  // namespace
}  // namespace veyra

namespace veyra {
namespace {

// Sets the file-name language for one test and clears it afterwards.
class FileNameLanguage {
 public:
  explicit FileNameLanguage(std::string code) { SetFileNameLanguage(std::move(code)); }
  ~FileNameLanguage() { SetFileNameLanguage(""); }
};

TEST(FileNames, DoubleByteNamesKeepATrailByteThatLooksLikeABackslash) {
  testing::TempFolder dir;
  FileNameLanguage big5("t");
  const std::string name = "Data\\\xa5\x5c\xaf\xe0.txt";  // Data\功能.txt
  EXPECT_EQ(DecodeFileName(name), "Data\\功能.txt");
  EXPECT_EQ(MapPath(dir.folder() + name), dir.path() / "Data" / PathFromUtf8("功能.txt"));
  EXPECT_TRUE(IsConfinedName("\xa5\x5c.."));  // one component: 功..
  EXPECT_FALSE(IsConfinedName("\xa5\x5c\\..\\.."));
  EXPECT_EQ(DecodeFileName("plain\\name.dat"), "plain\\name.dat");
}

#ifndef _WIN32  // Windows names are characters, never undecodable bytes
TEST(FileNames, AreUsedByteForByteUntilALanguageIsSet) {
  testing::TempFolder dir;
  const std::string name = "\xa5\x5c.txt";
  EXPECT_EQ(DecodeFileName(name), name);
  EXPECT_EQ(MapPath(dir.folder() + name), dir.path() / "\xa5" / ".txt");
  EXPECT_EQ(MapPath("/not/below/\xa5\x5c"), std::filesystem::path("/not/below/\xa5/"));
}
#endif

}  // namespace
}  // namespace veyra
