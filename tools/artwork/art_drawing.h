#pragma once

#include <QImage>

#include "tools/artwork/artwork_files.h"

namespace veyra::artwork {

// Draws `picture` at its size from the table. One routine per window family; DrawPicture picks
// the routine by the picture's art.
QImage DrawPicture(const Picture& picture);

QImage DrawLauncherArt(const Picture& picture);
QImage DrawUpdaterArt(const Picture& picture);
QImage DrawDialogArt(const Picture& picture);  // network line and update mode dialogs
QImage DrawSettingsArt(const Picture& picture);

}  // namespace veyra::artwork
