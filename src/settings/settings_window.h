#pragma once

#include <string>

#include "settings/settings_rules.h"

// The settings window's handlers, once for every window layer: each layer's window keeps the
// choices it shows (a GameSettings) and implements the port; the handlers decide.
namespace veyra::settings {

// What the settings window's handlers ask of a settings window.
class SettingsWindowPort {
 public:
  virtual ~SettingsWindowPort() = default;

  // The five marks' current bounds in the window's client pixels, visible or not.
  virtual MarkBounds MarkPlaces() const = 0;
  // Shows the marks `marks` names and hides the others.
  virtual void ShowMarks(const SettingsMarks& marks) = 0;
  // An information box with `text` (UTF-8).
  virtual void Inform(const std::string& text) = 0;
  virtual void HideWindow() = 0;
};

// A press on the background at (x, y): the choice there, the marks again, and the closed-choice
// message when the press asks for it.
void Image1MouseDown(SettingsWindowPort& window, GameSettings& settings, int x, int y);
// OK writes the file and then hides the window; a failed write throws and the window stays.
void Image4MouseDown(SettingsWindowPort& window, const GameSettings& settings,
                     bool traditional_locale);
// Cancel hides the window without writing.
void Image5MouseDown(SettingsWindowPort& window);
// The visible full-memory mark keeps its choice.
void Image6Click(GameSettings& settings);
// The visible half- and short-memory marks answer that the choice is closed.
void ShowClosedChoiceMessage(SettingsWindowPort& window);

}  // namespace veyra::settings
