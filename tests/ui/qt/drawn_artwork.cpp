#include "drawn_artwork.h"

#include <QCoreApplication>
#include <QProcess>
#include <stdexcept>
#include <string>
#include <system_error>

namespace veyra::testing {
namespace {

class DrawnFolder {
 public:
  DrawnFolder()
      : path_(std::filesystem::temp_directory_path() /
              ("veyra-test-art-" + std::to_string(QCoreApplication::applicationPid()))) {
    std::filesystem::remove_all(path_);
    QProcess tool;
    tool.start(QStringLiteral(VEYRA_ARTWORK_TOOL),
               {"--out", QString::fromStdString(path_.string())});
    if (!tool.waitForFinished(60000) || tool.exitCode() != 0) {
      throw std::runtime_error("veyra-artwork failed: " +
                               tool.readAllStandardError().toStdString());
    }
  }
  ~DrawnFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace

const std::filesystem::path& DrawnArtwork() {
  static const DrawnFolder folder;
  return folder.path();
}

}  // namespace veyra::testing
