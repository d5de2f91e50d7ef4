#include "source_tree.h"

#include <algorithm>
#include <system_error>

#include "platform/error.h"
#include "publish_files.h"

namespace veyra {

namespace fs = std::filesystem;

namespace {

class SourceWalk {
 public:
  SourceWalk(const fs::path& root, bool follow_links)
      : shown_root_(root), root_(fs::canonical(root)), follow_links_(follow_links) {}

  std::vector<SourceFile> Run() {
    Folder(root_, "");
    std::sort(files_.begin(), files_.end(),
              [](const SourceFile& a, const SourceFile& b) { return a.relative < b.relative; });
    return std::move(files_);
  }

 private:
  // `real` is canonical, so its entries are real paths unless they are links themselves.
  void Folder(const fs::path& real, const std::string& prefix) {
    chain_.push_back(real);
    std::error_code ec;
    for (fs::directory_iterator it(real, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
      Entry(it->path(), prefix + it->path().filename().string());
    }
    if (ec) throw Error("cannot list " + real.string() + ": " + ec.message());
    chain_.pop_back();
  }

  void Entry(const fs::path& path, const std::string& relative) {
    std::error_code ec;
    fs::path real = path;
    std::string named = relative;  // a link with its target
    fs::file_status status = fs::symlink_status(path, ec);
    if (!ec && fs::is_symlink(status)) {
      named += " -> " + fs::read_symlink(path, ec).string();
      real = FollowLink(path, named);
      status = fs::status(real, ec);
    }
    if (ec) throw Error("cannot read " + named + " in " + shown_root_.string());
    if (fs::is_regular_file(status)) {
      files_.push_back({real, relative});
    } else if (!fs::is_directory(status)) {
      throw Error("not a file or folder (a FIFO, socket or device) in " + shown_root_.string() +
                  ": " + named);
    } else if (std::find(chain_.begin(), chain_.end(), real) != chain_.end()) {
      throw Error("link leads back into a folder holding it, in " + shown_root_.string() + ": " +
                  named);
    } else {
      Folder(real, relative + "/");
    }
  }

  // The canonical target of a link that may be published; `named` is the link and its target.
  fs::path FollowLink(const fs::path& link, const std::string& named) {
    if (!follow_links_) {
      throw Error("symbolic link in " + shown_root_.string() + ": " + named +
                  " (--follow-links publishes links to files and folders inside it)");
    }
    std::error_code ec;
    fs::path target = fs::canonical(link, ec);
    if (ec) throw Error("link leads nowhere, in " + shown_root_.string() + ": " + named);
    if (!IsInsideFolder(target, root_)) {
      throw Error("link leads outside " + shown_root_.string() + ": " + named);
    }
    return target;
  }

  fs::path shown_root_;  // as the caller named it, for messages
  fs::path root_;
  bool follow_links_;
  std::vector<fs::path> chain_;  // the folders being walked, outermost first
  std::vector<SourceFile> files_;
};

}  // namespace

std::vector<SourceFile> ListSourceFiles(const fs::path& root, bool follow_links) {
  std::error_code ec;
  if (!fs::is_directory(root, ec)) throw Error("not a folder: " + root.string());
  return SourceWalk(root, follow_links).Run();
}

}  // namespace veyra
