#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "updater/engine/updater_engine.h"
#include "updater/engine/updater_view.h"

class QLabel;
class QListWidget;

namespace veyra {

class GaugeWidget;
class PagePanel;
class PictureButtons;
class PictureControl;
class TForm3;

// What the updater window takes from its surroundings; every member has the program's default.
struct UpdaterWindowOptions {
  // The display language code ("t", "s" or "n"); empty: the system locale's (GetLanguageCode).
  std::string language_code;
  // Ends the process at once (the window closed while a connection is open); default _Exit(0).
  std::function<void()> end_process;
  // Makes the news page panel; default: the embedded web browser.
  std::function<PagePanel*(QWidget* parent)> make_page_panel;
};

// The updater window: the update run's engine with its pictures, lists, status line, gauge and
// news page around it. It draws the engine's window state and forwards the player's presses and
// releases to the engine; it holds no update logic of its own. Shown modally by the launcher;
// the driver (line dialog, server search, page pass) starts at its first sizing.
class TForm1 : public QDialog, public UpdaterView {
  Q_OBJECT

 public:
  // `program_arguments`: the program's parameters without the program's name (up to three are
  // handed to the login program).
  explicit TForm1(const std::vector<std::string>& program_arguments, QWidget* parent = nullptr);
  TForm1(const std::vector<std::string>& program_arguments, UpdaterWindowOptions options,
         QWidget* parent = nullptr);
  ~TForm1() override;

  UpdaterEngine& engine() { return engine_; }
  const std::string& language_code() const { return language_code_; }
  // The update mode dialog while it is open, else null.
  TForm3* update_mode_dialog() const { return update_mode_dialog_; }

  // UpdaterView.
  void ShowMessage(const std::string& text) override;
  void Log(const std::string& line) override;
  bool AskYesNo(const std::string& question) override;
  void RunLineDialog(LineDialogModel& dialog) override;
  void ReloadPage() override;
  void HideWindow() override;
  void CloseWindow() override;
  void EndProcess() override;
  void Terminate() override;
  void StateChanged(const UpdaterWindowState& window, UpdateStage stage) override;
  int ProgressTextWidth(std::string_view text) const override;
  int ClientWidth() const override;

  // The controls, by their names in the window.
  PictureControl* Image1 = nullptr;  // background
  PagePanel* WebBrowser1 = nullptr;
  QListWidget* ListBox1 = nullptr;  // names still to update
  QListWidget* ListBox2 = nullptr;  // names updated in this run
  GaugeWidget* Gauge1 = nullptr;
  PictureControl* Image5 = nullptr;  // empty picture over the gauge
  QLabel* Label4 = nullptr;          // progress text
  QLabel* Label3 = nullptr;          // status line
  PictureControl* Image2 = nullptr;  // start update
  PictureControl* Image3 = nullptr;  // start game
  PictureControl* Image6 = nullptr;  // troubleshooting
  PictureControl* Image4 = nullptr;  // exit

 public slots:
  // Closes the window as the player cannot (Escape does nothing: the exit picture is the way out).
  void reject() override {}

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  void FormCreate(const std::vector<std::string>& program_arguments);
  bool LoadCreationPictures();
  void LayOut();
  void FitToContents();
  void WireButtons();
  void ScheduleDriver();
  void RunFormClose();
  QString Display(const std::string& bytes) const;

  void Image2MouseDown();
  void Image2MouseUp();
  void Image3MouseDown();
  void Image3MouseUp();
  void Image3Click();
  void Image6MouseDown();
  void Image6MouseUp();
  void Image4MouseDown();
  void Image4MouseUp();
  void Button4Click();

  // Runs a handler so that no failure inside it reaches Qt's event loop: it ends the handler
  // there, without a message.
  void Guarded(const std::function<void()>& handler);

  std::string language_code_;
  UpdaterWindowOptions options_;
  UpdaterEngine engine_;
  PictureButtons* buttons_ = nullptr;
  TForm3* update_mode_dialog_ = nullptr;
  LineList shown_list1_;
  LineList shown_list2_;
  bool driver_scheduled_ = false;
  bool form_closed_ = false;
};

}  // namespace veyra
