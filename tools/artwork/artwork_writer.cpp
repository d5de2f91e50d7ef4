#include "tools/artwork/artwork_writer.h"

#include <QImageWriter>
#include <QtGlobal>
#include <fstream>
#include <stdexcept>
#include <string>

#include "platform/ascii_case.h"
#include "tools/artwork/art_drawing.h"
#include "tools/artwork/window_preview.h"

namespace veyra::artwork {
namespace {

std::filesystem::path MakeFolder(const std::filesystem::path& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) throw std::runtime_error("cannot create folder " + folder.string());
  return folder;
}

// The folder `name` below `game_folder`, matched without regard to letter case as the game's
// file system does, so that "Upimg" and "upimg" end up as one folder.
std::filesystem::path ArtFolder(const std::filesystem::path& game_folder, std::string_view name) {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(game_folder, error)) {
    if (entry.is_directory() && EqualsIgnoringAsciiCase(entry.path().filename().string(), name)) {
      return entry.path();
    }
  }
  return MakeFolder(game_folder / std::string(name));
}

}  // namespace

void PreferOffscreenPlatform() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
}

void SavePicture(const QImage& image, FileFormat format, const std::filesystem::path& path) {
  QImageWriter writer(QString::fromStdString(path.string()));
  bool written = false;
  if (format == FileFormat::kBmp) {
    // Qt writes 24-bit pixels for an image without alpha; the launcher's reader takes 8 or 24.
    writer.setFormat("bmp");
    written = writer.write(image.convertToFormat(QImage::Format_RGB888));
  } else {
    writer.setFormat("jpeg");
    writer.setQuality(kJpegQuality);
    written = writer.write(image.convertToFormat(QImage::Format_RGB32));
  }
  if (!written) {
    throw std::runtime_error("cannot write " + path.string() + ": " +
                             writer.errorString().toStdString());
  }
}

std::vector<std::filesystem::path> WriteGameArtwork(const std::filesystem::path& game_folder) {
  MakeFolder(game_folder);
  std::vector<std::filesystem::path> written;
  for (const Picture& picture : Pictures()) {
    if (picture.file.empty()) continue;
    const std::filesystem::path path =
        ArtFolder(game_folder, picture.folder) / std::string(picture.file);
    SavePicture(DrawPicture(picture), picture.format, path);
    written.push_back(path);
  }
  return written;
}

std::vector<std::filesystem::path> WriteBuiltinArtwork(const std::filesystem::path& folder) {
  MakeFolder(folder);
  std::vector<std::filesystem::path> written;
  std::string collection = "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n<qresource prefix=\"" +
                           std::string(kBuiltinPrefix) + "\">\n";
  for (const Picture& picture : Pictures()) {
    if (picture.builtin.empty()) continue;
    const std::filesystem::path path = folder / std::string(picture.builtin);
    MakeFolder(path.parent_path());
    SavePicture(DrawPicture(picture), picture.format, path);
    written.push_back(path);
    collection += "  <file>" + std::string(picture.builtin) + "</file>\n";
  }
  collection += "</qresource>\n</RCC>\n";

  const std::filesystem::path collection_path = folder / std::string(kBuiltinCollection);
  std::ofstream out(collection_path, std::ios::binary | std::ios::trunc);
  out << collection;
  out.close();
  if (!out) throw std::runtime_error("cannot write " + collection_path.string());
  written.push_back(collection_path);
  return written;
}

std::vector<std::filesystem::path> WritePreviews(const std::filesystem::path& folder) {
  MakeFolder(folder);
  std::vector<std::filesystem::path> written;
  for (const Picture& picture : Pictures()) {
    std::string name =
        picture.file.empty() ? std::string(picture.builtin) : std::string(picture.file);
    for (char& c : name) {
      if (c == '/') c = '_';
    }
    const std::filesystem::path path = folder / (name + ".png");
    if (!DrawPicture(picture).save(QString::fromStdString(path.string()), "png")) {
      throw std::runtime_error("cannot write " + path.string());
    }
    written.push_back(path);
  }
  for (Script script : {Script::kTraditional, Script::kSimplified}) {
    for (const std::filesystem::path& path : WriteWindowPreviews(folder, script)) {
      written.push_back(path);
    }
  }
  return written;
}

}  // namespace veyra::artwork
