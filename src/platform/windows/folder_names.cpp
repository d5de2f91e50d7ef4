#include "platform/folder_names.h"

#include <windows.h>

#include "platform/windows/wide_text.h"

// Windows looks names up without regard to letter case by itself, in one call, so there is
// nothing to keep: the scope and the creation brackets do nothing, and a lookup asks the system
// for the entry's own spelling.
namespace veyra {

FolderNamesScope::FolderNamesScope() = default;
FolderNamesScope::~FolderNamesScope() = default;

std::string FindEntryIgnoringCase(const std::filesystem::path& folder, std::string_view name) {
  // Wildcards would make the lookup a search; no Windows name holds them.
  if (name.empty() || name.find_first_of("*?") != std::string_view::npos) return {};
  const std::filesystem::path wanted =
      (folder.empty() ? std::filesystem::path(L".") : folder) / WideFromUtf8(name);
  WIN32_FIND_DATAW found{};
  const HANDLE search = FindFirstFileW(wanted.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return {};
  FindClose(search);
  return Utf8FromWide(found.cFileName);
}

EntryCreation::EntryCreation(std::filesystem::path path) : path_(std::move(path)) {}

void EntryCreation::Confirm() const {}

}  // namespace veyra
