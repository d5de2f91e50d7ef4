#include "platform/paths.h"

#include <algorithm>
#include <system_error>
#include <vector>

#include "platform/folder_names.h"
#include "platform/system_paths.h"
#include "platform/text_codec.h"

namespace veyra {
namespace {

std::string WithTrailingSeparator(std::string folder) {
  if (folder.empty() || (folder.back() != '/' && folder.back() != kFolderSeparator)) {
    folder.push_back(kFolderSeparator);
  }
  return folder;
}

std::string& FileNameLanguage() {
  static std::string language;
  return language;
}

std::string& ProgramFolderStorage() {
  static std::string folder = ExecutableFolder();
  return folder;
}

}  // namespace

std::string ExecutableFolder() {
  const std::filesystem::path executable = ExecutablePath();
  if (executable.empty())
    return WithTrailingSeparator(Utf8FromPath(std::filesystem::current_path()));
  return WithTrailingSeparator(Utf8FromPath(executable.parent_path()));
}

std::filesystem::path PathFromUtf8(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

const std::string& ProgramFolder() {
  return ProgramFolderStorage();
}

void SetProgramFolder(std::string folder) {
  ProgramFolderStorage() = WithTrailingSeparator(std::move(folder));
}

void SetFileNameLanguage(std::string language_code) {
  FileNameLanguage() = std::move(language_code);
}

std::string DecodeFileName(std::string_view name) {
  const bool plain = std::all_of(name.begin(), name.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (plain || FileNameLanguage().empty()) return std::string(name);
  return DecodeForDisplay(FileNameLanguage(), name);
}

std::filesystem::path MapPath(std::string_view name) {
  const std::string& program_folder = ProgramFolder();
  const bool below_program_folder = program_folder.size() > 1 &&
                                    name.size() > program_folder.size() &&
                                    name.starts_with(program_folder);
  std::string text = below_program_folder
                         ? program_folder + DecodeFileName(name.substr(program_folder.size()))
                         : std::string(name);
  std::replace(text.begin(), text.end(), '\\', '/');

  std::filesystem::path result;
  size_t pos = 0;
  if (below_program_folder) {
    // The program folder is a real path already; only the names below it need resolving.
    result = PathFromUtf8(std::string_view(text).substr(0, program_folder.size() - 1));
    pos = program_folder.size();
  } else if (const size_t root = PathRootLength(text); root > 0) {
    result = PathFromUtf8(std::string_view(text).substr(0, root));
    pos = root;
  }
  // "." and ".." are taken by their text, as the game's own file system takes them: "a\..\b"
  // names b whether or not a exists, and gives every folder a single spelling of its path.
  size_t depth = 0;     // components added below the starting point
  size_t resolved = 0;  // how many of them exist (matched ignoring case)
  while (pos <= text.size()) {
    size_t slash = text.find('/', pos);
    if (slash == std::string::npos) slash = text.size();
    std::string component = text.substr(pos, slash - pos);
    pos = slash + 1;
    if (component.empty()) {
      if (slash == text.size() && !result.empty()) result /= "";  // keep a trailing separator
      continue;
    }
    if (component == ".") continue;
    if (component == "..") {
      if (depth == 0) {
        result /= "..";  // above the starting point: left to the file system
      } else {
        result = result.parent_path();
        resolved = std::min(resolved, --depth);
      }
      continue;
    }
    if (resolved == depth) {
      std::error_code ec;
      const std::filesystem::path folder = result.empty() ? "." : result;
      if (std::filesystem::exists(folder / PathFromUtf8(component), ec)) {
        ++resolved;
      } else if (std::string found = FindEntryIgnoringCase(folder, component); !found.empty()) {
        component = std::move(found);
        ++resolved;
      }
    }
    result /= PathFromUtf8(component);
    ++depth;
  }
  return result;
}

bool IsConfinedName(std::string_view raw_name) {
  const std::string decoded = DecodeFileName(raw_name);
  const std::string_view name = decoded;
  if (name.empty()) return false;
  if (name.find('\0') != std::string_view::npos) return false;
  if (name[0] == '\\' || name[0] == '/') return false;   // absolute or UNC
  if (name.size() >= 2 && name[1] == ':') return false;  // drive letter
  int depth = 0;
  size_t pos = 0;
  while (pos <= name.size()) {
    size_t end = name.find_first_of("\\/", pos);
    if (end == std::string_view::npos) end = name.size();
    std::string_view component = name.substr(pos, end - pos);
    if (component == "..") {
      if (--depth < 0) return false;
    } else if (!component.empty() && component != ".") {
      ++depth;
    }
    pos = end + 1;
  }
  return depth > 0;
}

}  // namespace veyra
