#include "updater/dialogs/line_dialog_model.h"

#include <gtest/gtest.h>

#include "support/scoped_hooks.h"
#include "support/temp_folder.h"
#include "updater/dialogs/update_mode.h"

namespace veyra {
namespace {

using testing::TempFolder;

class LineDialogModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("web0.dat", "A http://a/ 80 30000\r\n  B   http://b/  80  30000\r\nend\r\n");
  }
  TempFolder dir;
};

TEST_F(LineDialogModelTest, ListsEveryLineButTheLastThenTheNoPreferenceItem) {
  LineDialogModel english("n");
  EXPECT_TRUE(english.Web0Read());
  EXPECT_EQ(english.ListBox1(), (LineList{"A", "B", "Other"}));
  EXPECT_EQ(english.ListBox2().size(), 3u);
  EXPECT_EQ(english.SelectedIndex(), 0);
  EXPECT_EQ(LineDialogModel("t").ListBox1().back(), "\xa8\xe4\xa5\xa6");  // 其它 as stored
  EXPECT_EQ(LineDialogModel("s").ListBox1().back(), "\xc6\xe4\xcb\xfc");  // converted to GB
}

TEST_F(LineDialogModelTest, EmptyLinesAndLinesAfterTheClosingLineAreNoLines) {
  const struct {
    const char* web0;
    LineList items;
    size_t lines;  // ListBox2: the server lines and the closing line
  } cases[] = {
      {"A a 80 1\r\nend\r\n\r\n", {"A", "Other"}, 2},
      {"\r\nA a 80 1\r\n\r\n   \r\nB b 80 1\r\nend\r\n", {"A", "B", "Other"}, 3},
      {"A a 80 1\r\nend\r\nB b 80 1\r\nend\r\n", {"A", "Other"}, 2},
      {"A a 80 1\nend\n\n\n", {"A", "Other"}, 2},
      {"\r\n\r\nend\r\n", {"Other"}, 1},
  };
  for (const auto& c : cases) {
    dir.Write("web0.dat", c.web0);
    LineDialogModel model("n");
    EXPECT_EQ(model.ListBox1(), c.items) << c.web0;
    EXPECT_EQ(model.ListBox2().size(), c.lines) << c.web0;
    EXPECT_EQ(model.ListBox2().back(), "end") << c.web0;
  }
}

TEST_F(LineDialogModelTest, ConfirmingWritesThePositionAndTheNextDialogSelectsIt) {
  LineDialogModel first("n");
  first.Select(1);
  first.Confirm();
  EXPECT_EQ(dir.Read("isp1.dat"), "1\r\n");
  EXPECT_EQ(LineDialogModel("n").SelectedIndex(), 1);

  LineDialogModel second("n");
  second.Select(2);  // the no-preference item: its position is the number of server lines
  second.Confirm();
  EXPECT_EQ(dir.Read("isp1.dat"), "2\r\n");
  dir.Write("isp1.dat", "2 long text that is longer than before");
  second.Confirm();  // the file is cut to what was written
  EXPECT_EQ(dir.Read("isp1.dat"), "2\r\n");
}

TEST_F(LineDialogModelTest, AnUnusableSavedChoiceQuietlySelectsTheFirstItem) {
  for (const char* saved : {"7\r\n", "x\r\n", "-1\r\n", "", "\r\n1\r\n"}) {
    dir.Write("isp1.dat", saved);
    EXPECT_EQ(LineDialogModel("n").SelectedIndex(), 0) << saved;
  }
  LineDialogModel model("n");
  model.Select(9);  // not an item: ignored
  EXPECT_EQ(model.SelectedIndex(), 0);
}

TEST_F(LineDialogModelTest, AMissingLineFileIsReportedAfterTenAttempts) {
  std::filesystem::remove(dir.path() / "web0.dat");
  int pumps = 0;
  int waited = 0;
  testing::ScopedPumpHook pump([&] { ++pumps; });
  testing::ScopedSleepHook sleep([&](int ms) { waited += ms; });
  LineDialogModel model("n");
  EXPECT_FALSE(model.Web0Read());
  EXPECT_TRUE(model.ListBox1().empty());
  EXPECT_EQ(pumps, 10);
  EXPECT_EQ(waited, 1000);
}

TEST(ForceCompleteUpdate, DeletesBothRecordFilesAndForbidsSavingOnClose) {
  TempFolder dir;
  dir.Write("Update2.dat", "AVWSEN\r\n");
  dir.Write("update3.dat", "x");
  dir.Write("other.dat", "kept");
  bool keep_state = true;
  ForceCompleteUpdate(keep_state);
  EXPECT_FALSE(keep_state);
  EXPECT_FALSE(dir.Exists("Update2.dat"));
  EXPECT_FALSE(dir.Exists("update3.dat"));
  EXPECT_TRUE(dir.Exists("other.dat"));

  keep_state = true;
  ForceCompleteUpdate(keep_state);  // nothing left to delete: still fine
  EXPECT_FALSE(keep_state);
}

}  // namespace
}  // namespace veyra
