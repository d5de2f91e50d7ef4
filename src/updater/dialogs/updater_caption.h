#pragma once

#include <string_view>

namespace veyra {

// The caption of the updater window and of both its dialogs, untranslated in every language.
inline constexpr std::string_view kUpdaterCaption = "VeyraOnline Update";

}  // namespace veyra
