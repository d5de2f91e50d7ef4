#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMessageBox>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/temp_folder.h"
#include "ui/qt/updater/page_panel.h"
#include "ui/qt/updater/tform1.h"
#include "updater/records/lines.h"

namespace veyra::testing {

// The news page panel's stand-in: records what the window asks of it.
class RecordingPagePanel : public PagePanel {
 public:
  using PagePanel::PagePanel;
  void Navigate(const std::string& file_name) override { navigated.push_back(file_name); }
  void Reload() override { ++reloads; }
  std::vector<std::string> navigated;
  int reloads = 0;
};

// Every picture the updater family loads from upimg, with the size its window expects.
struct PictureFile {
  const char* base;
  int width;
  int height;
};
inline constexpr PictureFile kUpdaterPictures[] = {
    {"0", 620, 570},  {"1-1", 90, 26},  {"1-2", 90, 26},  {"2-1", 129, 26}, {"2-2", 129, 26},
    {"3-1", 90, 26},  {"3-2", 90, 26},  {"5-1", 90, 26},  {"5-2", 90, 26},  {"4", 292, 140},
    {"6-1", 100, 30}, {"6-2", 100, 30}, {"7-1", 100, 30}, {"7-2", 100, 30},
};

// A colour of its own for every picture, so that a test can tell which one a control shows.
QColor PictureColour(const std::string& base, char suffix);

// What one modal window looked like when the answerer met it.
struct ModalSeen {
  std::string kind;  // "question", "information", "line", "mode"
  QString title;
  QString text;
};

// A game folder with the updater's pictures, and one updater window on it. Modal windows that
// open while a test runs are answered by a timer: the line dialog is confirmed, message boxes are
// answered (Yes only when `answer_yes`), the update mode dialog is handled by `on_mode_dialog`.
class UpdaterWindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes every picture of the updater family for art suffix `suffix` ('c' or 's').
  void WritePictures(char suffix = 'c');
  void RemovePicture(const std::string& base, char suffix = 'c');
  // web0.dat with one line per base address, then "end".
  void WriteWeb0(const std::vector<std::string>& base_urls);

  // Creates the window (not shown). Its driver stays disarmed unless `with_driver`.
  TForm1& MakeForm(const std::string& language = "n", std::vector<std::string> arguments = {},
                   bool with_driver = true);
  // Shows the window and lets the driver run (bounded) until the run waits for the player or
  // has stopped.
  void ShowAndRunDriver();
  // Processes events until `done` holds or `timeout_ms` has passed; returns whether it held.
  static bool WaitUntil(const std::function<bool()>& done, int timeout_ms = 10000);
  // Runs `scenario` inside the application's own event loop, as the program does, and returns
  // the loop's exit code: 0 when the application was asked to quit, kTimedOut when it was not
  // within `timeout_ms`.
  static int RunInApplicationLoop(const std::function<void()>& scenario, int timeout_ms = 20000);
  static constexpr int kTimedOut = 99;

  // A press and release of `button` on `control`; `release_at` is where the pointer comes up
  // (the control's centre when not given).
  static void PressAndRelease(QWidget* control, Qt::MouseButton button,
                              std::optional<QPoint> release_at = std::nullopt);
  // True when `control` shows the file picture `base` (its colour at the centre).
  static bool Shows(const QWidget* control, const std::string& base, char suffix = 'c');

  LineList Record() const { return SplitLines(game.Read("update2.dat")); }

  TempFolder game;
  std::unique_ptr<TForm1> form;
  RecordingPagePanel* page = nullptr;
  int process_ends = 0;

  bool answer_yes = false;
  std::vector<ModalSeen> modals_seen;
  std::function<void(QDialog&)> on_mode_dialog;
  std::function<void(QMessageBox&)> on_message_box;  // runs before the box is answered

 private:
  void AnswerModal();
  QTimer answerer_;
};

}  // namespace veyra::testing
