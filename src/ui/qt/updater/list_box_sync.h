#pragma once

#include <string>

#include "updater/records/lines.h"

class QListWidget;

namespace veyra {

// Makes `list` show `now` (byte texts in `language_code`), given that it shows `before`, by the
// edit EditBetween gives.
void SyncListBox(QListWidget& list, const LineList& before, const LineList& now,
                 const std::string& language_code);

}  // namespace veyra
