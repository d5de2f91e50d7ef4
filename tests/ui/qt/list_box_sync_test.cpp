#include "ui/qt/updater/list_box_sync.h"

#include <gtest/gtest.h>

#include <QListWidget>

namespace veyra {
namespace {

TEST(ListBoxSync, TheListShowsTheNewLinesDecoded) {
  struct Case {
    const char* name;
    LineList before;
    LineList now;
  };
  const Case cases[] = {
      {"filled", {}, {"a", "b", "c"}},
      {"first taken", {"a", "b", "c"}, {"b", "c"}},
      {"last added", {"a", "b"}, {"a", "b", "c"}},
      {"emptied", {"a", "b"}, {}},
      {"replaced", {"a", "b"}, {"x", "y", "z"}},
      {"middle changed", {"a", "b", "c"}, {"a", "x", "c"}},
      {"repeated names", {"a", "a", "a"}, {"a", "a"}},
      {"Big5 name", {}, {"\xb7\x73.txt"}},  // 新.txt
  };
  for (const Case& c : cases) {
    QListWidget list;
    for (const std::string& line : c.before) list.addItem(QString::fromStdString(line));
    SyncListBox(list, c.before, c.now, "t");
    QStringList shown;
    for (int i = 0; i < list.count(); ++i) shown.append(list.item(i)->text());
    QStringList expected;
    for (const std::string& line : c.now) {
      expected.append(line == "\xb7\x73.txt" ? QStringLiteral("新.txt")
                                             : QString::fromStdString(line));
    }
    EXPECT_EQ(shown, expected) << c.name;
  }
}

}  // namespace
}  // namespace veyra
