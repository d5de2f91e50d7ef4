#include "updater/engine/login_command.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/paths.h"

extern char** environ;

namespace veyra {

LoginParams LoginParamsFrom(const std::vector<std::string>& arguments) {
  LoginParams params;
  if (arguments.size() < 2) return params;
  for (size_t i = 0; i < params.size() && i < arguments.size(); ++i) params[i] = arguments[i];
  return params;
}

std::string BuildLoginCommandLine(const std::string& program_folder, const LoginParams& params) {
  std::string command = program_folder + "alogin.exe";
  if (!params[0].empty()) command += " " + params[0] + " " + params[1] + " " + params[2];
  return command;
}

bool StartDetached(const std::string& command_line, const std::string& working_folder) {
  std::vector<std::string> words;
  size_t pos = 0;
  while (pos < command_line.size()) {
    size_t end = command_line.find(' ', pos);
    if (end == std::string::npos) end = command_line.size();
    if (end > pos) words.push_back(command_line.substr(pos, end - pos));
    pos = end + 1;
  }
  if (words.empty()) return false;
  words[0] = MapPath(words[0]).string();

  std::vector<char*> argv;
  for (auto& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  const std::string folder = MapPath(working_folder).string();
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  pid_t pid = 0;
  const int result = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return result == 0;
}

}  // namespace veyra
