#pragma once

#include <chrono>
#include <optional>
#include <ostream>
#include <string>

#include "updater/engine/updater_view.h"

namespace veyra {

class UpdaterEngine;

// The updater window's stand-in on a terminal: message boxes and status-line texts become
// printed lines, the line dialog is answered from an option, and progress is one updating line
// on a terminal or a plain line per finished file otherwise.
class ConsoleView : public UpdaterView {
 public:
  ConsoleView(std::ostream& out, std::string language_code, std::optional<int> line,
              bool interactive_terminal);

  void Attach(UpdaterEngine& engine) { engine_ = &engine; }

  void ShowMessage(const std::string& text) override;
  void Log(const std::string& line) override;
  bool AskYesNo(const std::string& question) override;
  void RunLineDialog(LineDialogModel& dialog) override;
  void CloseWindow() override;
  void StateChanged(const UpdaterWindowState& window, UpdateStage stage) override;
  void PassProgressChanged(const PassProgress& progress) override;

  bool window_closed() const { return window_closed_; }
  // Ends an unfinished progress line, so that what follows starts on a line of its own.
  void FinishProgressLine();

 private:
  void Print(const std::string& bytes);
  void ShowProgress(const UpdaterWindowState& window);

  std::ostream& out_;
  std::string language_code_;
  std::optional<int> line_;
  bool interactive_terminal_;
  UpdaterEngine* engine_ = nullptr;
  bool window_closed_ = false;
  std::string last_status_;
  std::string last_progress_;
  bool progress_line_open_ = false;
  std::chrono::steady_clock::time_point last_progress_time_{};
  PassProgress pass_;
  std::optional<std::chrono::steady_clock::time_point> pass_start_;
};

}  // namespace veyra
