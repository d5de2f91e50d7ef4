#pragma once

#include <QImage>
#include <filesystem>
#include <vector>

#include "tools/artwork/artwork_files.h"

namespace veyra::artwork {

// JPEG quality of the written pictures: small files, text still clean.
inline constexpr int kJpegQuality = 85;

// Asks for Qt's "offscreen" platform unless the environment names one, so that the drawing runs
// without a display. Call before the QGuiApplication is created.
void PreferOffscreenPlatform();

// Draws every picture that is a file of the game folder into `game_folder`, each file named as
// its window spells it. The windows ask for "Upimg\..." and "upimg\...", which the game's file
// system takes for one folder: an existing folder of that name in any letter case is used,
// otherwise it is created as first spelled. BMPs are written uncompressed with 24 bits per
// pixel, JPEGs at kJpegQuality.
// Needs a QGuiApplication. Result: the files written. Errors: std::runtime_error naming the file
// that could not be written.
std::vector<std::filesystem::path> WriteGameArtwork(const std::filesystem::path& game_folder);

// Draws every picture that a form is built with into `folder` under its built-in name (the
// Traditional artwork), and writes the resource collection kBuiltinCollection beside them that
// lists them under kBuiltinPrefix, ready for Qt's resource compiler.
// Needs a QGuiApplication. Result: the files written, the collection last. Errors: as above.
std::vector<std::filesystem::path> WriteBuiltinArtwork(const std::filesystem::path& folder);

// Draws every picture, the form-only ones too, as PNG into `folder` for looking at them: named
// after the game file ("Main_Img2C.Bmp.png") or the built-in name ("TForm2_Image0c.jpg.png").
// Needs a QGuiApplication. Result: the files written. Errors: as above.
std::vector<std::filesystem::path> WritePreviews(const std::filesystem::path& folder);

// Writes `image` in `format` to `path` (24-bit BMP or JPEG). Errors: as above.
void SavePicture(const QImage& image, FileFormat format, const std::filesystem::path& path);

}  // namespace veyra::artwork
