#include "window_rules/updater_pictures.h"

#include "platform/paths.h"
#include "text/language.h"

namespace veyra {

std::string UpdaterPicturePath(std::string_view base, const std::string& language_code) {
  std::string path = ProgramFolder() + "upimg\\";
  path += base;
  path += ArtSuffix(language_code);
  path += ".jpg";
  return path;
}

}  // namespace veyra
