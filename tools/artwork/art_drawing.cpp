#include "tools/artwork/art_drawing.h"

namespace veyra::artwork {

QImage DrawPicture(const Picture& picture) {
  switch (picture.art) {
    case Art::kLauncherBackground:
    case Art::kLauncherStrip:
      return DrawLauncherArt(picture);
    case Art::kUpdaterBackground:
    case Art::kStartUpdate:
    case Art::kStartGame:
    case Art::kTroubleshoot:
    case Art::kUpdaterExit:
      return DrawUpdaterArt(picture);
    case Art::kModeBackground:
    case Art::kForceUpdate:
    case Art::kModeCancel:
    case Art::kLineBackground:
    case Art::kLineConfirm:
      return DrawDialogArt(picture);
    case Art::kSettingsBackground:
    case Art::kCheckMark:
    case Art::kSettingsOk:
    case Art::kSettingsCancel:
      return DrawSettingsArt(picture);
  }
  return {};
}

}  // namespace veyra::artwork
