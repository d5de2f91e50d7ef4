#include "platform/process.h"

#include <spawn.h>

#include <cerrno>

#include "platform/paths.h"

extern char** environ;

namespace veyra {

FileStatus StartDetachedProcess(const std::vector<std::string>& arguments,
                                const std::filesystem::path& working_folder) {
  if (arguments.empty()) return FileStatus{EINVAL};
  std::vector<std::string> words = arguments;  // posix_spawn takes non-const texts
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, working_folder.c_str());
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // A session of its own: the started program keeps running when our terminal goes away.
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  pid_t pid = 0;
  const int result = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return FileStatus{result};
}

FileStatus StartCommandLine(const std::string& application, const std::string& command_line,
                            const std::filesystem::path& working_folder) {
  if (application.empty() || !command_line.starts_with(application)) return FileStatus{EINVAL};
  std::vector<std::string> words{MapPath(application).string()};
  size_t pos = application.size();
  while (pos < command_line.size()) {
    size_t end = command_line.find(' ', pos);
    if (end == std::string::npos) end = command_line.size();
    if (end > pos) words.push_back(command_line.substr(pos, end - pos));
    pos = end + 1;
  }
  return StartDetachedProcess(words, working_folder);
}

}  // namespace veyra
