#include <gtest/gtest.h>

#include <sstream>

#include "publish_fixture.h"
#include "tools/publish/publish_cli.h"
#include "tools/publish/verify_set.h"
#include "updater/gzip/gzip_writer.h"
#include "updater/records/archive.h"

namespace veyra::testing {
namespace {

using VerifyTest = PublishTest;

bool AnyMentions(const std::vector<std::string>& problems, const std::string& needle) {
  for (const std::string& p : problems) {
    if (p.find(needle) != std::string::npos) return true;
  }
  return false;
}

TEST_F(VerifyTest, FindsEachKindOfFault) {
  std::string bad_directory = PackArchive({{"a.txt", "aaaa"}});
  bad_directory[bad_directory.size() - 8989 + 89 + 4] = 120;  // member 1 ends beyond the data
  Tree set = {
      {"good.gz", GzipCompress("good")},
      {"notgzip.gz", "plain bytes, no gzip"},
      {"raw.bin", "raw"},
      {"cut.gz", GzipCompress(std::string(3000, 'c')).substr(0, 15)},
      {"broken.adf", GzipCompress(bad_directory)},
      {"escape.adf", GzipCompress(PackArchive({{"ok.txt", "x"}}))},
  };
  // PackArchive refuses names that leave the folder, so one is patched into a packed block.
  std::string escaping = PackArchive({{"ab\\cd", "x"}});
  escaping.replace(escaping.size() - 8989 + 89 + 9, 5, "..\\..");
  set["escape.adf"] = GzipCompress(escaping);
  WriteTree(Path("set"), set);
  WriteFileBytes(Path("set/update3.dat"), JoinLines({
                                              "header",
                                              "E good.gz good.txt 1",
                                              "E missing.gz missing.txt 1",
                                              "E notgzip.gz notgzip.txt 1",
                                              "E cut.gz cut.txt 1",
                                              "C broken.adf broken.unadf 1",
                                              "C escape.adf escape.unadf 1",
                                              "O raw.bin ..\\outside.txt 1",
                                              "O raw.bin GOOD.TXT 2",
                                              "O raw.bin noversion.txt",
                                              "X raw.bin marker.txt 1",
                                          }));
  std::vector<std::string> problems = VerifyUpdateSet(Path("set"));
  EXPECT_TRUE(AnyMentions(problems, "missing.gz is missing"));
  EXPECT_TRUE(AnyMentions(problems, "notgzip.gz is not a gzip image"));
  EXPECT_TRUE(AnyMentions(problems, "cut.gz does not expand"));
  EXPECT_TRUE(AnyMentions(problems, "line 6: broken.adf"));
  EXPECT_TRUE(AnyMentions(problems, "line 7: escape.adf"));
  EXPECT_TRUE(AnyMentions(problems, "..\\outside.txt\" leaves the game folder"));
  EXPECT_TRUE(AnyMentions(problems, "\"GOOD.TXT\" is listed twice"));
  EXPECT_TRUE(AnyMentions(problems, "line 10: version is empty"));
  EXPECT_TRUE(AnyMentions(problems, "marker \"X\""));
  EXPECT_FALSE(AnyMentions(problems, "line 2:")) << "the sound line was blamed";
  EXPECT_EQ(problems.size(), 9u);
}

TEST_F(VerifyTest, ArchiveMemberClashingWithAListedNameIsReported) {
  WriteTree(Path("set"), {{"a.gz", GzipCompress("a")},
                          {"p.adf", GzipCompress(PackArchive({{"Data\\A.txt", "x"}}))}});
  WriteFileBytes(Path("set/update3.dat"),
                 JoinLines({"h", "E a.gz data\\a.txt 1", "C p.adf p.unadf 1"}));
  EXPECT_EQ(VerifyUpdateSet(Path("set")).size(), 1u);
  std::filesystem::remove(Path("set/update3.dat"));
  EXPECT_TRUE(AnyMentions(VerifyUpdateSet(Path("set")), "missing update list"));
}

struct CliCase {
  std::vector<std::string> args;
  int status;
  std::string out_or_err;  // text expected in the output (status 0) or error stream
};

TEST(PublishCliTest, ExitStatusesAndMessages) {
  const CliCase cases[] = {
      {{}, kPublishUsage, "no command"},
      {{"bogus"}, kPublishUsage, "unknown command bogus"},
      {{"build", "--out", "x"}, kPublishUsage, "--release is required"},
      {{"build", "--release"}, kPublishUsage, "--release needs a value"},
      {{"build", "--release", "r", "--out", "o", "--archive-small", "12k"},
       kPublishUsage,
       "--archive-small"},
      {{"build", "--release", "/nonexistent/veyra", "--out", "/tmp/veyra-publish-never"},
       kPublishFailed,
       "not a folder"},
      {{"build", "--follow-links", "--release", "/nonexistent/veyra", "--out", "/tmp/veyra-never"},
       kPublishFailed,
       "not a folder"},
      {{"verify"}, kPublishUsage, "--set is required"},
      {{"verify", "--set", "s", "--key", "/nonexistent/veyra.pub"}, kPublishFailed, "veyra.pub"},
      {{"keygen"}, kPublishUsage, "keygen needs one KEYFILE"},
      {{"keygen", "a", "b"}, kPublishUsage, "keygen needs one KEYFILE"},
      {{"sign", "--set", "s"}, kPublishUsage, "--key is required"},
      {{"sign", "--set", "s", "--key", "k", "--expires", "0"}, kPublishUsage, "--expires needs"},
      {{"sign", "--set", "s", "--key", "k", "--expires", "3651"}, kPublishUsage, "--expires needs"},
      {{"sign", "--set", "s", "--key", "/nonexistent/veyra-key"}, kPublishFailed, "veyra-key"},
      {{"build", "--release", "/nonexistent/veyra", "--out", "/tmp/veyra-never", "--sign",
        "/nonexistent/veyra-key"},
       kPublishFailed,
       "veyra-key"},
      {{"build", "--release", "r", "--out", "o", "--expires", "5"},
       kPublishUsage,
       "--expires needs --sign"},
      {{"build", "--release", "r", "--out", "o", "--sign", "k", "--expires", "-1"},
       kPublishUsage,
       "--expires needs"},
      {{"verify", "--set", "/nonexistent/veyra"}, kPublishFailed, "missing update list"},
      {{"web0"}, kPublishUsage, "at least one"},
      {{"web0", "--line", "A"}, kPublishUsage, "needs a NAME and a URL"},
      {{"web0", "--line", "A B", "http://x/"}, kPublishUsage, "spaces"},
      {{"web0", "--line", "A", "http://x/ y"}, kPublishUsage, "spaces"},
      {{"web0", "--line", "A", "http://127.0.0.1:1/", "--line", "B", "http://h/u/"},
       kPublishOk,
       "A http://127.0.0.1:1/ 80 30000\r\nB http://h/u/ 80 30000\r\nend\r\n"},
  };
  for (const CliCase& c : cases) {
    std::ostringstream out, err;
    int status = RunPublishTool(c.args, out, err);
    EXPECT_EQ(status, c.status) << err.str();
    std::string text = status == kPublishOk ? out.str() : out.str() + err.str();
    if (status == kPublishOk) {
      EXPECT_EQ(text, c.out_or_err);
    } else {
      EXPECT_NE(text.find(c.out_or_err), std::string::npos) << text;
    }
  }
}

}  // namespace
}  // namespace veyra::testing
