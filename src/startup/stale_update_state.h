#pragma once

#include <cstdint>
#include <string>

namespace veyra {

// A Data\Talk.Dat smaller than this belongs to an installation older than its update record.
inline constexpr int64_t kTalkDatMinimumSize = 830500;

// The launcher's clean-up of stale update state, run when its window is created. When the file
// `application_folder` + "Data\Talk.Dat" exists and is smaller than kTalkDatMinimumSize bytes
// (a file that exists but cannot be opened counts as -1 bytes), deletes "update3.dat" and then
// "update2.dat" from `application_folder`, each only when it exists; the next update then
// installs every entry again. Names resolve without regard to letter case (MapPath). A folder
// of one of these names is not the file and is left alone. Every error is ignored: nothing is
// thrown and nothing is reported.
void CleanUpStaleUpdateState(const std::string& application_folder) noexcept;

}  // namespace veyra
