#pragma once

// The game settings window TSetScreenFM over "sinfo.txt" in the current folder.
namespace veyra::win32 {

// Start-up: creates the window hidden; its creation already reads "sinfo.txt", or writes the
// default one when it is missing. A failure ends the step quietly.
void CreateSettingsWindow();

// The launcher's settings button: shows the window (not modally), then reloads the file and lays
// the window out again (LoadSettings).
void ShowSettingsWindow();

}  // namespace veyra::win32
