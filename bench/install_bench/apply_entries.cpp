// Installs every file of a manifest through UpdaterEngine::ApplyEntry, as the main pass does,
// and prints the total time, the longest stretch without PumpMessages() and the peak memory.
//
// Usage: apply_entries_bench <base url ending in '/'> <manifest> <empty target folder>
// Output: one line "seconds=<s> max_pump_gap_ms=<ms> peak_rss_mb=<mb> largest_mb=<mb>
//         failures=<n> max_gap_entry=<remote name>" (the gap ends in that entry's first pump,
//         so it covers the previous entry's expansion and write). Exit status 1 when any entry
//         failed.
#include <sys/resource.h>
#include "manifest.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/folder_names.h"
#include "platform/paths.h"
#include "platform/pump.h"
#include "updater/engine/updater_engine.h"

namespace {

using Clock = std::chrono::steady_clock;

// A window that shows nothing and counts what it was asked to show.
class SilentView : public veyra::UpdaterView {
 public:
  void ShowMessage(const std::string& text) override {
    ++messages;
    std::cerr << "message: " << text << "\n";
  }
  bool AskYesNo(const std::string&) override { return false; }
  void RunLineDialog(veyra::LineDialogModel&) override {}
  void CloseWindow() override {}
  int messages = 0;
};

// The largest resident set the process reached, in MiB.
double PeakRssMb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: apply_entries_bench <base url> <manifest> <target folder>\n";
    return 2;
  }
  const std::vector<ManifestEntry> entries = ReadManifest(argv[2]);
  std::string folder = argv[3];
  if (folder.back() != '/') folder += '/';
  veyra::SetProgramFolder(folder);

  // The gap clock starts at the first pump of the run and covers everything after it.
  Clock::time_point last_pump{};
  Clock::duration max_gap{};
  const std::string* current = nullptr;  // the entry being installed
  std::string max_gap_entry = "-";       // the entry during which the longest gap ended
  veyra::SetPumpHook([&] {
    const Clock::time_point now = Clock::now();
    if (last_pump != Clock::time_point{} && now - last_pump > max_gap) {
      max_gap = now - last_pump;
      if (current != nullptr) max_gap_entry = *current;
    }
    last_pump = now;
  });

  SilentView view;
  veyra::UpdaterEngine engine(view, "n");
  engine.BaseUrl = argv[1];
  engine.FormCreate();

  const veyra::FolderNamesScope folder_names;  // as the update passes hold one
  int failures = 0;
  long long largest = 0;
  const Clock::time_point start = Clock::now();
  for (const ManifestEntry& entry : entries) {
    current = &entry.remote;
    engine.ApplyEntry("E " + entry.remote + " " + entry.local + " 1");
    if (!engine.Downloaded || !engine.EntryDone || engine.WriteFailed) ++failures;
    largest = std::max(largest, entry.size);
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();

  std::printf(
      "seconds=%.3f max_pump_gap_ms=%.1f peak_rss_mb=%.1f largest_mb=%.1f failures=%d "
      "max_gap_entry=%s\n",
      seconds, std::chrono::duration<double, std::milli>(max_gap).count(), PeakRssMb(),
      largest / 1048576.0, failures + view.messages, max_gap_entry.c_str());
  return failures + view.messages == 0 ? 0 : 1;
}
