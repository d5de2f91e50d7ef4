#pragma once

#include <string>
#include <string_view>

namespace veyra {

// What a picture button of the updater family does, for the name that assistive tools read out
// (the pictures carry their words only as artwork).
enum class PictureAction {
  kStartUpdate,
  kStartGame,
  kTroubleshoot,
  kExit,
  kForceUpdate,
  kCancel,
  kConfirmLine,
};

// The action's name as a byte text in the display language: Big5 for "t", converted to GB for
// "s", English otherwise, like the updater's messages.
std::string PictureActionName(PictureAction action, std::string_view language_code);

}  // namespace veyra
