#pragma once

#include <QImage>
#include <QString>
#include <optional>
#include <string>

namespace veyra {

// Pictures from the game folder as the windows show them. A file that is missing, locked,
// truncated or hostile gives std::nullopt (with a short English reason in `why` when it is not
// null): the window treats it exactly like a missing picture. Nothing here crashes on a damaged
// file or allocates from a size the file merely claims.

// A BMP through the game's own reader (8-bit palette or 24-bit, names resolved as the game
// writes them). A readable file outside that subset is an empty picture (a null QImage), which
// the launcher shows as an empty background and goes on.
std::optional<QImage> LoadBmpPicture(const std::string& path, std::string* why = nullptr);

// A bitmap through Qt's ordinary reader, for the pictures the launcher loads with the system's
// own bitmap loader (its button strip). Its size is checked before it is decoded.
std::optional<QImage> LoadPlatformBitmap(const std::string& path, std::string* why = nullptr);

// A JPEG through the game's own reader.
std::optional<QImage> LoadJpegPicture(const std::string& path, std::string* why = nullptr);

// The largest side of any picture the windows accept.
inline constexpr int kMaxPictureSide = 16384;

}  // namespace veyra
