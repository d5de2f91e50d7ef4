#pragma once

#include <windows.h>

#include <exception>

namespace veyra::win32 {

// The application's exception handler: drops the exception and notes one line in the support
// log (never shown to the player).
void AppException(std::exception_ptr error) noexcept;

// Runs the body of a window procedure so that no exception crosses into the system: one that
// the body lets out goes to AppException and the message is answered with `on_exception`.
template <typename Body>
LRESULT GuardedProcedure(Body&& body, LRESULT on_exception = 0) noexcept {
  try {
    return body();
  } catch (...) {
    AppException(std::current_exception());
    return on_exception;
  }
}

}  // namespace veyra::win32
