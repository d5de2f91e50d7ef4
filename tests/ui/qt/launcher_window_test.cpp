#include <gtest/gtest.h>

#include <QDialog>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "drawn_artwork.h"
#include "main_loop.h"
#include "support/scoped_hooks.h"
#include "support/temp_folder.h"
#include "ui/qt/launcher/main_form.h"
#include "ui/qt/launcher/veyra_application.h"
#include "ui/qt/widgets/picture_control.h"
#include "window_rules/launcher_layout.h"

namespace veyra {
namespace {

namespace fs = std::filesystem;
using launcher::ButtonPos;
using launcher::ButtonState;
using testing::DrawnArtwork;
using testing::RunMainLoop;
using testing::WaitUntil;

// A point on button `button`'s picture, `dx` and `dy` from its top-left corner.
QPoint OnButton(int button, int dx = 10, int dy = 10) {
  const Point at = ButtonPos[button - 1];
  return {at.left + dx, at.top + dy};
}

// A BMP header (file and information header, 54 bytes) for `bits` per pixel and its pixel rows.
std::string Bmp(int width, int height, int bits) {
  const int row = (width * bits / 8 + 3) / 4 * 4;
  std::string bytes(54 + static_cast<size_t>(row) * height, '\x40');
  auto put = [&](size_t at, uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  bytes[0] = 'B';
  bytes[1] = 'M';
  put(2, static_cast<uint32_t>(bytes.size()), 4);
  put(6, 0, 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, static_cast<uint32_t>(width), 4);
  put(22, static_cast<uint32_t>(height), 4);
  put(26, 1, 2);
  put(28, static_cast<uint32_t>(bits), 2);
  put(30, 0, 24);
  return bytes;
}

// What the launcher's buttons were asked to open.
struct Opened {
  int updater_windows = 0;
  int agreement = 0;
  int home_page = 0;
  int settings = 0;
};

// A game folder, made current and the program folder for one test, holding the launcher's
// artwork as the artwork tool draws it; the running launcher's pauses are written down instead
// of waited for.
class LauncherWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_folder_ = fs::current_path();
    fs::current_path(game_.path());
    for (const char* name :
         {"Main_Img1c.bmp", "Main_Img1s.bmp", "Main_Img2C.Bmp", "Main_Img2S.bmp"}) {
      fs::create_directories(game_.path() / "Upimg");
      fs::copy_file(DrawnArtwork() / "Upimg" / name, game_.path() / "Upimg" / name);
    }
  }
  void TearDown() override { fs::current_path(previous_folder_); }

  // Actions that count what they are asked to open; the updater window is none.
  LauncherActions Counting() {
    return {.create_updater_window =
                [this](QWidget*) {
                  ++opened.updater_windows;
                  return std::unique_ptr<QDialog>();
                },
            .show_agreement_window = [this] { ++opened.agreement; },
            .show_home_page_window = [this] { ++opened.home_page; },
            .show_settings_window = [this] { ++opened.settings; }};
  }

  std::unique_ptr<TMainFM> Create(LauncherActions actions, bool traditional = true,
                                  std::string code = "t") {
    return std::make_unique<TMainFM>(std::move(actions), LauncherLanguage{traditional, code});
  }

  static void Show(TMainFM& launcher) {
    launcher.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&launcher));
  }

  static bool ShowsPressed(const TMainFM& launcher, int button) {
    return launcher.ButtonImage(button, ButtonState::kNormal)->isHidden() &&
           !launcher.ButtonImage(button, ButtonState::kPressed)->isHidden();
  }

  testing::TempFolder game_;
  fs::path previous_folder_;
  std::vector<int> pauses_;
  testing::ScopedSleepHook sleep_{[this](int ms) { pauses_.push_back(ms); }};
  Opened opened;
};

TEST_F(LauncherWindow, IsTheBorderlessBackgroundWithEightButtonPicturesCentredOnTheScreen) {
  auto launcher = Create(Counting());
  Show(*launcher);
  EXPECT_TRUE(launcher->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(launcher->size(), QSize(640, 480));
  const QRect screen = launcher->screen()->geometry();
  EXPECT_EQ(launcher->pos(),
            screen.topLeft() + QPoint((screen.width() - 640) / 2, (screen.height() - 480) / 2));
  for (int button = 1; button <= launcher::kButtonCount; ++button) {
    for (const ButtonState state : {ButtonState::kNormal, ButtonState::kPressed}) {
      const PictureControl* picture = launcher->ButtonImage(button, state);
      ASSERT_NE(picture, nullptr);
      EXPECT_EQ(picture->geometry(), QRect(OnButton(button, 0, 0), QSize(120, 55)));
      EXPECT_EQ(picture->isHidden(), state == ButtonState::kPressed);
    }
  }
  EXPECT_EQ(launcher->ButtonImage(1, ButtonState::kNormal)->accessibleName(),
            QStringLiteral("更新遊戲"));
  EXPECT_TRUE(VeyraApplication::HasExceptionHandler());
}

// Only a button's click area (102 x 40 from its picture's corner) takes the press; the rest of
// the picture is part of what drags the window.
TEST_F(LauncherWindow, OnlyTheClickAreaOfAButtonClicksIt) {
  auto launcher = Create(Counting());
  Show(*launcher);
  struct Case {
    QPoint at;
    int updater_windows;
  };
  const Case cases[] = {
      {OnButton(1, 101, 39), 1}, {OnButton(1, 0, 0), 1},    {OnButton(1, 102, 0), 0},
      {OnButton(1, 0, 40), 0},   {OnButton(1, 110, 50), 0},
  };
  for (const Case& c : cases) {
    opened = {};
    QTest::mouseClick(launcher->windowHandle(), Qt::LeftButton, {}, c.at);
    EXPECT_EQ(opened.updater_windows, c.updater_windows) << c.at.x() << "," << c.at.y();
  }
}

TEST_F(LauncherWindow, APressOffTheClickAreasMovesTheWindowWithThePointer) {
  auto launcher = Create(Counting());
  Show(*launcher);
  for (const QPoint at : {OnButton(1, 102, 0), OnButton(4, 5, 45), QPoint(5, 5)}) {
    const QPoint before = launcher->pos();
    QTest::mousePress(launcher->windowHandle(), Qt::LeftButton, {}, at);
    QTest::mouseMove(launcher->windowHandle(), at + QPoint(25, 15));
    EXPECT_TRUE(WaitUntil([&] { return launcher->pos() == before + QPoint(25, 15); }))
        << at.x() << "," << at.y() << " moved to " << launcher->pos().x() << ","
        << launcher->pos().y();
    QTest::mouseRelease(launcher->windowHandle(), Qt::LeftButton, {}, at + QPoint(25, 15));
  }
  EXPECT_EQ(opened.updater_windows, 0);
  EXPECT_TRUE(pauses_.empty()) << "no button showed its pressed picture";
}

TEST_F(LauncherWindow, AButtonShowsItsPressedPictureDuringThePauseAndItsNormalOneForTheWork) {
  bool normal_during_work = false;
  LauncherActions actions = Counting();
  std::unique_ptr<TMainFM> launcher;
  actions.show_settings_window = [&] {
    normal_during_work = !launcher->ButtonImage(3, ButtonState::kNormal)->isHidden();
  };
  launcher = Create(std::move(actions));
  Show(*launcher);
  std::vector<bool> pressed_during_pause;
  testing::ScopedSleepHook sleep(
      [&](int ms) { pressed_during_pause.push_back(ms == 200 && ShowsPressed(*launcher, 3)); });

  QTest::mouseClick(launcher->windowHandle(), Qt::LeftButton, {}, OnButton(3));
  EXPECT_EQ(pressed_during_pause, std::vector<bool>{true});
  EXPECT_TRUE(normal_during_work);
  EXPECT_FALSE(ShowsPressed(*launcher, 3));
}

TEST_F(LauncherWindow, TheWebButtonOpensTheAgreementWindowOnlyOnATraditionalSystem) {
  for (const bool traditional : {true, false}) {
    opened = {};
    auto launcher = Create(Counting(), traditional, traditional ? "t" : "n");
    Show(*launcher);
    QTest::mouseClick(launcher->windowHandle(), Qt::LeftButton, {}, OnButton(2));
    EXPECT_EQ(opened.agreement, traditional ? 1 : 0);
    EXPECT_EQ(opened.home_page, traditional ? 0 : 1);
  }
}

TEST_F(LauncherWindow, ExitKeepsItsPressedPictureAndEndsTheProgram) {
  auto launcher = Create(Counting());
  Show(*launcher);
  const int code = RunMainLoop(
      [&] { QTest::mouseClick(launcher->windowHandle(), Qt::LeftButton, {}, OnButton(4)); });
  EXPECT_EQ(code, 0) << "the program did not end";
  EXPECT_FALSE(launcher->isVisible());
  EXPECT_TRUE(ShowsPressed(*launcher, 4));
  EXPECT_EQ(pauses_, std::vector<int>{200});
}

// The updater window is shown modally 105 pixels above the launcher, its left edge where its
// creation put it; its closing ends the program.
TEST_F(LauncherWindow, TheUpdaterWindowIsRaisedAboveTheLauncherAndEndsTheProgramWhenClosed) {
  constexpr int kLeftFromCreation = 33;
  QPoint shown_at;
  bool was_modal = false;
  LauncherActions actions = Counting();
  actions.create_updater_window = [&](QWidget* parent) {
    auto window = std::make_unique<QDialog>(parent);
    window->move(kLeftFromCreation, 0);
    QTimer::singleShot(0, window.get(), [&, w = window.get()] {
      shown_at = w->pos();
      was_modal = w->isVisible() && QApplication::activeModalWidget() == w;
      w->accept();
    });
    return window;
  };
  auto launcher = Create(std::move(actions));
  Show(*launcher);
  const int launcher_top = launcher->y();

  const int code = RunMainLoop(
      [&] { QTest::mouseClick(launcher->windowHandle(), Qt::LeftButton, {}, OnButton(1)); });
  EXPECT_TRUE(was_modal);
  EXPECT_EQ(shown_at, QPoint(kLeftFromCreation, launcher_top - 105));
  EXPECT_EQ(code, 0) << "the program did not end with the updater window";
}

TEST_F(LauncherWindow, AnExceptionFromAButtonsWorkIsDroppedAndNoted) {
  LauncherActions actions = Counting();
  actions.show_settings_window = [] { throw std::runtime_error("settings window failed"); };
  auto launcher = Create(std::move(actions));
  Show(*launcher);

  ::testing::internal::CaptureStderr();
  QTest::mouseClick(launcher->windowHandle(), Qt::LeftButton, {}, OnButton(3));
  QTest::mouseClick(launcher->windowHandle(), Qt::LeftButton, {}, OnButton(2));
  const std::string noted = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(noted, "VeyraOnline: dropped exception: settings window failed\n");
  EXPECT_EQ(opened.agreement, 1) << "the launcher answers after the exception";
  EXPECT_FALSE(ShowsPressed(*launcher, 3));
}

TEST_F(LauncherWindow, TheExceptionHandlerGoesWithTheLauncherThatInstalledItLast) {
  auto first = Create(Counting());
  auto second = Create(Counting());
  first.reset();
  EXPECT_TRUE(VeyraApplication::HasExceptionHandler());
  second.reset();
  EXPECT_FALSE(VeyraApplication::HasExceptionHandler());
}

TEST_F(LauncherWindow, CreationDeletesTheUpdateStateOfAnIncompleteInstallation) {
  game_.Write("Data/Talk.Dat", std::string(1000, 'x'));
  game_.Write("update2.dat", "record");
  game_.Write("update3.dat", "list");
  auto launcher = Create(Counting());
  EXPECT_FALSE(game_.Exists("update2.dat"));
  EXPECT_FALSE(game_.Exists("update3.dat"));
}

// The artwork that is missing, damaged or outside the reader's formats, and how far the
// construction gets with it.
TEST_F(LauncherWindow, MissingOrDamagedArtworkEndsTheConstructionQuietly) {
  struct Case {
    const char* what;
    const char* file;
    std::optional<std::string> content;  // none: the file is deleted
    QSize size;
    bool buttons;  // and the exception handler with them
  };
  const std::string valid_background = game_.Read("Upimg/Main_Img1c.bmp");
  const Case cases[] = {
      {"background missing", "Upimg/Main_Img1c.bmp", std::nullopt, {1288, 1032}, false},
      {"background cut short",
       "Upimg/Main_Img1c.bmp",
       valid_background.substr(0, 40),
       {1288, 1032},
       false},
      {"background rows cut short",
       "Upimg/Main_Img1c.bmp",
       valid_background.substr(0, 5000),
       {1288, 1032},
       false},
      {"background of 32 bits", "Upimg/Main_Img1c.bmp", Bmp(4, 4, 32), {1288, 1032}, true},
      {"strip missing", "Upimg/Main_Img2C.Bmp", std::nullopt, {640, 480}, false},
      {"strip damaged", "Upimg/Main_Img2C.Bmp", "BM" + std::string(200, '\x7f'), {640, 480}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testing::TempFolder game;
    fs::current_path(game.path());
    fs::copy(game_.path() / "Upimg", game.path() / "Upimg");
    if (c.content) {
      game.Write(c.file, *c.content);
    } else {
      fs::remove(game.path() / c.file);
    }
    {
      ::testing::internal::CaptureStderr();
      auto launcher = Create(Counting());
      EXPECT_EQ(::testing::internal::GetCapturedStderr(), "") << "quietly";
      EXPECT_TRUE(launcher->windowFlags() & Qt::FramelessWindowHint);
      EXPECT_EQ(launcher->size(), c.size);
      EXPECT_EQ(launcher->ButtonImage(1, ButtonState::kNormal) != nullptr, c.buttons);
      EXPECT_EQ(VeyraApplication::HasExceptionHandler(), c.buttons);
    }
    fs::current_path(game_.path());
  }
}

TEST_F(LauncherWindow, ABackgroundSmallerThanTheLayoutStillShowsEveryButton) {
  game_.Write("Upimg/Main_Img1c.bmp", Bmp(300, 200, 24));
  auto launcher = Create(Counting());
  EXPECT_EQ(launcher->size(), QSize(449 + 120, 346 + 55));  // to the exit button's far corner
  EXPECT_TRUE(
      launcher->rect().contains(launcher->ButtonImage(4, ButtonState::kNormal)->geometry()));
}

// Only the launcher's own options are taken: game parameters that begin with a dash, or that
// Qt would read as its own options, neither stop the program nor change how it runs.
TEST_F(LauncherWindow, TheProgramRunsWithGameParametersThatLookLikeOptions) {
  QProcess program;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_QPA_PLATFORM", "offscreen");
  environment.insert("VEYRA_REPORT_FIRST_FRAME", "1");
  environment.insert("VEYRA_BENCH_NO_AGREEMENT_WINDOW", "1");
  program.setProcessEnvironment(environment);
  program.start(QStringLiteral(VEYRA_ONLINE_PROGRAM),
                {"--folder", QString::fromStdString(game_.path().string()), "--user=A", "-platform",
                 "nonesuch"});
  ASSERT_TRUE(program.waitForStarted(10000));
  QByteArray output;
  for (int waits = 0; waits < 300 && !output.contains("first frame"); ++waits) {
    if (!program.waitForReadyRead(100) && program.state() == QProcess::NotRunning) break;
    output += program.readAllStandardError();
  }
  program.kill();
  program.waitForFinished(10000);
  EXPECT_TRUE(output.contains("first frame")) << output.toStdString();
}

TEST_F(LauncherWindow, AnyOtherThanATraditionalSystemShowsTheSimplifiedArtwork) {
  fs::remove(game_.path() / "Upimg/Main_Img1s.bmp");
  auto simplified = Create(Counting(), false, "s");
  EXPECT_EQ(simplified->size(), QSize(1288, 1032));
  auto traditional = Create(Counting(), true, "t");
  EXPECT_EQ(traditional->size(), QSize(640, 480));
}

// Also run by ui_tests.double_scale with QT_SCALE_FACTOR=2: the screen shows the window at its
// pixel density, while its size, its pictures and its click areas stay in logical pixels.
class LauncherAtDoubleScale : public LauncherWindow {};

TEST_F(LauncherAtDoubleScale, ClickAreasStayInLogicalPixels) {
  auto launcher = Create(Counting());
  Show(*launcher);
  const qreal ratio = launcher->devicePixelRatio();
  if (qEnvironmentVariable("QT_SCALE_FACTOR") == QStringLiteral("2")) {
    EXPECT_EQ(ratio, 2.0);
  }
  EXPECT_EQ(launcher->size(), QSize(640, 480));
  EXPECT_EQ(launcher->grab().size(), QSize(640, 480) * ratio);
  EXPECT_EQ(launcher->ButtonImage(4, ButtonState::kNormal)->geometry(),
            QRect(OnButton(4, 0, 0), QSize(120, 55)));
  for (const auto& [at, clicks] :
       {std::pair{OnButton(1, 101, 39), 1}, std::pair{OnButton(1, 102, 0), 0},
        std::pair{OnButton(1, 0, 40), 0}}) {
    opened = {};
    QTest::mouseClick(launcher->windowHandle(), Qt::LeftButton, {}, at);
    EXPECT_EQ(opened.updater_windows, clicks) << at.x() << "," << at.y();
  }
}

}  // namespace
}  // namespace veyra
