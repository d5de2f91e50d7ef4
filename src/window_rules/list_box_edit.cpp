#include "window_rules/list_box_edit.h"

#include <algorithm>

namespace veyra {

ListBoxEdit EditBetween(const LineList& before, const LineList& now) {
  const size_t shorter = std::min(before.size(), now.size());
  size_t head = 0;
  while (head < shorter && before[head] == now[head]) ++head;
  size_t tail = 0;
  while (tail < shorter - head && before[before.size() - 1 - tail] == now[now.size() - 1 - tail]) {
    ++tail;
  }
  return {head, before.size() - head - tail, now.size() - head - tail};
}

bool ListMayHaveChanged(const LineList& shown, const LineList& now) {
  return shown.size() != now.size() ||
         (!now.empty() && (shown.front() != now.front() || shown.back() != now.back()));
}

}  // namespace veyra
