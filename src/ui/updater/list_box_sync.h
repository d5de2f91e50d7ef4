#pragma once

#include <string>

#include "updater/records/lines.h"

class QListWidget;

namespace veyra {

// Makes `list` show `now` (byte texts in `language_code`), given that it shows `before`. Only the
// rows between the common beginning and the common end are replaced, so that taking the first
// name or adding a last one touches one row even in a list of thousands.
void SyncListBox(QListWidget& list, const LineList& before, const LineList& now,
                 const std::string& language_code);

}  // namespace veyra
