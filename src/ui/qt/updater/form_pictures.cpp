#include "ui/qt/updater/form_pictures.h"

#include <QApplication>

#include "platform/paths.h"
#include "ui/qt/widgets/picture_control.h"
#include "ui/qt/widgets/picture_files.h"
#include "window_rules/updater_pictures.h"

namespace veyra {

QImage FormBuiltinPicture(std::string_view name) {
  return QImage(QStringLiteral(":/builtin/") + QString::fromUtf8(name.data(), name.size()));
}

std::optional<QImage> LoadUpdaterPicture(std::string_view base, const std::string& language_code) {
  return LoadJpegPicture(UpdaterPicturePath(base, language_code));
}

bool ShowButtonPicture(PictureControl& control, const PictureButtonLayout& button,
                       std::string_view base, const std::string& language_code) {
  const bool exists = UpdaterPictureExists(base, language_code);
  if (PictureChangeFor(button, exists) == PictureChange::kKeep) return true;
  std::optional<QImage> picture = LoadUpdaterPicture(base, language_code);
  if (!picture) return false;
  control.SetPicture(*picture);
  return true;
}

QString ApplicationTitle() {
  const QString title = QApplication::applicationDisplayName();
  return title.isEmpty() ? QStringLiteral("VeyraOnline") : title;
}

}  // namespace veyra
