#include "ui/updater/list_box_sync.h"

#include <QListWidget>
#include <algorithm>

#include "platform/text_codec.h"

namespace veyra {

void SyncListBox(QListWidget& list, const LineList& before, const LineList& now,
                 const std::string& language_code) {
  const size_t shorter = std::min(before.size(), now.size());
  size_t head = 0;
  while (head < shorter && before[head] == now[head]) ++head;
  size_t tail = 0;
  while (tail < shorter - head && before[before.size() - 1 - tail] == now[now.size() - 1 - tail]) {
    ++tail;
  }
  const size_t removed = before.size() - head - tail;
  for (size_t i = 0; i < removed; ++i) delete list.takeItem(static_cast<int>(head));
  for (size_t i = head; i < now.size() - tail; ++i) {
    list.insertItem(static_cast<int>(i),
                    QString::fromStdString(DecodeForDisplay(language_code, now[i])));
  }
}

}  // namespace veyra
