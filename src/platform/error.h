#pragma once

#include <stdexcept>
#include <string>

namespace veyra {

// The one exception type of the core. Its message is the English text the player or the
// caller sees ("data error", "error zip format", ...), never translated.
class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace veyra
