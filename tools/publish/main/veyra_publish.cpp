#include <iostream>
#include <string>
#include <vector>

#include "tools/publish/publish_cli.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return veyra::RunPublishTool(args, std::cout, std::cerr);
}
