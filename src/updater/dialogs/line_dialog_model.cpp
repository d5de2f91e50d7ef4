#include "updater/dialogs/line_dialog_model.h"

#include "platform/decimal.h"
#include "platform/paths.h"
#include "text/language.h"
#include "updater/records/files.h"

namespace veyra {
namespace {

constexpr std::string_view kNoPreferenceBig5 = "\xa8\xe4\xa5\xa6";  // 其它

}  // namespace

LineDialogModel::LineDialogModel(const std::string& language_code) {
  web0_read_ = LoadListRetrying(list_box2_, ProgramFolder() + "web0.dat");
  if (!web0_read_) return;
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
