#include "window_rules/picture_button_names.h"

#include "text/language.h"

namespace veyra {

std::string PictureActionName(PictureAction action, std::string_view language_code) {
  switch (action) {
    case PictureAction::kStartUpdate:  // 開始更新
      return LocalizedText(language_code, "\xb6\x7d\xa9\x6c\xa7\xf3\xb7\x73", "Start update");
    case PictureAction::kStartGame:  // 開始遊戲
      return LocalizedText(language_code, "\xb6\x7d\xa9\x6c\xb9\x43\xc0\xb8", "Start game");
    case PictureAction::kTroubleshoot:  // 疑難排解
      return LocalizedText(language_code, "\xba\xc3\xc3\xf8\xb1\xc6\xb8\xd1", "Troubleshooting");
    case PictureAction::kExit:  // 結束離開
      return LocalizedText(language_code, "\xb5\xb2\xa7\xf4\xc2\xf7\xb6\x7d", "Exit");
    case PictureAction::kForceUpdate:  // 強制更新
      return LocalizedText(language_code, "\xb1\x6a\xa8\xee\xa7\xf3\xb7\x73", "Force update");
    case PictureAction::kCancel:  // 取消
      return LocalizedText(language_code, "\xa8\xfa\xae\xf8", "Cancel");
    case PictureAction::kConfirmLine:  // 確定
      return LocalizedText(language_code, "\xbd\x54\xa9\x77", "OK");
  }
  return {};
}

}  // namespace veyra
