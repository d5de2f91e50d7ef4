#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "updater/http/body_resume.h"

namespace veyra {

// Downloads of large files kept across runs, so that the next run asks only for the rest. The
// bytes received so far lie in the game folder under a name that is never installed nor
// recorded ("<kKeptDownloadPrefix><id>"), beside a small note of the remote name, the
// validator and the file's length ("<...>.note"); both are read and written through the
// confined files. Only the holder of the game folder's lock uses them, one download at a time.
// Nothing here is trusted: a kept file goes on only when the server's validator still matches
// (If-Range), and the whole body is then checked like any other.
class KeptDownloads {
 public:
  // Smaller files are fetched again whole: keeping them would save little.
  static constexpr int64_t kLeastFileBytes = int64_t{8} << 20;

  // The bytes kept of `remote_name` by an earlier run, with the validator and length they came
  // with; empty when there are none, and also (the files then removed) when they do not fit
  // their note.
  BodyResume Load(const std::string& remote_name);
  // Whether anything is kept of `remote_name`.
  bool Holds(const std::string& remote_name) const;

  // An attempt to download begins; the first Follow after it decides whether the kept file
  // goes on or starts afresh.
  void BeginAttempt() { attempt_checked_ = false; }
  // Keeps the body of the download under way, as it arrives: `resume` holds what its reply
  // offers (BodyResume's out-fields). Files below kLeastFileBytes, replies that cannot be
  // resumed, and error replies (whose body is not the file) keep nothing.
  void Follow(const std::string& remote_name, std::string_view body_so_far,
              const BodyResume& resume) {
    if (resume.kept.empty()) Save(remote_name, body_so_far, resume);
  }
  // The attempt failed and `resume` holds its bytes for the next one: keeps them all.
  void Keep(const std::string& remote_name, const BodyResume& resume) {
    Save(remote_name, resume.kept, resume);
  }
  // Removes what is kept of `remote_name` (it arrived whole, or cannot go on).
  void Forget(const std::string& remote_name);
  // Removes every kept download whose remote name is not among `wanted`.
  void RemoveAllBut(const std::set<std::string>& wanted);

 private:
  struct Saving {
    std::string remote_name;
    std::string validator;
    int64_t total = 0;
    int64_t saved = 0;  // bytes in the kept file
  };
  // Keeps `body`, the first bytes of the file `resume` describes.
  void Save(const std::string& remote_name, std::string_view body, const BodyResume& resume);
  // Starts the kept file of `remote_name` afresh for a reply with `resume`'s validator.
  bool StartAfresh(const std::string& remote_name, const BodyResume& resume);

  std::optional<Saving> saving_;
  bool attempt_checked_ = false;
};

// The start of the names of kept downloads and their notes in the game folder.
inline constexpr std::string_view kKeptDownloadPrefix = ".veyra-part-";

}  // namespace veyra
