// VeyraOnline: the launcher. Run from the game folder (or with --folder DIR); up to three further
// parameters are handed on to the game's login program.
//   VeyraOnline [--folder DIR] [--home-url URL] [--account-url URL] [--] [PARAM1 [PARAM2 [PARAM3]]]
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "launcher/main_form.h"
#include "launcher/veyra_application.h"
#include "platform/error.h"
#include "platform/locale.h"
#include "platform/paths.h"
#include "startup/launcher_options.h"
#include "text/language.h"
#include "ui/qt_pump.h"
#include "ui/updater/tform1.h"

namespace {

// The windows the launcher's buttons open. The agreement, home page and settings windows do not
// exist yet, so the web and settings buttons give only their pressed feedback.
veyra::LauncherActions ProgramActions(const veyra::LauncherOptions& options) {
  veyra::LauncherActions actions;
  actions.create_updater_window = [parameters = options.game_parameters](QWidget* parent) {
    return std::make_unique<veyra::TForm1>(parameters, parent);
  };
  return actions;
}

// Start-up's windows after the launcher, both hidden: the service agreement window, then the
// settings window. Neither exists in the program yet, so nothing is created.
void CreateHiddenWindows(const veyra::LauncherOptions&) {}

}  // namespace

int main(int argc, char** argv) {
  // Module start-up: the locale is read once, for the process's whole life; the Big5-to-GB
  // table is built into the program.
  veyra::SystemLcid();
  const veyra::LauncherLanguage language{veyra::IsTraditionalLocale(), veyra::GetLanguageCode()};

  veyra::VeyraApplication app(argc, argv);

  // Qt has taken its own options out of argv by now.
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
  CreateHiddenWindows(options);

  launcher.show();
  return app.exec();
}
