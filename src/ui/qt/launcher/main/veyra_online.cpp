// VeyraOnline: the launcher. Run from the game folder (or with --folder DIR); up to three further
// parameters are handed on to the game's login program.
//   VeyraOnline [--folder DIR] [--home-url URL] [--account-url URL] [--] [PARAM1 [PARAM2 [PARAM3]]]
#include <unistd.h>
#include <QCoreApplication>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "platform/error.h"
#include "platform/locale.h"
#include "platform/paths.h"
#include "startup/launcher_options.h"
#include "text/language.h"
#include "ui/qt/agreement/fm_web.h"
#include "ui/qt/agreement/link_to_office.h"
#include "ui/qt/launcher/main_form.h"
#include "ui/qt/launcher/veyra_application.h"
#include "ui/qt/qt_pump.h"
#include "ui/qt/settings/tset_screen_fm.h"
#include "ui/qt/updater/tform1.h"
#include "ui/qt/widgets/first_frame.h"

namespace {

// The service agreement window: created hidden at start-up, it lives until the main loop ends.
veyra::TLinkToOfficeFM* agreement_window = nullptr;

// The settings window: created hidden at start-up, owned by main, shown by the settings button.
QPointer<veyra::TSetScreenFM> settings_window;

// The windows the launcher's buttons open.
veyra::LauncherActions ProgramActions(const veyra::LauncherOptions& options) {
  veyra::LauncherActions actions;
  actions.create_updater_window = [parameters = options.game_parameters](QWidget* parent) {
    return std::make_unique<veyra::TForm1>(parameters, parent);
  };
  actions.show_agreement_window = [] {
    if (agreement_window == nullptr) return;
    agreement_window->show();
    agreement_window->raise();
    agreement_window->activateWindow();
  };
  actions.show_settings_window = [] {
    if (settings_window) veyra::ShowSettingsWindow(*settings_window);
  };
  const QUrl home_page = QUrl(
      QString::fromStdString(options.home_url.value_or(veyra::agreement::kDefaultHomePageUrl)));
  actions.show_home_page_window = [home_page] { veyra::ShowFmWeb(home_page); };
  return actions;
}

// The service agreement window, hidden, whose page starts loading at once.
void CreateHiddenWindows(const veyra::LauncherOptions& options) {
  const QUrl account_site = QUrl(QString::fromStdString(
      options.account_url.value_or(veyra::agreement::kDefaultAccountSiteUrl)));
  agreement_window = new veyra::TLinkToOfficeFM(options.program_folder, account_site);
  QObject::connect(qApp, &QCoreApplication::aboutToQuit, [] {
    delete agreement_window;
    agreement_window = nullptr;
  });
}

// A measuring hook for bench/run_window_bench.sh --startup-only: with
// VEYRA_BENCH_NO_AGREEMENT_WINDOW=1 in the environment, start-up skips the hidden service agreement
// window (and so its web page processes), so that the bench can compare the first frame and the
// memory with and without it. Unset, it is one getenv at start-up; the web button then does
// nothing while the window is missing.
bool AgreementWindowSkipped() {
  const char* value = std::getenv("VEYRA_BENCH_NO_AGREEMENT_WINDOW");
  return value != nullptr && *value != '\0' && std::strcmp(value, "0") != 0;
}

// A measuring hook for bench/run_window_bench.sh: with VEYRA_REPORT_FIRST_FRAME=1 in the
// environment, start-up prints on stderr how long after the process started the launcher's first
// frame was drawn and the hidden agreement window was created. Without the variable nothing is
// installed.
bool FirstFrameRequested() {
  const char* value = std::getenv("VEYRA_REPORT_FIRST_FRAME");
  return value != nullptr && *value != '\0' && std::strcmp(value, "0") != 0;
}

// Milliseconds since the kernel started this process (field 22 of /proc/self/stat, in clock
// ticks since boot, so the figure is up to one tick too large); negative when unreadable.
double MsSinceProcessStart() {
  std::ifstream file("/proc/self/stat");
  const std::string stat((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  // The fields after the command name, which is in parentheses and may hold spaces.
  const size_t after_name = stat.rfind(')');
  if (after_name == std::string::npos) return -1;
  const char* field = stat.c_str() + after_name + 1;
  for (int number = 3; number < 22; ++number) {  // field 3 (state) ... field 21
    field = std::strchr(field + 1, ' ');
    if (field == nullptr) return -1;
  }
  const double start_ticks = std::strtod(field + 1, nullptr);
  timespec now{};
  if (clock_gettime(CLOCK_BOOTTIME, &now) != 0) return -1;
  const double now_ms =
      static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
  return now_ms - start_ticks * 1e3 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Prints how long after the process started (and after main began) something happened.
void PrintStartupTime(const char* what, std::chrono::steady_clock::time_point main_started) {
  const std::chrono::duration<double, std::milli> since_main =
      std::chrono::steady_clock::now() - main_started;
  std::fprintf(stderr,
               "VeyraOnline: %s %.1f ms after the process started (%.1f ms after main began)\n",
               what, MsSinceProcessStart(), since_main.count());
  std::fflush(stderr);
}

}  // namespace

int main(int argc, char** argv) {
  const auto main_started = std::chrono::steady_clock::now();
  // Module start-up: the locale is read once, for the process's whole life; the Big5-to-GB
  // table is built into the program.
  veyra::SystemLcid();
  const veyra::LauncherLanguage language{veyra::IsTraditionalLocale(), veyra::GetLanguageCode()};

  // Qt sees the program's name only: its own options (-platform, -style, -reverse, ...) would
  // otherwise take the game's parameters out of the command line.
  int qt_argc = 1;
  char* qt_argv[] = {argv[0], nullptr};
  veyra::VeyraApplication app(qt_argc, qt_argv);

  veyra::LauncherOptions options;
  try {
    options = veyra::ParseLauncherOptions(std::vector<std::string>(argv + 1, argv + argc),
                                          veyra::ExecutableFolder());
  } catch (const veyra::Error& error) {
    std::fprintf(stderr, "VeyraOnline: %s\n", error.what());
    return 1;
  }
  veyra::SetProgramFolder(options.program_folder);
  // The launcher and the settings window name their files relative to the current folder.
  std::error_code failed;
  std::filesystem::current_path(options.program_folder, failed);
  if (failed) {
    std::fprintf(stderr, "VeyraOnline: cannot enter %s: %s\n", options.program_folder.c_str(),
                 failed.message().c_str());
    return 1;
  }
  veyra::InstallQtMessagePump();

  // Created first, the launcher is the main window: the program ends when it closes.
  veyra::TMainFM launcher(ProgramActions(options), language);
  // The settings window, hidden; its creation writes a missing "sinfo.txt" before the launcher
  // shows, so the game never starts without it.
  const auto settings = std::make_unique<veyra::TSetScreenFM>(language.traditional_locale);
  settings_window = settings.get();

  // The agreement window's web view starts the browser engine's processes, which took about half a
  // second: it is created, hidden, right after the launcher's first frame instead of before it.
  const bool report_times = FirstFrameRequested();
  const bool create_agreement_window = !AgreementWindowSkipped();
  if (report_times || create_agreement_window) {
    veyra::RunAfterFirstFrame(launcher, [=] {
      if (report_times) PrintStartupTime("first frame", main_started);
      if (!create_agreement_window) return;
      CreateHiddenWindows(options);
      if (report_times && agreement_window->isHidden()) {
        PrintStartupTime("service agreement window created hidden", main_started);
      }
    });
  }
  launcher.show();
  return app.exec();
}
