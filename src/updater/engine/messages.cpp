#include "updater/engine/messages.h"

#include "text/cvcode.h"
#include "text/language.h"

namespace veyra {
namespace {

// Big5 bytes of the stored Chinese texts (their meaning in the comments).
constexpr std::string_view kInitFailedBig5 =  // 初始化失敗，請稍後再試
    "\xaa\xec\xa9\x6c\xa4\xc6\xa5\xa2\xb1\xd1\xa1\x41\xbd\xd0\xb5\x79\xab\xe1\xa6\x41\xb8\xd5";
constexpr std::string_view kConnectingBig5 = "\xb3\x73\xbd\x75\xa4\xa4...";  // 連線中...
constexpr std::string_view kServerBusyBig5 =  // Web 忙碌中請稍後再試
    "Web \xa6\xa3\xb8\x4c\xa4\xa4\xbd\xd0\xb5\x79\xab\xe1\xa6\x41\xb8\xd5";
constexpr std::string_view kNothingToUpdateBig5 =  // 目前沒有需要更新的檔案
    "\xa5\xd8\xab\x65\xa8\x53\xa6\xb3\xbb\xdd\xad\x6e\xa7\xf3\xb7\x73\xaa\xba\xc0\xc9\xae\xd7";
constexpr std::string_view kRemainingBeforeBig5 = "\xc1\xd9\xa6\xb3";  // 還有
constexpr std::string_view kRemainingAfterBig5 =                       // 個檔案需要更新
    "\xad\xd3\xc0\xc9\xae\xd7\xbb\xdd\xad\x6e\xa7\xf3\xb7\x73";
constexpr std::string_view kWriteFailedBig5 =  // 更新失敗，請將所有程式關閉再嘗試更新一次。
    "\xa7\xf3\xb7\x73\xa5\xa2\xb1\xd1\xa1\x41\xbd\xd0\xb1\x4e\xa9\xd2\xa6\xb3\xb5\x7b\xa6\xa1"
    "\xc3\xf6\xb3\xac\xa6\x41\xb9\xc1\xb8\xd5\xa7\xf3\xb7\x73\xa4\x40\xa6\xb8\xa1\x43";
constexpr std::string_view kFolderBusyBig5 =  // 另一個更新程式正在此遊戲資料夾中執行
    "\xa5\x74\xa4\x40\xad\xd3\xa7\xf3\xb7\x73\xb5\x7b\xa6\xa1\xa5\xbf\xa6\x62\xa6\xb9"
    "\xb9\x43\xc0\xb8\xb8\xea\xae\xc6\xa7\xa8\xa4\xa4\xb0\xf5\xa6\xe6";
constexpr std::string_view kExitQuestionBig5 =  // 你確定要離開嗎?
    "\xa7\x41\xbd\x54\xa9\x77\xad\x6e\xc2\xf7\xb6\x7d\xb6\xdc?";

}  // namespace

std::string UpdaterMessages::Pick(std::string_view big5, std::string_view english) const {
  return LocalizedText(code_, big5, english);
}

std::string UpdaterMessages::InitFailed() const {
  return Pick(kInitFailedBig5, "Failed to initialize, try later, please");
}

std::string UpdaterMessages::Connecting() const {
  return Pick(kConnectingBig5, "connecting...");
}

std::string UpdaterMessages::ServerBusy() const {
  return Pick(kServerBusyBig5, "Web is busy, try later, please");
}

std::string UpdaterMessages::NothingToUpdate() const {
  return Pick(kNothingToUpdateBig5, "No files updateing needed");
}

std::string UpdaterMessages::FilesRemaining(size_t count) const {
  const std::string n = std::to_string(count);
  // The count is joined in before the conversion, as the text is shown whole.
  std::string big5 = std::string(kRemainingBeforeBig5) + n + std::string(kRemainingAfterBig5);
  return Pick(big5, n + (count == 1 ? "file remain to be updated" : "files remain to be updated"));
}

std::string UpdaterMessages::WriteFailed(std::string_view local_name) const {
  return std::string(local_name) +
         Pick(kWriteFailedBig5, ":update failed, please close all programs and try again.");
}

std::string UpdaterMessages::FolderBusy() const {
  return Pick(kFolderBusyBig5, "another update is running in this game folder");
}

std::string UpdaterMessages::ExitQuestion() const {
  return Pick(kExitQuestionBig5, "Are you sure to exit ?");
}

std::string UpdaterMessages::PleaseWait() const {
  return "please wait...";
}

}  // namespace veyra
