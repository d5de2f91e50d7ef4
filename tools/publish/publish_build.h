#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <vector>

#include "set_statement.h"

namespace veyra {

struct BuildOptions {
  std::filesystem::path release;                  // the game folder as it must be installed
  std::filesystem::path out;                      // the update set to (re)place
  std::optional<std::filesystem::path> previous;  // the set now served, for versions
  std::vector<std::filesystem::path> older;       // sets before it, only as bases of patches
  std::optional<std::filesystem::path> page;      // index2.html and its pictures
  uint64_t archive_small = 4096;                  // files up to this size travel in archives
  bool follow_links = false;  // publish links to files and folders inside the release and page
  std::optional<SigningOptions> signing;  // sign the set (update3.sig) when given
};

struct BuildSummary {
  int e_entries = 0, o_entries = 0, c_entries = 0;
  int changed_entries = 0;                   // entries that got a new version
  uint64_t bytes_before = 0;                 // uncompressed content of every entry
  uint64_t bytes_after = 0;                  // published bytes of every entry
  std::optional<UpdateStatement> statement;  // what update3.sig says, when signed
  uint64_t patch_bytes = 0;                  // the patches' bytes (statement->patches)
  uint64_t patched_file_bytes = 0;           // the bytes of the files they stand in for
};

// Publishes the release (and page) as an update set in `out`: update3.dat, one file per entry
// and the manifest. Small files of one folder are bundled into archives ("C", 100 members at
// most); other files are gzip images ("E") unless gzip saves less than 5 %, then raw ("O").
// Unchanged entries keep the version of `previous`; new and changed ones get a newer one.
// With `signing`, the set also holds update3.sig, a statement of update3.dat and every remote
// file signed by the key, with a serial above that of `previous`'s statement; with `previous`
// too, it offers patches of changed files against their versions in `previous` and in the
// `older` sets (WritePatches); `older` without `previous`, or more than kMostEarlierSets sets in
// all, is refused before anything is read or written.
// Unsigned sets get no patches: a client applies one only when its statement proves it.
// The set is written beside `out` and swapped in at the end, so on any failure `out` is left
// exactly as it was. Nothing is written outside `out` and its temporary sibling. Links and
// special files in the release and page folders are treated as ListSourceFiles says.
// Progress lines go to `progress`.
// Throws veyra::Error with a message naming the cause (e.g. a file name holding a space).
BuildSummary BuildUpdateSet(const BuildOptions& options, std::ostream& progress);

}  // namespace veyra
