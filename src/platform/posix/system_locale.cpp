#include <cstdlib>

#include "platform/locale.h"

namespace veyra {

uint32_t SystemLcid() {
  static const uint32_t lcid = [] {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
      const char* value = std::getenv(variable);
      if (value != nullptr && *value != '\0') return LcidFromLocaleName(value);
    }
    return uint32_t{0};
  }();
  return lcid;
}

}  // namespace veyra
