#pragma once

#include <exception>
#include <string>

namespace veyra {

// The text of an exception for a one-line report: its what() or "unknown exception".
std::string ExceptionText(std::exception_ptr error);

}  // namespace veyra
