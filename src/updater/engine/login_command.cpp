#include "updater/engine/login_command.h"

#include "platform/paths.h"
#include "platform/process.h"
#include "platform/support_log.h"

namespace veyra {

LoginParams LoginParamsFrom(const std::vector<std::string>& arguments) {
  LoginParams params;
  if (arguments.size() < 2) return params;
  for (size_t i = 0; i < params.size() && i < arguments.size(); ++i) params[i] = arguments[i];
  return params;
}

LoginCommand BuildLoginCommand(const std::string& program_folder, const LoginParams& params) {
  LoginCommand command{program_folder + "alogin.exe", ""};
  if (!params[0].empty()) command.arguments = " " + params[0] + " " + params[1] + " " + params[2];
  return command;
}

bool StartLoginProgram(const std::string& program_folder, const LoginParams& params) {
  const LoginCommand command = BuildLoginCommand(program_folder, params);
  const FileStatus started =
      StartProgramWithCommandLine(command.program, command.arguments, MapPath(program_folder));
  if (!started.ok()) {
    WriteSupportLog("cannot start " + command.Line() + ": " + started.Describe());
  }
  return started.ok();
}

}  // namespace veyra
