#include "ui/win32/base/app_exception.h"

#include <string>

#include "platform/exception_text.h"
#include "platform/support_log.h"

namespace veyra::win32 {

void AppException(std::exception_ptr error) noexcept {
  try {
    WriteSupportLog("dropped exception: " + ExceptionText(error));
  } catch (...) {
    // Building the line ran out of memory: the exception is dropped all the same.
  }
}

}  // namespace veyra::win32
