#pragma once

#include <string>
#include <utility>
#include <vector>

namespace veyra {

// One network line: the name shown to the player and the update server's base address.
struct NetworkLine {
  std::string name;
  std::string url;
};

// The text of web0.dat: per line "name url 80 30000", then "end"; every line ends in CR LF.
// Throws veyra::Error for no lines, or a name or address that is empty or holds a space or a
// control character (the file's fields are split at spaces).
std::string MakeWeb0(const std::vector<NetworkLine>& lines);

}  // namespace veyra
