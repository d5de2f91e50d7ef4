// The client's events acting on the window: the connection flag, the gauge and its label.
#include "updater/engine/updater_engine.h"
#include "window_rules/updater_window_layout.h"

namespace veyra {

// With several connections the flag stays set while any of them is open.
void UpdaterEngine::IdHTTP1Connected() {
  ++open_connections_;
  Connected = true;
  window_.StatusBar1 = "Connected";
}

void UpdaterEngine::IdHTTP1Disconnected() {
  if (open_connections_ > 0) --open_connections_;
  Connected = open_connections_ > 0;
}

void UpdaterEngine::IdHTTP1WorkBegin(int64_t expected) {
  if (UpdateState != UpdateStage::kMainPassRunning) return;
  window_.Gauge1.SetMaxValue(expected);
  window_.Gauge1.SetMinValue(0);
  Redraw();
}

void UpdaterEngine::IdHTTP1Work(int64_t count) {
  if (UpdateState != UpdateStage::kMainPassRunning) return;
  window_.Gauge1.SetProgress(count);
  pass_progress_.current_bytes = count;
  view_.PassProgressChanged(pass_progress_);
  UpdateProgressLabel(count);
}

void UpdaterEngine::IdHTTP1WorkEnd() {
  if (UpdateState != UpdateStage::kMainPassRunning) return;
  window_.Gauge1.SetProgress(window_.Gauge1.MaxValue());
  UpdateProgressLabel(window_.Gauge1.MaxValue());
}

void UpdaterEngine::UpdateProgressLabel(int64_t count) {
  // The raw count, not the clamped gauge value: a reply longer than announced shows it.
  const std::string first = window_.ListBox1.empty() ? std::string() : window_.ListBox1.front();
  window_.Label4.text = first + " " + std::to_string(count) + " of " +
                        std::to_string(window_.Gauge1.MaxValue()) + " ";
  window_.Label4.top = updater_window::kLabel4ProgressTop;
  window_.Label4.left =
      updater_window::kGauge1.left +
      CentredOffset(updater_window::kGauge1.width, view_.ProgressTextWidth(window_.Label4.text));
  Redraw();
}

}  // namespace veyra
