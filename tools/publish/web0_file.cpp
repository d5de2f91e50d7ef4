#include "web0_file.h"

#include "platform/error.h"
#include "updater/records/lines.h"

namespace veyra {
namespace {

void CheckField(const std::string& what, const std::string& text) {
  if (text.empty()) throw Error("empty " + what);
  for (unsigned char c : text) {
    if (c <= 0x20 || c == 0x7f) throw Error(what + " must not hold spaces: \"" + text + "\"");
  }
}

}  // namespace

std::string MakeWeb0(const std::vector<NetworkLine>& lines) {
  if (lines.empty()) throw Error("web0.dat needs at least one line");
  LineList text;
  for (const NetworkLine& line : lines) {
    CheckField("line name", line.name);
    CheckField("line address", line.url);
    text.push_back(line.name + " " + line.url + " 80 30000");
  }
  text.push_back("end");
  return JoinLines(text);
}

}  // namespace veyra
