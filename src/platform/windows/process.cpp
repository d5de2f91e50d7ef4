#include "platform/process.h"

#include <windows.h>

#include <cerrno>

#include "platform/windows/error_number.h"
#include "platform/windows/wide_text.h"

namespace veyra {
namespace {

// One argument as the C runtime's command-line parser reads it back: quoted when it holds a
// blank, a tab or a quote (or is empty), with backslashes doubled only before a quote.
std::wstring QuotedArgument(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted.push_back(c);
  }
  quoted.append(backslashes * 2, L'\\');
  quoted.push_back(L'"');
  return quoted;
}

// `application`, when given, is the program to run; otherwise the system finds it in the line.
FileStatus Start(const wchar_t* application, std::wstring command_line,
                 const std::filesystem::path& working_folder) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  // The system may write into the line, so it gets a copy of its own.
  if (!CreateProcessW(application, command_line.data(), nullptr, nullptr, FALSE,
                      CREATE_NEW_PROCESS_GROUP, nullptr, working_folder.c_str(), &startup,
                      &process)) {
    return FileStatus{LastErrorAsErrno()};
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return FileStatus{};
}

}  // namespace

FileStatus StartDetachedProcess(const std::vector<std::string>& arguments,
                                const std::filesystem::path& working_folder) {
  if (arguments.empty()) return FileStatus{EINVAL};
  std::wstring line;
  for (const std::string& argument : arguments) {
    if (!line.empty()) line.push_back(L' ');
    line += QuotedArgument(WideFromUtf8(argument));
  }
  return Start(nullptr, line, working_folder);
}

FileStatus StartCommandLine(const std::string& application, const std::string& command_line,
                            const std::filesystem::path& working_folder) {
  if (application.empty() || command_line.empty()) return FileStatus{EINVAL};
  return Start(WideFromUtf8(application).c_str(), WideFromUtf8(command_line), working_folder);
}

}  // namespace veyra
