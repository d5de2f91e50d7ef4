#include "tools/artwork/window_preview.h"

#include <QImage>
#include <QPainter>
#include <stdexcept>
#include <string>

#include "settings/settings_layout.h"
#include "tools/artwork/art_drawing.h"
#include "tools/artwork/layout_geometry.h"
#include "window_rules/launcher_layout.h"
#include "window_rules/line_dialog_layout.h"
#include "window_rules/update_mode_layout.h"
#include "window_rules/updater_window_layout.h"

namespace veyra::artwork {
namespace {

struct Part {
  Art art;
  bool pressed;
  QPoint place;
  int strip_frame = -1;  // the launcher's strip: which frame
};

struct Scene {
  const char* name;
  Art background;
  int hidden_right;  // pixels of the background the window does not show
  std::vector<Part> parts;
};

// A picture of the table; pictures with one variant serve every script.
QImage Draw(Art art, Script script, bool pressed) {
  const Picture* fallback = nullptr;
  for (const Picture& picture : Pictures()) {
    if (picture.art != art || picture.pressed != pressed) continue;
    if (picture.script == script) return DrawPicture(picture);
    fallback = &picture;
  }
  return fallback ? DrawPicture(*fallback) : QImage();
}

// The launcher's button pictures are transparent: the colour of a frame's bottom-left pixel
// is left out.
QImage Transparent(QImage frame) {
  const QRgb key = frame.pixel(0, frame.height() - 1);
  frame = frame.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < frame.height(); ++y) {
    for (int x = 0; x < frame.width(); ++x) {
      if (frame.pixel(x, y) == key) frame.setPixel(x, y, qRgba(0, 0, 0, 0));
    }
  }
  return frame;
}

const std::vector<Scene>& Scenes() {
  static const std::vector<Scene> scenes = {
      {"launcher",
       Art::kLauncherBackground,
       0,
       {{Art::kLauncherStrip, false, ToQPoint(launcher::ButtonPos[0]), 1},
        {Art::kLauncherStrip, false, ToQPoint(launcher::ButtonPos[1]), 2},
        {Art::kLauncherStrip, false, ToQPoint(launcher::ButtonPos[2]), 4},
        {Art::kLauncherStrip, false, ToQPoint(launcher::ButtonPos[3]), 6}}},
      {"updater",
       Art::kUpdaterBackground,
       0,
       {{Art::kStartUpdate, false, ToQPoint(updater_window::kImage2.place.at)},
        {Art::kTroubleshoot, true, ToQPoint(updater_window::kImage6.place.at)},
        {Art::kUpdaterExit, false, ToQPoint(updater_window::kImage4.place.at)}}},
      {"updater_done",
       Art::kUpdaterBackground,
       0,
       {{Art::kStartGame, false, ToQPoint(updater_window::kImage3.place.at)},
        {Art::kTroubleshoot, false, ToQPoint(updater_window::kImage6.place.at)},
        {Art::kUpdaterExit, true, ToQPoint(updater_window::kImage4.place.at)}}},
      {"mode",
       Art::kModeBackground,
       15,
       {{Art::kForceUpdate, true, ToQPoint(update_mode_dialog::kImage2.place.at)},
        {Art::kModeCancel, false, ToQPoint(update_mode_dialog::kImage3.place.at)}}},
      {"line",
       Art::kLineBackground,
       0,
       {{Art::kLineConfirm, false, ToQPoint(line_dialog::kTraditionalSet.confirm.at)}}},
      {"settings",
       Art::kSettingsBackground,
       0,
       {{Art::kCheckMark, false, ToQPoint(settings::kImage2At)},
        {Art::kCheckMark, false, ToQPoint(settings::kImage6At)},
        {Art::kSettingsOk, false, ToQPoint(settings::kImage4At)},
        {Art::kSettingsCancel, false, ToQPoint(settings::kImage5At)}}},
  };
  return scenes;
}

}  // namespace

std::vector<std::filesystem::path> WriteWindowPreviews(const std::filesystem::path& folder,
                                                       Script script) {
  std::vector<std::filesystem::path> written;
  for (const Scene& scene : Scenes()) {
    QImage window = Draw(scene.background, script, false);
    window = window.copy(0, 0, window.width() - scene.hidden_right, window.height());
    QPainter painter(&window);
    for (const Part& part : scene.parts) {
      QImage picture = Draw(part.art, script, part.pressed);
      if (part.strip_frame >= 0)
        picture = Transparent(
            picture.copy(QRect(QPoint(part.strip_frame * launcher::kButtonPictureSize.width, 0),
                               ToQSize(launcher::kButtonPictureSize))));
      painter.drawImage(part.place, picture);
    }
    painter.end();
    const std::filesystem::path path =
        folder / (std::string("window_") + scene.name +
                  (script == Script::kTraditional ? "_c.png" : "_s.png"));
    if (!window.save(QString::fromStdString(path.string()), "png")) {
      throw std::runtime_error("cannot write " + path.string());
    }
    written.push_back(path);
  }
  return written;
}

}  // namespace veyra::artwork
