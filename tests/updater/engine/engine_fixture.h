#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/static_files.h"
#include "support/temp_folder.h"
#include "updater/dialogs/line_dialog_model.h"
#include "updater/engine/updater_engine.h"
#include "updater/gzip/gzip_writer.h"
#include "updater/records/archive.h"
#include "updater/records/lines.h"

namespace veyra::testing {

// A window stand-in that records what the run asks of it.
class ScriptedView : public UpdaterView {
 public:
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void Log(const std::string& line) override { log.push_back(line); }
  bool AskYesNo(const std::string& question) override {
    questions.push_back(question);
    return answer_yes;
  }
  void RunLineDialog(LineDialogModel& dialog) override {
    dialog_items = dialog.ListBox1();
    if (choose_line) dialog.Select(*choose_line);
    if (choose_no_preference) dialog.Select(static_cast<int>(dialog_items.size()) - 1);
    dialog.Confirm();
  }
  void ReloadPage() override { ++reloads; }
  void HideWindow() override { ++hides; }
  void CloseWindow() override {
    ++closes;
    if (engine != nullptr) engine->FormClose();
  }
  void StateChanged(const UpdaterWindowState& window, UpdateStage stage) override {
    if (stage != UpdateStage::kMainPassRunning) return;
    pass_frames.push_back(window.Label4.text + "|" + std::to_string(window.Gauge1.Progress()) +
                          "/" + std::to_string(window.Gauge1.MaxValue()));
  }
  void EndProcess() override { ++process_ends; }
  void Terminate() override { ++terminations; }

  UpdaterEngine* engine = nullptr;
  std::optional<int> choose_line;
  bool choose_no_preference = false;  // the last item, wherever it lies
  bool answer_yes = false;
  std::vector<std::string> messages;
  std::vector<std::string> questions;
  std::vector<std::string> log;
  LineList dialog_items;
  std::vector<std::string> pass_frames;  // progress label and gauge at each main-pass redraw
  int reloads = 0;
  int hides = 0;
  int closes = 0;
  int process_ends = 0;
  int terminations = 0;
};

// A game folder, one update server on 127.0.0.1 and an engine working on them.
class EngineTest : public ::testing::Test {
 protected:
  void MakeEngine(const std::string& language = "n") {
    engine = std::make_unique<UpdaterEngine>(view, language);
    view.engine = engine.get();
    if (fixed_timeouts) engine->SetHttpTimeouts({2000, 2000});
    engine->SetRandomPick([](int low, int) { return low; });
    engine->FormCreate();
  }
  // web0.dat with one line per base address, then "end".
  void WriteWeb0(const std::vector<std::string>& base_urls) {
    std::string text;
    for (size_t i = 0; i < base_urls.size(); ++i) {
      text += "Line" + std::to_string(i) + " " + base_urls[i] + " 80 30000\r\n";
    }
    dir.Write("web0.dat", text + "end\r\n");
  }
  // update3.dat on the server from entry lines (marker remote local version).
  void PublishList(const std::vector<std::string>& entries) {
    server.Put("update3.dat", JoinLines(WithHeader(entries)));
  }
  static LineList WithHeader(const std::vector<std::string>& entries) {
    LineList lines{"VeyraOnline update list"};
    lines.insert(lines.end(), entries.begin(), entries.end());
    return lines;
  }
  // Runs creation and the driver against the single test server.
  void RunDriver(const std::string& language = "n") {
    WriteWeb0({server.base_url()});
    MakeEngine(language);
    engine->FormResize();
  }
  LineList Record() const { return SplitLines(dir.Read("update2.dat")); }

  bool fixed_timeouts = true;  // false: each line's time-out from web0.dat applies
  TempFolder dir;
  StaticFiles server;
  ScriptedView view;
  std::unique_ptr<UpdaterEngine> engine;
};

}  // namespace veyra::testing
