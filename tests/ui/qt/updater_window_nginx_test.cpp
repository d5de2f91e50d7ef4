#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QWebEngineView>
#include <filesystem>

#include "support/file_content.h"
#include "support/nginx_server.h"
#include "ui/qt/updater/gauge_widget.h"
#include "ui/qt/updater/page_panel.h"
#include "ui/qt/widgets/picture_control.h"
#include "updater/gzip/gzip_writer.h"
#include "updater/records/archive.h"
#include "updater_window_fixture.h"

namespace veyra::testing {
namespace {

// An update set served by a real nginx on 127.0.0.1, published beside the game folder; web0.dat
// names a dead line first, so the window fails over to the server.
class UpdaterWindowNginxTest : public UpdaterWindowTest {
 protected:
  void SetUp() override {
    UpdaterWindowTest::SetUp();
    if (!NginxServer::Available()) GTEST_SKIP() << "nginx is not installed; skipping";
    site_ = game.path().parent_path() / "site";
    std::filesystem::create_directories(site_);
    WritePictures('c');
  }
  void Put(const std::string& name, const std::string& bytes) {
    const std::filesystem::path path = site_ / name;
    std::filesystem::create_directories(path.parent_path());
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
  }
  void Serve(const std::vector<std::string>& entries) {
    LineList list{"VeyraOnline update list"};
    list.insert(list.end(), entries.begin(), entries.end());
    Put("update3.dat", JoinLines(list));
    nginx_ = std::make_unique<NginxServer>(site_);
    WriteWeb0({"http://127.0.0.1:1/", nginx_->base_url()});
  }

  std::filesystem::path site_;
  std::unique_ptr<NginxServer> nginx_;
};

TEST_F(UpdaterWindowNginxTest, AnEmptyGameFolderIsUpdatedByClickingThroughTheWindow) {
  const std::string big = FileContent(1, 300000);
  Put("gz/a.gz", GzipCompress(big));
  Put("gz/b.gz", GzipCompress("B"));
  Put("raw/c.bin", "raw bytes");
  Put("pack/p1.adf", GzipCompress(PackArchive({{"Data\\x.txt", "X"}, {"Data\\y.txt", "Y"}})));
  Put("index2.html", "<html>news</html>");
  Serve({"O index2.html index2.html 5", "E gz/a.gz a.txt 01", "E gz/b.gz Sub\\b.txt 02",
         "O raw/c.bin c.bin 03", "C pack/p1.adf p1.unadf 04"});

  MakeForm("t");
  ShowAndRunDriver();
  ASSERT_EQ(form->engine().outcome(), RunOutcome::kWaitingForStart);
  EXPECT_EQ(game.Read("isp1.dat"), "0\r\n");
  EXPECT_EQ(game.Read("index2.html"), "<html>news</html>");
  EXPECT_EQ(page->reloads, 1);
  EXPECT_EQ(form->ListBox1->count(), 4);
  EXPECT_EQ(form->Label3->text(), "還有4個檔案需要更新");

  PressAndRelease(form->Image2, Qt::LeftButton);

  EXPECT_EQ(form->engine().outcome(), RunOutcome::kCompleted);
  EXPECT_TRUE(game.Read("a.txt") == big);
  EXPECT_EQ(game.Read("Sub/b.txt"), "B");
  EXPECT_EQ(game.Read("c.bin"), "raw bytes");
  EXPECT_EQ(game.Read("Data/x.txt"), "X");
  EXPECT_EQ(game.Read("Data/y.txt"), "Y");
  EXPECT_EQ(Record(), (LineList{"AVWSEN", "", "index2.html 5", "a.txt 01", "Sub\\b.txt 02",
                                "c.bin 03", "p1.unadf 04"}));
  EXPECT_EQ(form->ListBox1->count(), 0);
  ASSERT_EQ(form->ListBox2->count(), 4);
  EXPECT_EQ(form->ListBox2->item(1)->text(), "Sub\\b.txt");
  EXPECT_EQ(form->Label3->text(), "還有0個檔案需要更新");
  EXPECT_TRUE(form->Image3->isVisible());
  EXPECT_FALSE(form->Image2->isVisible() && !form->Image3->isVisible());
  // The last file's progress stays: its name with its size against its size, and a full bar.
  EXPECT_EQ(form->Gauge1->drawing().percent, 100);
  EXPECT_TRUE(form->Label4->text().startsWith("p1.unadf "));
  EXPECT_TRUE(modals_seen.size() == 1 && modals_seen[0].kind == "line");

  // Start game: no login program here, the window closes all the same; nginx keeps the
  // connection open, so closing ends the process at once.
  PressAndRelease(form->Image3, Qt::LeftButton);
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(process_ends, 1);
}

TEST_F(UpdaterWindowNginxTest, ExitAnsweredYesDuringTheMainPassLetsThePassFinishThenQuits) {
  constexpr int kFiles = 40;
  std::vector<std::string> entries;
  LineList record{"AVWSEN", ""};
  for (int i = 0; i < kFiles; ++i) {
    const std::string name = "f" + std::to_string(i) + ".dat";
    Put("gz/" + name + ".gz", GzipCompress(FileContent(i, 60000)));
    entries.push_back("E gz/" + name + ".gz " + name + " 7");
    record.push_back(name + " 7");
  }
  Serve(entries);
  answer_yes = true;
  MakeForm("n");

  bool started = false;
  int left_when_asked = -1;
  QString status_after_answer;
  QTimer start_clicker;
  start_clicker.setInterval(0);
  QObject::connect(&start_clicker, &QTimer::timeout, [&] {
    if (started || !form->engine().window().Button1Enabled) return;
    started = true;
    PressAndRelease(form->Image2, Qt::LeftButton);  // the whole pass runs inside this release
  });
  QTimer exit_clicker;
  exit_clicker.setInterval(0);
  QObject::connect(&exit_clicker, &QTimer::timeout, [&] {
    if (left_when_asked >= 0 || form->engine().UpdateState != UpdateStage::kMainPassRunning ||
        form->ListBox2->count() < 3) {
      return;
    }
    left_when_asked = form->ListBox1->count();
    PressAndRelease(form->Image4, Qt::LeftButton);
    status_after_answer = form->Label3->text();
  });
  const int exit_code = RunInApplicationLoop(
      [&] {
        start_clicker.start();
        exit_clicker.start();
        form->exec();
      },
      60000);

  EXPECT_EQ(exit_code, 0);
  EXPECT_GT(left_when_asked, 0);
  ASSERT_GE(modals_seen.size(), 2u);
  EXPECT_EQ(modals_seen.back().text, "Are you sure to exit ?");
  EXPECT_TRUE(form->engine().ExitRequested);
  EXPECT_EQ(form->engine().outcome(), RunOutcome::kCompleted) << form->engine().write_error();
  EXPECT_EQ(form->engine().UpdateState, UpdateStage::kMainPassEnded);
  EXPECT_EQ(Record(), record);
  EXPECT_TRUE(game.Read("f39.dat") == FileContent(39, 60000));
  EXPECT_EQ(status_after_answer, "please wait...");
  // The quit ends the modal loop without the closing step.
  EXPECT_EQ(process_ends, 0);
}

TEST_F(UpdaterWindowNginxTest, TheNewsPageIsShownInTheEmbeddedBrowserAndReloaded) {
  game.Write("index2.html", "<html><head><title>first</title></head></html>");
  UpdaterWindowOptions options;
  options.language_code = "n";
  form = std::make_unique<TForm1>(std::vector<std::string>{}, std::move(options));
  form->engine().DriverArmed = false;
  auto* panel = qobject_cast<WebPagePanel*>(form->WebBrowser1);
  ASSERT_NE(panel, nullptr);
  form->show();
  EXPECT_EQ(panel->view()->url(),
            QUrl::fromLocalFile(QString::fromStdString((game.path() / "index2.html").string())));
  ASSERT_TRUE(WaitUntil([&] { return panel->view()->title() == "first"; }, 30000));

  game.Write("index2.html", "<html><head><title>second</title></head></html>");
  form->ReloadPage();
  EXPECT_TRUE(WaitUntil([&] { return panel->view()->title() == "second"; }, 30000));
}

}  // namespace
}  // namespace veyra::testing
