#include "updater/dialogs/line_dialog_model.h"

#include "platform/decimal.h"
#include "platform/paths.h"
#include "text/language.h"
#include "updater/records/files.h"

namespace veyra {
namespace {

constexpr std::string_view kNoPreferenceBig5 = "\xa8\xe4\xa5\xa6";  // 其它

// The lines of web0.dat that describe lines, the closing "end" included. A line without a name
// describes nothing, and nothing after the closing line belongs to the list: either would
// otherwise become an item, or a line of the search order that ends the search before any
// server was tried.
LineList ServerLines(const LineList& lines) {
  LineList kept;
  for (const std::string& line : lines) {
    if (FieldView(line, 1).empty()) continue;
    kept.push_back(line);
    if (line == "end") break;
  }
  return kept;
}

}  // namespace

LineDialogModel::LineDialogModel(const std::string& language_code) {
  LineList web0;
  web0_read_ = LoadListRetrying(web0, ProgramFolder() + "web0.dat");
  if (!web0_read_) return;
  list_box2_ = ServerLines(web0);
  for (size_t i = 0; i + 1 < list_box2_.size(); ++i) {
    list_box1_.push_back(GetField(list_box2_[i], 1));
  }
  list_box1_.push_back(LocalizedText(language_code, kNoPreferenceBig5, "Other"));
  selected_ = 0;
  PreselectFromIsp1();
}

void LineDialogModel::PreselectFromIsp1() {
  // Every failure here is quiet: the first item simply stays selected.
  LineList isp1;
  if (!LoadList(isp1, ProgramFolder() + "isp1.dat") || isp1.empty()) return;
  std::optional<int64_t> position = ParseDecimal(isp1.front());
  if (position && *position >= 0 && *position < static_cast<int64_t>(list_box1_.size())) {
    selected_ = static_cast<int>(*position);
  }
}

void LineDialogModel::Select(int index) {
  if (index >= 0 && index < static_cast<int>(list_box1_.size())) selected_ = index;
}

void LineDialogModel::Confirm() const {
  WriteBufferToFile(ProgramFolder() + "isp1.dat", std::to_string(selected_) + "\r\n");
}

}  // namespace veyra
