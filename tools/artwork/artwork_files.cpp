#include "tools/artwork/artwork_files.h"

namespace veyra::artwork {
namespace {

constexpr Script kC = Script::kTraditional;
constexpr Script kS = Script::kSimplified;
constexpr FileFormat kBmp = FileFormat::kBmp;
constexpr FileFormat kJpeg = FileFormat::kJpeg;

// Sizes: where a window places a picture at a fixed size (the launcher's 120 x 55 frames, the
// updater's stretched buttons, the line dialog's 400 x 400 background) the picture has exactly
// that size; elsewhere the size is ours, chosen so that the places the windows set for their
// other controls fall inside the picture with even margins.
constexpr Picture kTable[] = {
    // Launcher: LoadBmpFile reads the background, the platform's loader the strip.
    {Art::kLauncherBackground, kC, false, 640, 480, kBmp, "Upimg", "Main_Img1c.bmp", ""},
    {Art::kLauncherBackground, kS, false, 640, 480, kBmp, "Upimg", "Main_Img1s.bmp", ""},
    {Art::kLauncherStrip, kC, false, 960, 55, kBmp, "Upimg", "Main_Img2C.Bmp", ""},
    {Art::kLauncherStrip, kS, false, 960, 55, kBmp, "Upimg", "Main_Img2S.bmp", ""},

    // Updater window (TForm1).
    {Art::kUpdaterBackground, kC, false, 620, 570, kJpeg, "upimg", "0c.jpg", "TForm1/Image1.jpg"},
    {Art::kUpdaterBackground, kS, false, 620, 570, kJpeg, "upimg", "0s.jpg", ""},
    {Art::kStartUpdate, kC, false, 90, 26, kJpeg, "upimg", "1-1c.jpg", "TForm1/Image2.jpg"},
    {Art::kStartUpdate, kS, false, 90, 26, kJpeg, "upimg", "1-1s.jpg", ""},
    {Art::kStartUpdate, kC, true, 90, 26, kJpeg, "upimg", "1-2c.jpg", ""},
    {Art::kStartUpdate, kS, true, 90, 26, kJpeg, "upimg", "1-2s.jpg", ""},
    {Art::kStartGame, kC, false, 129, 26, kJpeg, "upimg", "2-1c.jpg", "TForm1/Image3.jpg"},
    {Art::kStartGame, kS, false, 129, 26, kJpeg, "upimg", "2-1s.jpg", ""},
    {Art::kStartGame, kC, true, 129, 26, kJpeg, "upimg", "2-2c.jpg", ""},
    {Art::kStartGame, kS, true, 129, 26, kJpeg, "upimg", "2-2s.jpg", ""},
    {Art::kUpdaterExit, kC, false, 90, 26, kJpeg, "upimg", "3-1c.jpg", "TForm1/Image4.jpg"},
    {Art::kUpdaterExit, kS, false, 90, 26, kJpeg, "upimg", "3-1s.jpg", ""},
    {Art::kUpdaterExit, kC, true, 90, 26, kJpeg, "upimg", "3-2c.jpg", ""},
    {Art::kUpdaterExit, kS, true, 90, 26, kJpeg, "upimg", "3-2s.jpg", ""},
    {Art::kTroubleshoot, kC, false, 90, 26, kJpeg, "upimg", "5-1c.jpg", "TForm1/Image6.jpg"},
    {Art::kTroubleshoot, kS, false, 90, 26, kJpeg, "upimg", "5-1s.jpg", ""},
    {Art::kTroubleshoot, kC, true, 90, 26, kJpeg, "upimg", "5-2c.jpg", ""},
    {Art::kTroubleshoot, kS, true, 90, 26, kJpeg, "upimg", "5-2s.jpg", ""},

    // Update mode dialog (TForm3): the window is the background's width less 15 pixels.
    {Art::kModeBackground, kC, false, 292, 140, kJpeg, "upimg", "4c.jpg", "TForm3/Image1.jpg"},
    {Art::kModeBackground, kS, false, 292, 140, kJpeg, "upimg", "4s.jpg", ""},
    {Art::kForceUpdate, kC, false, 100, 30, kJpeg, "upimg", "6-1c.jpg", "TForm3/Image2.jpg"},
    {Art::kForceUpdate, kS, false, 100, 30, kJpeg, "upimg", "6-1s.jpg", ""},
    {Art::kForceUpdate, kC, true, 100, 30, kJpeg, "upimg", "6-2c.jpg", ""},
    {Art::kForceUpdate, kS, true, 100, 30, kJpeg, "upimg", "6-2s.jpg", ""},
    {Art::kModeCancel, kC, false, 100, 30, kJpeg, "upimg", "7-1c.jpg", "TForm3/Image3.jpg"},
    {Art::kModeCancel, kS, false, 100, 30, kJpeg, "upimg", "7-1s.jpg", ""},
    {Art::kModeCancel, kC, true, 100, 30, kJpeg, "upimg", "7-2c.jpg", ""},
    {Art::kModeCancel, kS, true, 100, 30, kJpeg, "upimg", "7-2s.jpg", ""},

    // Network line dialog (TForm2): both sets live in the form only. The Traditional pressed
    // picture is smaller than its button, so the button seems to sink when it shows.
    {Art::kLineBackground, kC, false, 400, 400, kJpeg, "", "", "TForm2/Image0c.jpg"},
    {Art::kLineBackground, kS, false, 400, 400, kJpeg, "", "", "TForm2/Image0s.jpg"},
    {Art::kLineConfirm, kC, false, 100, 29, kJpeg, "", "", "TForm2/Image1c.jpg"},
    {Art::kLineConfirm, kS, false, 100, 29, kJpeg, "", "", "TForm2/Image1s.jpg"},
    {Art::kLineConfirm, kC, true, 92, 27, kJpeg, "", "", "TForm2/Image2c.jpg"},
    {Art::kLineConfirm, kS, true, 100, 29, kJpeg, "", "", "TForm2/Image2s.jpg"},

    // Settings window (TSetScreenFM). The check mark and the two buttons have one picture for
    // every language; the window's own messages are Traditional in every language too.
    {Art::kSettingsBackground, kC, false, 300, 350, kBmp, "Upimg", "colorform.bmp", ""},
    {Art::kSettingsBackground, kS, false, 300, 350, kBmp, "Upimg", "colorforms.bmp", ""},
    {Art::kCheckMark, kC, false, 20, 20, kBmp, "Upimg", "chkbtndn.bmp", ""},
    {Art::kSettingsOk, kC, false, 80, 30, kJpeg, "Upimg", "CheckOK_1.jpg", ""},
    {Art::kSettingsCancel, kC, false, 80, 30, kJpeg, "Upimg", "CheckOK_2.jpg", ""},
};

}  // namespace

std::span<const Picture> Pictures() {
  return kTable;
}

std::string GameName(const Picture& picture) {
  if (picture.file.empty()) return {};
  return std::string(picture.folder) + "\\" + std::string(picture.file);
}

}  // namespace veyra::artwork
