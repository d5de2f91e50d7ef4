#pragma once

#include <QApplication>
#include <exception>
#include <functional>
#include <string>

#include "platform/exception_text.h"

namespace veyra {

// The program's application object. Every event goes through its notify, which catches every
// exception that a handler lets out, so that none ever crosses Qt's event loop: once the
// launcher has installed its handler (AppException) the exception is handed to it; before that
// the program reports it on standard error and terminates, as a program without a handler of
// its own would.
//
// It also gives the program its title "VeyraOnline" (the caption of plain message boxes),
// the Chinese typefaces the forms ask for, and the built-in pictures (":/builtin/..."). The
// program ends when asked to terminate (RequestTermination), not when a window closes.
class VeyraApplication : public QApplication {
 public:
  using ExceptionHandler = std::function<void(std::exception_ptr)>;

  VeyraApplication(int& argc, char** argv);

  // From now on exceptions that reach the event loop go to `handler`; an empty one uninstalls.
  static void SetExceptionHandler(ExceptionHandler handler);
  static bool HasExceptionHandler();

  bool notify(QObject* receiver, QEvent* event) override;
};

// Asks the application to terminate: every running event loop ends, the nested ones of modal
// windows and of waiting steps too, and the program's main loop with them; a modal window
// opened after this returns at once. Windows get no chance to refuse.
void RequestTermination();

}  // namespace veyra
