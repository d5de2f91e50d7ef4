#pragma once

#include <cstddef>

#include "updater/records/lines.h"

namespace veyra {

// The change that turns a list box showing `before` into one showing `now`: the rows between
// their common beginning and their common end are replaced, so that taking the first name or
// adding a last one touches one row even in a list of thousands.
struct ListBoxEdit {
  size_t first = 0;     // the first row that changes
  size_t removed = 0;   // rows of `before` taken out there
  size_t inserted = 0;  // rows of `now` (from `first` on) put in their place
};
ListBoxEdit EditBetween(const LineList& before, const LineList& now);

// A cheap test whether a list may differ from the one shown: the update run only takes names out
// or adds them, so a list of the same length with the same first and last names is the same.
// Comparing whole lists on every progress event would cost too much for large updates.
bool ListMayHaveChanged(const LineList& shown, const LineList& now);

}  // namespace veyra
