#pragma once

#include <string>
#include <string_view>

namespace veyra {

// The updater family's texts, each in the display language given by its code: "n" English,
// "t" the Big5 text as stored, "s" the Big5 text converted to GB.
class UpdaterMessages {
 public:
  explicit UpdaterMessages(std::string language_code) : code_(std::move(language_code)) {}

  const std::string& code() const { return code_; }

  std::string InitFailed() const;  // web0.dat unreadable
  std::string Connecting() const;  // looking for a server
  std::string ServerBusy() const;  // no server, or a download of the main pass failed
  std::string NothingToUpdate() const;
  std::string FilesRemaining(size_t count) const;
  // The write-failure text; the local name is put before the fixed text unconverted.
  std::string WriteFailed(std::string_view local_name) const;
  std::string FolderBusy() const;  // another updater holds the game folder
  std::string ExitQuestion() const;
  std::string PleaseWait() const;  // English whatever the language

 private:
  std::string Pick(std::string_view big5, std::string_view english) const;
  std::string code_;
};

}  // namespace veyra
