#include "ui/qt/updater/list_box_sync.h"

#include <QListWidget>
#include <algorithm>

#include "window_rules/list_box_edit.h"

#include "platform/text_codec.h"

namespace veyra {

void SyncListBox(QListWidget& list, const LineList& before, const LineList& now,
                 const std::string& language_code) {
  const ListBoxEdit edit = EditBetween(before, now);
  for (size_t i = 0; i < edit.removed; ++i) delete list.takeItem(static_cast<int>(edit.first));
  for (size_t i = edit.first; i < edit.first + edit.inserted; ++i) {
    list.insertItem(static_cast<int>(i),
                    QString::fromStdString(DecodeForDisplay(language_code, now[i])));
  }
}

}  // namespace veyra
