#include <gtest/gtest.h>

#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <vector>

#include "drawn_artwork.h"
#include "support/temp_folder.h"
#include "ui/qt/launcher/veyra_application.h"
#include "ui/qt/settings/tset_screen_fm.h"
#include "ui/qt/widgets/picture_control.h"

namespace veyra {
namespace {

namespace fs = std::filesystem;
using settings::DisplayMode;
using settings::MemoryMode;
using testing::DrawnArtwork;

constexpr char kClosedChoice[] = "本功能暫不開放";

// A game folder with the settings window's artwork, current for one test. Messages and the
// exceptions that reach the application are written down.
class SettingsWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_folder_ = fs::current_path();
    fs::current_path(game_.path());
    fs::create_directories(game_.path() / "Upimg");
    for (const char* name :
         {"colorform.bmp", "colorforms.bmp", "chkbtndn.bmp", "CheckOK_1.jpg", "CheckOK_2.jpg"}) {
      fs::copy_file(DrawnArtwork() / "Upimg" / name, game_.path() / "Upimg" / name);
    }
    VeyraApplication::SetExceptionHandler([this](std::exception_ptr) { ++dropped_; });
  }
  void TearDown() override {
    VeyraApplication::SetExceptionHandler(nullptr);
    fs::current_path(previous_folder_);
  }

  std::unique_ptr<TSetScreenFM> Create(bool traditional = true) {
    return std::make_unique<TSetScreenFM>(
        traditional, [this](const QString& text) { messages_.push_back(text); });
  }

  static void Open(TSetScreenFM& window) {
    ShowSettingsWindow(window);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  }

  static std::vector<bool> VisibleMarks(const TSetScreenFM& window) {
    return {window.Image2->isVisibleTo(&window), window.Image3->isVisibleTo(&window),
            window.Image6->isVisibleTo(&window), window.Image7->isVisibleTo(&window),
            window.Image8->isVisibleTo(&window)};
  }

  testing::TempFolder game_;
  fs::path previous_folder_;
  std::vector<QString> messages_;
  int dropped_ = 0;
};

// Points on the marks' places and the buttons.
constexpr QPoint kFullScreenMark{60, 40};
constexpr QPoint kWindowMark{60, 83};
constexpr QPoint kFullMemoryMark{60, 156};
constexpr QPoint kHalfMemoryMark{60, 206};
constexpr QPoint kShortMemoryMark{60, 259};
constexpr QPoint kOk{60, 310};
constexpr QPoint kCancel{200, 310};

void PressAt(TSetScreenFM& window, QPoint at) {
  QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, at);
}

TEST_F(SettingsWindow, CreationWritesTheMissingFileAndStaysHidden) {
  for (const bool traditional : {true, false}) {
    fs::remove(game_.path() / "sinfo.txt");
    auto window = Create(traditional);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(game_.Read("sinfo.txt"), traditional
                                           ? "WindowScreen\r\nComplexities\r\nFullMemory\r\n"
                                           : "WindowScreen\r\nSimplified\r\nFullMemory\r\n");
    EXPECT_EQ(VisibleMarks(*window), (std::vector<bool>{false, true, true, false, false}));
  }
}

TEST_F(SettingsWindow, IsLaidOutFromItsArtworkAndCentred) {
  auto window = Create();
  Open(*window);
  EXPECT_EQ(window->windowTitle(), "VeyraOnline");
  EXPECT_EQ(window->size(), QSize(300, 350));
  const QSize screen = QGuiApplication::primaryScreen()->size();
  EXPECT_EQ(window->pos(), QPoint((screen.width() - 300) / 2, (screen.height() - 350) / 2));
  EXPECT_EQ(window->Image2->geometry(), QRect(53, 34, 20, 20));
  EXPECT_EQ(window->Image3->pos(), QPoint(53, 77));
  EXPECT_EQ(window->Image6->pos(), QPoint(53, 150));
  EXPECT_EQ(window->Image7->pos(), QPoint(53, 200));
  EXPECT_EQ(window->Image8->pos(), QPoint(53, 253));
  EXPECT_EQ(window->Image4->geometry(), QRect(40, 302, 80, 30));
  EXPECT_EQ(window->Image5->geometry(), QRect(180, 302, 80, 30));
}

TEST_F(SettingsWindow, TheBackgroundFollowsTheLocaleFamily) {
  auto traditional = Create(true);
  auto other = Create(false);
  EXPECT_FALSE(traditional->Image1->picture() == other->Image1->picture());
  fs::remove(game_.path() / "Upimg" / "colorforms.bmp");
  EXPECT_TRUE(Create(true)->Image1->picture() == traditional->Image1->picture());
  EXPECT_TRUE(Create(false)->Image1->picture().isNull());
}

TEST_F(SettingsWindow, AFileWithOnlyFullScreenShowsShortMemoryAndOkWritesIt) {
  game_.Write("sinfo.txt", "FullScreen");
  auto window = Create();
  Open(*window);
  EXPECT_EQ(VisibleMarks(*window), (std::vector<bool>{true, false, false, false, true}));
  PressAt(*window, kOk);
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(game_.Read("sinfo.txt"), "FullScreen\r\nComplexities\r\nShortMemory\r\n");
}

TEST_F(SettingsWindow, PressingAHiddenMarksPlaceChoosesIt) {
  auto window = Create();
  Open(*window);
  PressAt(*window, kFullScreenMark);
  EXPECT_EQ(VisibleMarks(*window), (std::vector<bool>{true, false, true, false, false}));
  // The visible mark takes the press and does nothing.
  PressAt(*window, kFullScreenMark);
  EXPECT_EQ(window->Settings().display, DisplayMode::kFullScreen);
  PressAt(*window, kWindowMark);
  EXPECT_EQ(VisibleMarks(*window), (std::vector<bool>{false, true, true, false, false}));
  EXPECT_TRUE(messages_.empty());
}

TEST_F(SettingsWindow, HalfMemoryIsShownAndRefused) {
  game_.Write("sinfo.txt", "WindowScreen\r\nComplexities\r\nHalfMemory\r\n");
  auto window = Create();
  Open(*window);
  EXPECT_EQ(VisibleMarks(*window), (std::vector<bool>{false, true, false, true, false}));
  PressAt(*window, kHalfMemoryMark);  // on the visible mark
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], QString::fromUtf8(kClosedChoice));
  EXPECT_EQ(window->MemoryMode(), MemoryMode::kHalfMemory);
  PressAt(*window, kFullMemoryMark);
  EXPECT_EQ(window->MemoryMode(), MemoryMode::kFullMemory);
  EXPECT_EQ(VisibleMarks(*window), (std::vector<bool>{false, true, true, false, false}));
  PressAt(*window, kOk);
  EXPECT_EQ(game_.Read("sinfo.txt"), "WindowScreen\r\nComplexities\r\nFullMemory\r\n");
}

TEST_F(SettingsWindow, TheClosedMemoryChoicesNeverChangeTheFile) {
  auto window = Create(false);
  Open(*window);
  PressAt(*window, kHalfMemoryMark);
  PressAt(*window, kShortMemoryMark);
  EXPECT_EQ(messages_.size(), 2u);
  EXPECT_EQ(VisibleMarks(*window), (std::vector<bool>{false, true, true, false, false}));
  PressAt(*window, kOk);
  EXPECT_EQ(game_.Read("sinfo.txt"), "WindowScreen\r\nSimplified\r\nFullMemory\r\n");
}

TEST_F(SettingsWindow, CancelKeepsTheFileAndReopeningShowsIt) {
  auto window = Create();
  Open(*window);
  PressAt(*window, kFullScreenMark);
  PressAt(*window, kCancel);
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(window->Settings().display, DisplayMode::kFullScreen);  // kept until reopened
  EXPECT_EQ(game_.Read("sinfo.txt"), "WindowScreen\r\nComplexities\r\nFullMemory\r\n");
  Open(*window);
  EXPECT_EQ(VisibleMarks(*window), (std::vector<bool>{false, true, true, false, false}));
}

TEST_F(SettingsWindow, AFailedWriteKeepsTheOldFileAndTheWindowOpen) {
  auto window = Create();
  Open(*window);
  PressAt(*window, kFullScreenMark);
  fs::permissions(game_.path() / "sinfo.txt", fs::perms(0444));  // the player made it read-only
  PressAt(*window, kOk);
  EXPECT_EQ(dropped_, 1);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(game_.Read("sinfo.txt"), "WindowScreen\r\nComplexities\r\nFullMemory\r\n");
}

TEST_F(SettingsWindow, TheClosedChoiceIsAPlainMessageBoxWithTheApplicationsName) {
  TSetScreenFM window(true);
  Open(window);
  QString caption;
  QString text;
  // Answers the box once it is up; gives up after five seconds.
  QTimer answer;
  int checks = 0;
  QObject::connect(&answer, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr && ++checks < 500) return;
    answer.stop();
    if (box == nullptr) return;
    caption = box->windowTitle();
    text = box->text();
    box->accept();
  });
  answer.start(10);
  PressAt(window, kShortMemoryMark);
  EXPECT_EQ(caption, QCoreApplication::applicationName());
  EXPECT_EQ(text, QString::fromUtf8(kClosedChoice));
}

// The start-up order as the real program runs it: the settings file is written before the
// launcher's first frame; the agreement window is created hidden after it, so that its browser
// engine does not delay the frame.
TEST_F(SettingsWindow, StartUpWritesTheFileBeforeTheFirstFrameThenCreatesTheAgreementWindowHidden) {
  for (const char* name :
       {"Main_Img1c.bmp", "Main_Img1s.bmp", "Main_Img2C.Bmp", "Main_Img2S.bmp"}) {
    fs::copy_file(DrawnArtwork() / "Upimg" / name, game_.path() / "Upimg" / name);
  }
  QProcess program;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_QPA_PLATFORM", "offscreen");
  environment.insert("QTWEBENGINE_DISABLE_SANDBOX", "1");
  environment.insert("VEYRA_REPORT_FIRST_FRAME", "1");
  environment.remove("LC_ALL");
  environment.remove("LC_MESSAGES");
  environment.insert("LANG", "en_US.UTF-8");
  program.setProcessEnvironment(environment);
  program.start(QStringLiteral(VEYRA_ONLINE_PROGRAM),
                {"--folder", QString::fromStdString(game_.path().string())});
  ASSERT_TRUE(program.waitForStarted(10000));
  // The file as it was when the launcher reported its first frame.
  std::string at_first_frame = "<no first frame>";
  QByteArray output;
  const QByteArray created = "service agreement window created hidden";
  for (int waits = 0; waits < 300 && !output.contains(created); ++waits) {
    program.waitForReadyRead(100);
    const bool framed_before = output.contains("first frame");
    output += program.readAllStandardError();
    if (!framed_before && output.contains("first frame")) at_first_frame = game_.Read("sinfo.txt");
  }
  program.kill();
  program.waitForFinished(10000);
  EXPECT_EQ(at_first_frame, "WindowScreen\r\nSimplified\r\nFullMemory\r\n") << output.toStdString();
  const qsizetype frame_at = output.indexOf("first frame");
  const qsizetype created_at = output.indexOf(created);
  EXPECT_TRUE(frame_at >= 0 && created_at > frame_at) << output.toStdString();
}

}  // namespace
}  // namespace veyra
