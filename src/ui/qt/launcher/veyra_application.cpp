#include "ui/qt/launcher/veyra_application.h"

#include <cstdio>
#include <cstdlib>

#include "ui/qt/builtin_artwork.h"
#include "ui/qt/fonts.h"
#include "window_rules/launcher_layout.h"

namespace veyra {
namespace {

VeyraApplication::ExceptionHandler& InstalledHandler() {
  static VeyraApplication::ExceptionHandler handler;
  return handler;
}

}  // namespace

VeyraApplication::VeyraApplication(int& argc, char** argv) : QApplication(argc, argv) {
  // The name alone, not a display name: the platform shows it as the caption of a window
  // without one (plain message boxes) but would append a display name to every other caption.
  setApplicationName(QString::fromUtf8(launcher::kApplicationTitle));
  // The launcher's closing ends the program although other windows may still be open, and the
  // updater window's closing ends it although the launcher is; both ask for it themselves.
  setQuitOnLastWindowClosed(false);
  InstallFontSubstitutes();
  LoadBuiltinArtwork();
}

void VeyraApplication::SetExceptionHandler(ExceptionHandler handler) {
  InstalledHandler() = std::move(handler);
}

bool VeyraApplication::HasExceptionHandler() {
  return static_cast<bool>(InstalledHandler());
}

bool VeyraApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    const std::exception_ptr error = std::current_exception();
    // A copy, so that a handler may uninstall itself while it runs.
    if (ExceptionHandler handler = InstalledHandler()) {
      try {
        handler(error);
      } catch (...) {
        std::fprintf(stderr, "%s: exception in the exception handler: %s\n",
                     launcher::kApplicationTitle, ExceptionText(std::current_exception()).c_str());
      }
      return false;
    }
    std::fprintf(stderr, "%s: unhandled exception: %s\n", launcher::kApplicationTitle,
                 ExceptionText(error).c_str());
    std::fflush(stderr);
    std::abort();
  }
}

void RequestTermination() {
  // exit(), not quit(): quit() first asks every window to close and is ignored while no main
  // loop runs; termination is not the windows' choice. exit() ends every running loop of the
  // thread and keeps new ones from starting until the main loop has returned.
  QCoreApplication::exit(0);
}

}  // namespace veyra
