#include "updater/headless/headless_options.h"

#include "platform/decimal.h"
#include "platform/error.h"

namespace veyra {

HeadlessOptions ParseHeadlessOptions(const std::vector<std::string>& arguments) {
  HeadlessOptions options;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    auto value = [&]() -> const std::string& {
      if (i + 1 >= arguments.size()) throw Error("option " + argument + " needs a value");
      return arguments[++i];
    };
    if (argument == "--") {
      options.game_parameters.assign(arguments.begin() + static_cast<ptrdiff_t>(i) + 1,
                                     arguments.end());
      break;
    } else if (argument == "--folder") {
      options.folder = value();
    } else if (argument == "--line") {
      const std::string& text = value();
      std::optional<int64_t> line = ParseDecimal(text);
      if (!line || *line < 0 || *line > 100000) throw Error("--line needs a position, not " + text);
      options.line = static_cast<int>(*line);
    } else if (argument == "--wait") {
      const std::string& text = value();
      std::optional<int64_t> seconds = ParseDecimal(text);
      if (!seconds || *seconds < 0 || *seconds > 86400) {
        throw Error("--wait needs seconds from 0 to 86400, not " + text);
      }
      options.wait_seconds = static_cast<int>(*seconds);
    } else if (argument == "--force-complete") {
      options.force_complete = true;
    } else if (argument == "--lang") {
      const std::string& code = value();
      if (code != "t" && code != "s" && code != "n") throw Error("--lang takes t, s or n");
      options.language = code;
    } else if (argument == "--start-game") {
      options.start_game = true;
    } else if (argument == "--help" || argument == "-h") {
      options.show_help = true;
    } else {
      throw Error("unknown option " + argument);
    }
  }
  return options;
}

std::string HeadlessUsage() {
  return "usage: veyra-update [--folder DIR] [--line N] [--force-complete] [--lang t|s|n]\n"
         "                    [--start-game] [--wait SECONDS] [-- PARAM1 PARAM2 PARAM3]\n"
         "Updates the game folder DIR (default: the folder of this program) from the update\n"
         "server of network line N of web0.dat (default: the line saved in isp1.dat).\n"
         "--wait: how long to wait while another update runs in DIR (default 0).\n"
         "exit status: 0 up to date, 1 other failure, 2 web0.dat unreadable, 3 no server\n"
         "delivered the update list, 4 a download failed, 5 a file could not be written,\n"
         "6 a downloaded file failed to expand, 7 another update is running in DIR\n";
}

}  // namespace veyra
