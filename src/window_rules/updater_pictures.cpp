#include "window_rules/updater_pictures.h"

#include <filesystem>
#include <system_error>

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

bool UpdaterPictureExists(std::string_view base, const std::string& language_code) {
  std::error_code ignored;
  return std::filesystem::is_regular_file(MapPath(UpdaterPicturePath(base, language_code)),
                                          ignored);
}

}  // namespace veyra
