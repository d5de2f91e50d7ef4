#include "tools/artwork/window_preview.h"

#include <QImage>
#include <QPainter>
#include <stdexcept>
#include <string>

#include "tools/artwork/art_drawing.h"

namespace veyra::artwork {
namespace {

struct Part {
  Art art;
  bool pressed;
  QPoint place;
  int strip_frame = -1;  // the launcher's strip: which 120 x 55 frame
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
       {{Art::kLauncherStrip, false, {72, 346}, 1},
        {Art::kLauncherStrip, false, {197, 346}, 2},
        {Art::kLauncherStrip, false, {322, 346}, 4},
        {Art::kLauncherStrip, false, {449, 346}, 6}}},
      {"updater",
       Art::kUpdaterBackground,
       0,
       {{Art::kStartUpdate, false, {117, 528}},
        {Art::kTroubleshoot, true, {265, 528}},
        {Art::kUpdaterExit, false, {412, 528}}}},
      {"updater_done",
       Art::kUpdaterBackground,
       0,
       {{Art::kStartGame, false, {80, 528}},
        {Art::kTroubleshoot, false, {265, 528}},
        {Art::kUpdaterExit, true, {412, 528}}}},
      {"mode",
       Art::kModeBackground,
       15,
       {{Art::kForceUpdate, true, {30, 92}}, {Art::kModeCancel, false, {147, 92}}}},
      {"line", Art::kLineBackground, 0, {{Art::kLineConfirm, false, {144, 352}}}},
      {"settings",
       Art::kSettingsBackground,
       0,
       {{Art::kCheckMark, false, {53, 34}},
        {Art::kCheckMark, false, {53, 150}},
        {Art::kSettingsOk, false, {40, 302}},
        {Art::kSettingsCancel, false, {180, 302}}}},
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
        picture = Transparent(picture.copy(part.strip_frame * 120, 0, 120, 55));
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
