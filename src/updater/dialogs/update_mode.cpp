#include "updater/dialogs/update_mode.h"

#include <filesystem>
#include <system_error>

#include "platform/paths.h"

namespace veyra {

void ForceCompleteUpdate(bool& keep_state) {
  for (const char* name : {"update2.dat", "update3.dat"}) {
    std::error_code ignored;
    const std::filesystem::path path = MapPath(ProgramFolder() + name);
    if (std::filesystem::exists(path, ignored)) std::filesystem::remove(path, ignored);
  }
  keep_state = false;
}

}  // namespace veyra
