#include "updater/engine/login_command.h"

#include "platform/paths.h"
#include "platform/process.h"

namespace veyra {

LoginParams LoginParamsFrom(const std::vector<std::string>& arguments) {
  LoginParams params;
  if (arguments.size() < 2) return params;
  for (size_t i = 0; i < params.size() && i < arguments.size(); ++i) params[i] = arguments[i];
  return params;
}

std::string LoginProgramPath(const std::string& program_folder) {
  return program_folder + "alogin.exe";
}

std::string BuildLoginCommandLine(const std::string& program_folder, const LoginParams& params) {
  std::string command = LoginProgramPath(program_folder);
  if (!params[0].empty()) command += " " + params[0] + " " + params[1] + " " + params[2];
  return command;
}

bool StartDetached(const std::string& application, const std::string& command_line,
                   const std::string& working_folder) {
  return StartCommandLine(application, command_line, MapPath(working_folder)).ok();
}

}  // namespace veyra
