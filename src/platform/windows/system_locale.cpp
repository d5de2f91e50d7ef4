#include <windows.h>

#include "platform/locale.h"

namespace veyra {

// The user's default locale without its sort order: what decides the display language.
uint32_t SystemLcid() {
  static const uint32_t lcid = LANGIDFROMLCID(GetUserDefaultLCID());
  return lcid;
}

}  // namespace veyra
