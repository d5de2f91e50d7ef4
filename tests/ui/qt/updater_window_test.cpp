#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <filesystem>
#include <vector>

#include "platform/folder_lock.h"
#include "support/static_files.h"
#include "ui/qt/dialogs/tform3.h"
#include "ui/qt/updater/form_pictures.h"
#include "ui/qt/updater/gauge_widget.h"
#include "ui/qt/widgets/picture_control.h"
#include "updater/gzip/gzip_writer.h"
#include "updater_window_fixture.h"

namespace veyra::testing {
namespace {

// A game folder whose server offers two files to install, with the window's driver run.
class WaitingWindowTest : public UpdaterWindowTest {
 protected:
  void SetUp() override {
    UpdaterWindowTest::SetUp();
    WritePictures();
    server.Put("a.gz", GzipCompress("A"));
    server.Put("b.gz", GzipCompress("B"));
    server.Put("update3.dat",
               JoinLines({"VeyraOnline update list", "E a.gz a.txt 01", "E b.gz Sub\\b.txt 02"}));
    WriteWeb0({server.base_url()});
  }
  // The requests for the entries' files so far.
  size_t EntryRequests() const {
    size_t count = 0;
    for (const std::string& path : server.paths()) count += path != "update3.dat";
    return count;
  }

  StaticFiles server;
};

TEST_F(WaitingWindowTest, TheDriverRunsOnceTheWindowIsShownAndDrawsTheQueue) {
  MakeForm("n");
  EXPECT_EQ(form->windowTitle(), "VeyraOnline Update");
  EXPECT_TRUE(form->engine().DriverArmed);
  ShowAndRunDriver();

  ASSERT_EQ(modals_seen.size(), 1u);
  EXPECT_EQ(modals_seen[0].kind, "line");
  EXPECT_EQ(form->engine().outcome(), RunOutcome::kWaitingForStart);
  ASSERT_EQ(form->ListBox1->count(), 2);
  EXPECT_EQ(form->ListBox1->item(1)->text(), "Sub\\b.txt");
  EXPECT_TRUE(form->Label3->isVisible());
  EXPECT_EQ(form->Label3->text(), "2files remain to be updated");
  EXPECT_EQ(form->Label3->pos(), QPoint(40, 469));
  // "0%" centred on the window with the label's real font.
  const int width = QFontMetrics(form->Label4->font()).horizontalAdvance("0%");
  EXPECT_EQ(form->Label4->text(), "0%");
  EXPECT_EQ(form->Label4->x(), (form->width() - width) / 2);

  // Sizing the window again does not run the driver a second time.
  form->resize(form->size());
  QTest::qWait(20);
  EXPECT_EQ(modals_seen.size(), 1u);
}

TEST_F(WaitingWindowTest, ASecondUpdaterOnTheFolderShowsWhyAndCloses) {
  const FolderLock other_updater(game.path(), 0);
  MakeForm("n");
  ShowAndRunDriver();
  EXPECT_EQ(form->engine().outcome(), RunOutcome::kFolderBusy);
  ASSERT_EQ(modals_seen.size(), 1u);
  EXPECT_EQ(modals_seen[0].kind, "information");
  EXPECT_EQ(modals_seen[0].text, "another update is running in this game folder");
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(server.paths().empty());
}

TEST_F(WaitingWindowTest, ReleasesOnThePictureButtons) {
  struct Case {
    const char* name;
    bool driver_done;  // Button1 enabled only once the queue is built
    PictureControl* TForm1::*control;
    Qt::MouseButton button;
    bool release_away;
    bool starts_main_pass;
    bool asks_to_exit;
  };
  const Case cases[] = {
      {"right release on start update", true, &TForm1::Image2, Qt::RightButton, false, true, false},
      {"right release, Button1 disabled", false, &TForm1::Image2, Qt::RightButton, false, false,
       false},
      {"left release away from start update", true, &TForm1::Image2, Qt::LeftButton, true, true,
       false},
      {"middle release on start update", true, &TForm1::Image2, Qt::MiddleButton, false, true,
       false},
      {"left click on exit", true, &TForm1::Image4, Qt::LeftButton, false, false, true},
      {"left release away from exit", true, &TForm1::Image4, Qt::LeftButton, true, false, false},
      {"right release on exit", true, &TForm1::Image4, Qt::RightButton, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    game.Write("update2.dat", "AVWSEN\r\n");
    modals_seen.clear();
    MakeForm("n", {}, c.driver_done);
    form->show();
    if (c.driver_done) ShowAndRunDriver();
    ASSERT_EQ(form->engine().window().Button1Enabled, c.driver_done);
    const size_t requests_before = EntryRequests();
    PictureControl* control = (*form).*c.control;
    const std::string released = control == form->Image2 ? "1-1" : "3-1";

    PressAndRelease(control, c.button,
                    c.release_away ? std::optional(QPoint(-40, -60)) : std::nullopt);

    EXPECT_EQ(EntryRequests() > requests_before, c.starts_main_pass);
    EXPECT_EQ(game.Exists("Sub/b.txt"), c.starts_main_pass);
    const bool asked = !modals_seen.empty() && modals_seen.back().kind == "question";
    EXPECT_EQ(asked, c.asks_to_exit);
    EXPECT_TRUE(Shows(control, released));
    std::filesystem::remove_all(game.path() / "Sub");
    std::filesystem::remove(game.path() / "a.txt");
  }
}

TEST_F(WaitingWindowTest, AStartPictureGoneMissingEndsTheReleaseBeforeThePass) {
  MakeForm("n");
  ShowAndRunDriver();
  RemovePicture("1-1");
  PressAndRelease(form->Image2, Qt::LeftButton);
  EXPECT_FALSE(game.Exists("a.txt"));
  EXPECT_TRUE(form->engine().window().Button1Enabled);
  EXPECT_TRUE(Shows(form->Image2, "1-2"));  // the pressed picture stays
}

TEST_F(WaitingWindowTest, AClickOnStartUpdateDuringThePagePassDoesNothing) {
  server.Put("index2.html", "<html>news</html>");
  server.Put("update3.dat", JoinLines({"VeyraOnline update list", "O index2.html index2.html 5",
                                       "E a.gz a.txt 01"}));
  MakeForm("n");
  bool clicked_inside_page_pass = false;
  QTimer clicker;
  clicker.setInterval(0);
  QObject::connect(&clicker, &QTimer::timeout, [&] {
    if (!form->engine().PagePassRunning || clicked_inside_page_pass) return;
    clicked_inside_page_pass = true;
    PressAndRelease(form->Image2, Qt::LeftButton);
  });
  clicker.start();
  ShowAndRunDriver();
  clicker.stop();

  ASSERT_TRUE(clicked_inside_page_pass);
  EXPECT_EQ(game.Read("index2.html"), "<html>news</html>");
  EXPECT_EQ(page->reloads, 1);
  EXPECT_FALSE(game.Exists("a.txt"));
  EXPECT_EQ(form->engine().UpdateState, UpdateStage::kListReceived);
  EXPECT_TRUE(form->engine().window().Button1Enabled);
  EXPECT_EQ(form->ListBox2->count(), 0);

  PressAndRelease(form->Image2, Qt::LeftButton);  // now it starts
  EXPECT_EQ(game.Read("a.txt"), "A");
  EXPECT_EQ(form->ListBox2->count(), 1);
  EXPECT_TRUE(form->Image3->isVisible());
}

TEST_F(WaitingWindowTest, ProgressLabelIsCentredOnTheGaugeWithItsOwnFont) {
  MakeForm("n");
  ShowAndRunDriver();
  UpdaterEngine& engine = form->engine();
  engine.UpdateState = UpdateStage::kMainPassRunning;
  engine.IdHTTP1WorkBegin(1000);
  engine.IdHTTP1Work(500);

  const QString text = "a.txt 500 of 1000 ";
  EXPECT_EQ(form->Label4->text(), text);
  const int width = QFontMetrics(form->Label4->font()).horizontalAdvance(text);
  EXPECT_EQ(form->Label4->geometry(),
            QRect(37 + (545 - width) / 2, 501, width, QFontMetrics(form->Label4->font()).height()));
  EXPECT_EQ(form->Label4->font().pixelSize(), 15);
  EXPECT_EQ(form->Gauge1->drawing().percent, 50);
  engine.UpdateState = UpdateStage::kListReceived;
}

// --- Creation -------------------------------------------------------------------------------

TEST_F(UpdaterWindowTest, AMissingOrDamagedPictureStopsTheCreationAtItsStep) {
  struct Case {
    const char* missing;  // picture base, or "" for none
    bool damaged;         // the file is there but is no JPEG
  };
  const Case cases[] = {{"", false},    {"0", false},   {"1-1", false}, {"2-1", false},
                        {"3-1", false}, {"5-1", false}, {"0", true},    {"3-1", true}};
  // The creation loads these in this order.
  const std::vector<std::pair<PictureControl * TForm1::*, std::string>> loaded = {
      {&TForm1::Image1, "0"},   {&TForm1::Image2, "1-1"}, {&TForm1::Image3, "2-1"},
      {&TForm1::Image4, "3-1"}, {&TForm1::Image6, "5-1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.missing) + (c.damaged ? " damaged" : " missing"));
    WritePictures();
    const std::string missing = c.missing;
    if (!missing.empty()) {
      if (c.damaged) {
        game.Write("upimg/" + missing + "c.jpg", "not a picture");
      } else {
        RemovePicture(missing);
      }
    }
    modals_seen.clear();
    MakeForm("n");
    const bool complete = missing.empty();
    EXPECT_EQ(form->windowTitle(), complete ? "VeyraOnline Update" : "Ue6");
    EXPECT_EQ(form->engine().DriverArmed, complete);
    bool before_missing = true;
    for (const auto& [control, base] : loaded) {
      if (base == missing) before_missing = false;
      EXPECT_EQ(Shows((*form).*control, base), before_missing) << base;
    }
    EXPECT_EQ(form->Gauge1->bar_colour() == QColor(0, 74, 211), complete);
    EXPECT_EQ(form->Label3->font().pixelSize() == 20, complete);

    // No driver runs on a stopped creation, and the exit picture still asks.
    form->show();
    QTest::qWait(30);
    PressAndRelease(form->Image4, Qt::LeftButton);
    ASSERT_FALSE(modals_seen.empty());
    // Without web0.dat a driver that runs says so first.
    EXPECT_EQ(modals_seen.front().kind, complete ? "information" : "question");
    EXPECT_EQ(modals_seen.back().text, "Are you sure to exit ?");
    form.reset();
  }
}

TEST_F(UpdaterWindowTest, TheWindowIsLaidOutAsDesigned) {
  WritePictures();
  MakeForm("t", {}, false);
  EXPECT_EQ(form->size(), QSize(620, 570));  // the client area takes the background's size
  EXPECT_TRUE(form->windowFlags() & Qt::WindowTitleHint);
  EXPECT_FALSE(form->windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(form->windowFlags() & Qt::WindowSystemMenuHint);
  EXPECT_EQ(form->WebBrowser1->geometry(), QRect(268, 52, 324, 422));
  ASSERT_EQ(page->navigated.size(), 1u);
  EXPECT_EQ(page->navigated[0], game.folder() + "index2.html");
  EXPECT_EQ(form->ListBox1->font().family(), "Courier New");
  EXPECT_EQ(form->Image3->geometry(), QRect(80, 528, 129, 26));
  EXPECT_EQ(form->Image6->geometry(), QRect(265, 528, 90, 26));  // its picture's size
  EXPECT_FALSE(form->Image3->isVisibleTo(form.get()));
  EXPECT_FALSE(form->Label3->isVisibleTo(form.get()));
  EXPECT_EQ(form->Label3->font().family(), "標楷體");
  // "0% " centred on the background the window is built with (before the file's is loaded).
  const int width = QFontMetrics(form->Label4->font()).horizontalAdvance("0% ");
  EXPECT_EQ(form->Label4->y(), 502);
  const QImage builtin = FormBuiltinPicture("TForm1/Image1.jpg");
  if (!builtin.isNull()) {
    EXPECT_EQ(form->Label4->x(), (builtin.width() - width) / 2);
  }
  EXPECT_EQ(form->Image2->accessibleName(), "開始更新");
  EXPECT_EQ(form->Image4->accessibleName(), "結束離開");
}

// A background smaller than the layout (the size the creation steps give the window) leaves no
// control outside the client area.
TEST_F(UpdaterWindowTest, TheClientAreaHoldsEveryControlBeyondASmallBackground) {
  WritePictures();
  QImage background(628, 479, QImage::Format_RGB888);
  background.fill(Qt::gray);
  ASSERT_TRUE(background.save(QString::fromStdString((game.path() / "upimg/0c.jpg").string())));
  MakeForm("t", {}, false);
  EXPECT_EQ(form->size(), QSize(628, 528 + 26));  // down to the picture buttons' bottom edge
  const std::vector<const QWidget*> controls{form->Image2, form->Image4, form->Image6,
                                             form->Gauge1};
  for (const QWidget* control : controls) EXPECT_TRUE(form->rect().contains(control->geometry()));
}

// --- Exit confirmation -----------------------------------------------------------------------

TEST_F(UpdaterWindowTest, ExitConfirmationAsksInTheDisplayLanguage) {
  struct Case {
    const char* language;
    bool yes;
    const char* question;
  };
  const Case cases[] = {
      {"n", true, "Are you sure to exit ?"},
      {"t", true, "你確定要離開嗎?"},
      {"s", true, "你确定要离开吗?"},
      {"n", false, "Are you sure to exit ?"},
  };
  QApplication::setApplicationDisplayName("VeyraOnline");
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.language) + (c.yes ? " yes" : " no"));
    WritePictures(c.language[0] == 's' ? 's' : 'c');
    modals_seen.clear();
    answer_yes = c.yes;
    bool pressed_picture_while_open = false;
    on_message_box = [&](QMessageBox&) {
      pressed_picture_while_open = Shows(form->Image4, "3-2", c.language[0] == 's' ? 's' : 'c');
    };
    MakeForm(c.language, {}, false);
    const int exit_code = RunInApplicationLoop([&] {
      form->show();
      PressAndRelease(form->Image4, Qt::LeftButton);
      if (!c.yes) QCoreApplication::exit(0);
    });

    EXPECT_EQ(exit_code, 0);
    ASSERT_EQ(modals_seen.size(), 1u);
    EXPECT_EQ(modals_seen[0].kind, "question");
    EXPECT_EQ(modals_seen[0].title, "VeyraOnline");
    EXPECT_EQ(modals_seen[0].text.toStdString(), c.question);
    EXPECT_TRUE(pressed_picture_while_open);
    EXPECT_TRUE(Shows(form->Image4, "3-1", c.language[0] == 's' ? 's' : 'c'));
    EXPECT_EQ(form->engine().ExitRequested, c.yes);
    EXPECT_EQ(form->Label3->text(), c.yes ? "please wait..." : "");
    on_message_box = nullptr;
    form.reset();
  }
}

// --- Troubleshooting -----------------------------------------------------------------------

TEST_F(UpdaterWindowTest, TroubleshootingOpensTheUpdateModeDialog) {
  struct Case {
    const char* name;
    bool own_pictures;     // 5-1 and 5-2 exist
    bool dialog_pictures;  // 4, 6-x and 7-x exist
    const char* caption;   // the dialog's caption: set only by a complete creation
  };
  const Case cases[] = {
      {"all pictures", true, true, "VeyraOnline Update"},
      {"troubleshooting pictures missing", false, true, "VeyraOnline Update"},
      {"every picture missing", false, false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WritePictures();
    game.Write("update2.dat", "AVWSEN\r\n");
    MakeForm("n", {}, false);
    form->show();
    if (!c.own_pictures) {
      RemovePicture("5-1");
      RemovePicture("5-2");
    }
    if (!c.dialog_pictures) {
      for (const char* base : {"4", "6-1", "6-2", "7-1", "7-2"}) RemovePicture(base);
    }
    modals_seen.clear();
    QPoint dialog_at;
    bool cancelled_by_picture = false;
    on_mode_dialog = [&](QDialog& dialog) {
      auto& mode = static_cast<TForm3&>(dialog);
      dialog_at = mode.pos();
      if (c.dialog_pictures) {
        PressAndRelease(mode.Image3, Qt::RightButton);  // cancel
        cancelled_by_picture = !mode.isVisible();
      } else {
        mode.close();  // the close box
      }
    };

    PressAndRelease(form->Image6, Qt::LeftButton);

    ASSERT_EQ(modals_seen.size(), 1u);
    EXPECT_EQ(modals_seen[0].kind, "mode");
    EXPECT_EQ(modals_seen[0].title, c.caption);
    if (c.dialog_pictures) {
      EXPECT_TRUE(cancelled_by_picture);
      EXPECT_EQ(dialog_at, form->frameGeometry().topLeft() + QPoint(175, 200));
    }
    EXPECT_EQ(form->update_mode_dialog(), nullptr);
    EXPECT_EQ(Shows(form->Image6, "5-1"), true);  // a missing file leaves the picture alone
    EXPECT_EQ(game.Read("update2.dat"), "AVWSEN\r\n");
    EXPECT_TRUE(form->engine().KeepState);
    form.reset();
  }
}

TEST_F(UpdaterWindowTest, ForceUpdateByAnyButtonDeletesTheRecordAndQuits) {
  WritePictures('s');
  game.Write("update2.dat", "AVWSEN\r\n");
  game.Write("update3.dat", "list");
  MakeForm("s", {}, false);
  bool simplified_pictures = false;
  on_mode_dialog = [&](QDialog& dialog) {
    auto& mode = static_cast<TForm3&>(dialog);
    simplified_pictures = Shows(mode.Image1, "4", 's') && Shows(mode.Image2, "6-1", 's');
    EXPECT_EQ(mode.size(), QSize(292 - 15, 140));
    PressAndRelease(mode.Image2, Qt::RightButton);
  };
  const int exit_code = RunInApplicationLoop([&] {
    form->show();
    PressAndRelease(form->Image6, Qt::LeftButton);
  });
  EXPECT_EQ(exit_code, 0);
  EXPECT_TRUE(simplified_pictures);
  EXPECT_FALSE(game.Exists("update2.dat"));
  EXPECT_FALSE(game.Exists("update3.dat"));
  EXPECT_FALSE(form->engine().KeepState);
}

// --- Start of the game ---------------------------------------------------------------------

TEST_F(UpdaterWindowTest, TheLoginProgramGetsTheParametersAndTheWindowCloses) {
  struct Case {
    std::vector<std::string> arguments;
    const char* received;  // the login program's arguments, each in brackets
  };
  const Case cases[] = {
      {{"A", "B", "C"}, "3:[A][B][C]"},
      {{"A", "B"}, "2:[A][B]"},
      {{"A"}, "0:"},
      {{}, "0:"},
  };
  WritePictures();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.received);
    std::filesystem::remove(game.path() / "args.out");
    game.Write("alogin.exe",
               "#!/bin/sh\n{ printf '%s:' \"$#\"; for a in \"$@\"; do printf '[%s]' \"$a\"; done; }"
               " > args.tmp && mv args.tmp args.out\n");
    std::filesystem::permissions(game.path() / "alogin.exe", std::filesystem::perms::owner_all);
    MakeForm("n", c.arguments, false);
    form->show();
    form->engine().window().Image3Visible = true;
    form->StateChanged(form->engine().window(), form->engine().UpdateState);
    ASSERT_TRUE(form->Image3->isVisible());

    PressAndRelease(form->Image3, Qt::LeftButton);

    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->result(), QDialog::Accepted);
    ASSERT_TRUE(WaitUntil([&] { return game.Exists("args.out"); }, 5000));
    EXPECT_EQ(game.Read("args.out"), c.received);
    form.reset();
  }
}

}  // namespace
}  // namespace veyra::testing
