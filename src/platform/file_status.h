#pragma once

#include <string>
#include <system_error>

namespace veyra {

// The outcome of a call into the system: the error number (errno value) of the step that failed,
// 0 when everything succeeded. Failures are reported by value so that callers decide whether and
// how to tell anyone; the text is the system's own.
struct FileStatus {
  int error = 0;

  bool ok() const { return error == 0; }

  // The system's text for the error ("No such file or directory"), empty when ok.
  std::string Describe() const {
    return ok() ? std::string() : std::generic_category().message(error);
  }
};

}  // namespace veyra
