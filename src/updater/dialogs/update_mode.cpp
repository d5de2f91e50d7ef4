#include "updater/dialogs/update_mode.h"

#include <filesystem>
#include <system_error>

#include "platform/file_io.h"
#include "platform/paths.h"

namespace veyra {

void ForceCompleteUpdate(bool& keep_state) {
  for (const char* name : {"update2.dat", "update3.dat"}) {
    std::error_code ignored;
    const std::filesystem::path path = MapPath(ProgramFolder() + name);
    if (std::filesystem::exists(path, ignored)) RemoveFile(path);
  }
  keep_state = false;
}

}  // namespace veyra
