// VeyraOnline.exe: the launcher on Windows. Run from the game folder (or with --folder DIR); up
// to three further parameters are handed on to the game's login program.
//   VeyraOnline [--folder DIR] [--home-url URL] [--account-url URL] [--] [PARAM1 [PARAM2 [PARAM3]]]
// The socket headers first (the engine's HTTP client needs them); they include windows.h.
#include <winsock2.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/error.h"
#include "platform/locale.h"
#include "platform/paths.h"
#include "platform/support_log.h"
#include "platform/windows/wide_text.h"
#include "startup/launcher_options.h"
#include "text/language.h"
#include "ui/win32/agreement/agreement_windows.h"
#include "ui/win32/base/message_loop.h"
#include "ui/win32/launcher/tmain_fm.h"
#include "ui/win32/settings/settings_window.h"
#include "ui/win32/updater/tform1.h"
#include "window_rules/agreement_rules.h"

namespace {

// A measuring hook for bench/run_wine_window_bench.sh: with VEYRA_REPORT_FIRST_FRAME=FILE in the
// environment, the milliseconds from the process's creation to the launcher's first frame are
// written to FILE. Without the variable nothing happens.
void ReportFirstFrame() {
  const char* file = std::getenv("VEYRA_REPORT_FIRST_FRAME");
  if (file == nullptr || *file == '\0') return;
  FILETIME created, exited, kernel, user, now;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return;
  GetSystemTimeAsFileTime(&now);
  auto ticks = [](const FILETIME& t) {
    return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  if (FILE* out = std::fopen(file, "w")) {
    std::fprintf(out, "%.1f\n", static_cast<double>(ticks(now) - ticks(created)) / 1e4);
    std::fclose(out);
  }
}

veyra::win32::LauncherActions ProgramActions(const veyra::LauncherOptions& options,
                                             const std::string& language_code) {
  veyra::win32::LauncherActions actions;
  actions.create_updater_window = [parameters = options.game_parameters, language_code] {
    return std::make_unique<veyra::win32::TForm1>(parameters, language_code);
  };
  actions.show_agreement_window = &veyra::win32::ShowAgreementWindow;
  actions.show_home_page_window =
      [home_page = options.home_url.value_or(veyra::agreement::kDefaultHomePageUrl)] {
        veyra::win32::ShowHomePageWindow(home_page);
      };
  actions.show_settings_window = &veyra::win32::ShowSettingsWindow;
  return actions;
}

}  // namespace

int main(int argc, char** argv) {
  // Module start-up: the locale is read once, for the process's whole life; the Big5-to-GB
  // table is built into the program.
  veyra::SystemLcid();
  const bool traditional_locale = veyra::IsTraditionalLocale();
  const std::string language_code = veyra::GetLanguageCode();

  veyra::LauncherOptions options;
  try {
    options =
        veyra::ParseLauncherOptions(veyra::ProgramArguments(argc, argv), veyra::ExecutableFolder());
  } catch (const veyra::Error& error) {
    veyra::WriteSupportLog(std::string("VeyraOnline: ") + error.what());
    return 1;
  }
  veyra::SetProgramFolder(options.program_folder);
  // The launcher and the settings window name their files relative to the current folder.
  if (!SetCurrentDirectoryW(veyra::WideFromUtf8(options.program_folder).c_str())) {
    veyra::WriteSupportLog("VeyraOnline: cannot enter " + options.program_folder);
    return 1;
  }
  veyra::win32::InstallMessagePump();

  // Created first, the launcher is the main window: the program ends when it closes.
  veyra::win32::TMainFM launcher(ProgramActions(options, language_code), traditional_locale);
  // The agreement window, hidden, whose page starts loading at once; then the settings window,
  // hidden, whose creation writes a missing "sinfo.txt" before the launcher shows.
  veyra::win32::CreateAgreementWindow(
      options.account_url.value_or(veyra::agreement::kDefaultAccountSiteUrl));
  veyra::win32::CreateSettingsWindow();
  launcher.Show();
  ReportFirstFrame();
  return veyra::win32::RunMessageLoop();
}
