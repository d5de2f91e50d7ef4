// veyra-artwork: draws the launcher's artwork.
//   veyra-artwork --out GAME_DIR      the pictures of the game folder (Upimg\...)
//   veyra-artwork --builtin DIR       the forms' built-in pictures and their .qrc
//   veyra-artwork --preview DIR       every picture as PNG, for looking at it
//   veyra-artwork --list              the table of pictures
// Options may be combined. Runs without a display (Qt's offscreen platform).

#include <QGuiApplication>
#include <cstdio>
#include <exception>
#include <string>

#include "tools/artwork/artwork_files.h"
#include "tools/artwork/artwork_writer.h"

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

int Usage() {
  std::fprintf(stderr,
               "usage: veyra-artwork [--out GAME_DIR] [--builtin DIR] [--preview DIR] [--list]\n");
  return kUsage;
}

void PrintTable() {
  using veyra::artwork::FileFormat;
  for (const veyra::artwork::Picture& picture : veyra::artwork::Pictures()) {
    const std::string name = veyra::artwork::GameName(picture);
    std::printf("%-24s %4d x %-4d %-4s %s\n", name.empty() ? "(form only)" : name.c_str(),
                picture.width, picture.height, picture.format == FileFormat::kBmp ? "BMP" : "JPEG",
                std::string(picture.builtin).c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::string game_folder;
  std::string builtin_folder;
  std::string preview_folder;
  bool list = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--out" && i + 1 < argc) {
      game_folder = argv[++i];
    } else if (arg == "--builtin" && i + 1 < argc) {
      builtin_folder = argv[++i];
    } else if (arg == "--preview" && i + 1 < argc) {
      preview_folder = argv[++i];
    } else if (arg == "--list") {
      list = true;
    } else if (arg == "-platform" && i + 1 < argc) {
      ++i;  // Qt's own option, read by QGuiApplication
    } else {
      return Usage();
    }
  }
  if (game_folder.empty() && builtin_folder.empty() && preview_folder.empty() && !list)
    return Usage();

  veyra::artwork::PreferOffscreenPlatform();
  QGuiApplication app(argc, argv);
  try {
    if (list) PrintTable();
    size_t count = 0;
    if (!game_folder.empty()) count += veyra::artwork::WriteGameArtwork(game_folder).size();
    if (!builtin_folder.empty())
      count += veyra::artwork::WriteBuiltinArtwork(builtin_folder).size();
    if (!preview_folder.empty()) count += veyra::artwork::WritePreviews(preview_folder).size();
    if (count > 0) std::printf("veyra-artwork: %zu files written\n", count);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "veyra-artwork: %s\n", error.what());
    return kFailed;
  }
  return kOk;
}
