#include "updater/headless/console_view.h"

#include "platform/text_codec.h"
#include "updater/dialogs/line_dialog_model.h"
#include "updater/engine/updater_engine.h"
#include "updater/headless/pass_summary.h"
#include "updater/headless/terminal_text.h"

namespace veyra {
namespace {

// A terminal line is rewritten at most this often; the last state of a file is always shown.
constexpr auto kProgressInterval = std::chrono::milliseconds(100);

}  // namespace

ConsoleView::ConsoleView(std::ostream& out, std::string language_code, std::optional<int> line,
                         bool interactive_terminal)
    : out_(out),
      language_code_(std::move(language_code)),
      line_(line),
      interactive_terminal_(interactive_terminal) {}

void ConsoleView::Print(const std::string& bytes) {
  FinishProgressLine();
  out_ << EscapeControls(DecodeForDisplay(language_code_, bytes)) << "\n" << std::flush;
}

void ConsoleView::FinishProgressLine() {
  if (!progress_line_open_) return;
  out_ << "\n";
  progress_line_open_ = false;
}

void ConsoleView::ShowMessage(const std::string& text) {
  Print(text);
}

void ConsoleView::Log(const std::string& line) {
  Print(line);
}

bool ConsoleView::AskYesNo(const std::string& question) {
  // Nobody is there to answer; a question the updater cannot put is answered No.
  Print(question + " no");
  return false;
}

void ConsoleView::RunLineDialog(LineDialogModel& dialog) {
  if (line_) dialog.Select(*line_);
  const int selected = dialog.SelectedIndex();
  if (line_ && selected != *line_) {
    Print("line " + std::to_string(*line_) + " is not in the list; using line " +
          std::to_string(selected));
  }
  Print("line: " + dialog.ListBox1()[static_cast<size_t>(selected)]);
  dialog.Confirm();
}

void ConsoleView::CloseWindow() {
  window_closed_ = true;
  if (engine_ != nullptr) engine_->FormClose();
}

void ConsoleView::StateChanged(const UpdaterWindowState& window, UpdateStage stage) {
  if (window.Label3.visible && window.Label3.text != last_status_) {
    last_status_ = window.Label3.text;
    Print(last_status_);
  }
  if (stage == UpdateStage::kMainPassRunning) ShowProgress(window);
}

void ConsoleView::PassProgressChanged(const PassProgress& progress) {
  if (!pass_start_) pass_start_ = std::chrono::steady_clock::now();
  pass_ = progress;
}

void ConsoleView::ShowProgress(const UpdaterWindowState& window) {
  const GaugeState& gauge = window.Gauge1;
  if (window.Label4.text == last_progress_) return;
  const bool file_done = gauge.Progress() == gauge.MaxValue();
  const auto now = std::chrono::steady_clock::now();
  if (!file_done && now - last_progress_time_ < kProgressInterval) return;
  if (!interactive_terminal_ && !file_done) return;
  last_progress_time_ = now;
  last_progress_ = window.Label4.text;
  // The label reads "<name> <received> of <total> "; the percentage is the gauge's own.
  std::string line = EscapeControls(DecodeForDisplay(language_code_, window.Label4.text)) + "(" +
                     std::to_string(gauge.Percent()) + "%)";
  if (interactive_terminal_) {
    if (pass_start_) {
      const std::chrono::duration<double> elapsed = now - *pass_start_;
      line += "  [" + PassSummary(pass_, elapsed.count()) + "]";
    }
    out_ << "\r\x1b[K" << line << std::flush;
    progress_line_open_ = true;
  } else {
    out_ << line << "\n";
  }
}

}  // namespace veyra
