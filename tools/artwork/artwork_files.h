#pragma once

#include <span>
#include <string>
#include <string_view>

namespace veyra::artwork {

// Which script a picture's texts are written in: the "c" artwork is Traditional Chinese (also
// shown to English players by the updater family), the "s" artwork Simplified Chinese.
enum class Script { kTraditional, kSimplified };

enum class FileFormat { kBmp, kJpeg };

// What a picture shows; each value has one drawing routine.
enum class Art {
  kLauncherBackground,  // launcher window body, with places for the four buttons
  kLauncherStrip,       // eight 120 x 55 frames: buttons 1..4, each released then pressed
  kUpdaterBackground,   // updater window body: list, page, status and gauge places
  kStartUpdate,         // updater buttons, 90 x 26 (start game 129 x 26) ...
  kStartGame,
  kTroubleshoot,
  kUpdaterExit,
  kModeBackground,  // update mode dialog: the forced-update explanation
  kForceUpdate,
  kModeCancel,
  kLineBackground,  // network line dialog, 400 x 400
  kLineConfirm,
  kSettingsBackground,  // settings window: choices with empty check boxes
  kCheckMark,           // the filled check box laid over a choice
  kSettingsOk,
  kSettingsCancel,
};

// One picture the windows need. A picture either is a file of the game folder (`folder` and
// `file` spelled as the window asks for them), or is built into a form (`builtin`), or both:
// the updater family's controls are built with their Traditional picture and then load the
// file; the network line dialog's pictures exist only in its form.
struct Picture {
  Art art;
  Script script;
  bool pressed;  // the pressed state of a button (the launcher strip holds both)
  int width;
  int height;
  FileFormat format;
  std::string_view folder;   // "Upimg" or "upimg"; empty when the picture is not a file
  std::string_view file;     // e.g. "Main_Img2C.Bmp"
  std::string_view builtin;  // resource file name, e.g. "TForm1/Image2.jpg"; empty when none
};

// Every picture, launcher first. This table is the one list of names, sizes and formats.
std::span<const Picture> Pictures();

// The name as the window looks the file up, e.g. "upimg\\0c.jpg"; empty for form-only pictures.
std::string GameName(const Picture& picture);

// The name of the Qt resource collection that lists the built-in pictures.
inline constexpr std::string_view kBuiltinCollection = "builtin_artwork.qrc";
// The resource prefix under which the built-in pictures are listed.
inline constexpr std::string_view kBuiltinPrefix = "/builtin";

}  // namespace veyra::artwork
