#include "settings/settings_window.h"

#include "platform/text_codec.h"
#include "settings/settings_layout.h"

namespace veyra::settings {

void Image1MouseDown(SettingsWindowPort& window, GameSettings& settings, int x, int y) {
  const BackgroundPress press = Image1MouseDown(settings, window.MarkPlaces(), x, y);
  settings = press.settings;
  window.ShowMarks(MarksOf(settings));
  if (press.closed_choice) ShowClosedChoiceMessage(window);
}

void Image4MouseDown(SettingsWindowPort& window, const GameSettings& settings,
                     bool traditional_locale) {
  SaveSettingsFile(settings, traditional_locale);
  window.HideWindow();
}

void Image5MouseDown(SettingsWindowPort& window) {
  window.HideWindow();
}

void Image6Click(GameSettings& settings) {
  settings.memory = MemoryMode::kFullMemory;
}

void ShowClosedChoiceMessage(SettingsWindowPort& window) {
  // Held in Big5 and shown as such in every display language.
  window.Inform(DecodeForDisplay("t", kClosedChoiceMessage));
}

}  // namespace veyra::settings
