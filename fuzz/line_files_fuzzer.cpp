// The network line files web0.dat and isp1.dat as the line dialog reads them, then the order in
// which the updater tries the lines and each line's fields. Checked against plain readings of
// the formats: the lines of web0.dat, one item per line but the last plus the no-preference
// item, the saved position only when it is an item, and the trial order a permutation that puts
// the chosen line first and web0.dat's closing line last.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "platform/pump.h"
#include "scratch_folder.h"
#include "updater/dialogs/line_dialog_model.h"
#include "updater/engine/line_order.h"

namespace {

using veyra::LineList;

LineList ReferenceLines(std::string_view text) {
  LineList lines;
  std::string line;
  bool open = false;
  for (size_t i = 0; i < text.size() && text[i] != '\0'; ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(line);
      line.clear();
      open = false;
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      line += c;
      open = true;
    }
  }
  if (open) lines.push_back(line);
  return lines;
}

std::string FirstField(std::string_view line) {
  const size_t start = line.find_first_not_of(' ');
  if (start == std::string_view::npos) return {};
  return std::string(line.substr(start, line.find(' ', start) - start));
}

// The lines that describe network lines: not blank, up to and with the first "end".
LineList ServerLines(const LineList& lines) {
  LineList kept;
  for (const std::string& line : lines) {
    if (FirstField(line).empty()) continue;
    kept.push_back(line);
    if (line == "end") break;
  }
  return kept;
}

// The saved position: an optional sign and decimal digits that name an item.
int ReferenceSelection(std::string_view isp1, size_t items) {
  const LineList lines = ReferenceLines(isp1);
  if (lines.empty()) return 0;
  std::string_view text = lines.front();
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
  if (text.empty()) return 0;
  size_t value = 0;  // saturated: any value from `items` on names no item
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    value = std::min(value * 10 + static_cast<size_t>(c - '0'), items);
  }
  if (lines.front().front() == '-' && value != 0) return 0;
  return value < items ? static_cast<int>(value) : 0;
}

void CheckLineOrder(const LineList& web0, int items, int selected, veyra::fuzz::FuzzInput& input) {
  const veyra::RandomPick pick = [&input](int low, int high) {
    FUZZ_CHECK(low <= high, "a pick has a range");
    return low + input.TakeByte() % (high - low + 1);
  };
  const LineList order = veyra::BuildLineOrder(web0, items, selected, pick);
  const LineList tried(web0.begin(), web0.begin() + std::min<size_t>(web0.size(), items));
  FUZZ_CHECK(std::is_permutation(order.begin(), order.end(), tried.begin(), tried.end()),
             "every line is tried once");
  const bool preferred = selected != items - 1 && selected < static_cast<int>(tried.size());
  if (preferred) FUZZ_CHECK(order.front() == tried[selected], "the chosen line comes first");
  // The chosen line is never the closing one: that position is the no-preference item.
  if (!tried.empty()) FUZZ_CHECK(order.back() == tried.back(), "the closing line comes last");
  for (const std::string& line : order) {
    const veyra::HostInfo host = veyra::ParseHostLine(line);
    FUZZ_CHECK(host.name == FirstField(line), "the line's name is its first field");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  veyra::fuzz::ScratchFolder& scratch = veyra::fuzz::ScratchFolder::Get();
  veyra::SetSleepHook([](int) {});
  veyra::fuzz::FuzzInput input(data, size);
  const uint8_t isp1_length = input.TakeByte();
  const std::string language = (input.TakeByte() % 2 == 0) ? "t" : "n";
  const std::string_view isp1 = input.TakeBytes(isp1_length);
  const std::string_view web0 = input.TakeBytes(input.TakeByte() * 16);
  if (isp1_length != 0) veyra::fuzz::WriteWholeFile(scratch.game() / "isp1.dat", isp1);
  veyra::fuzz::WriteWholeFile(scratch.game() / "web0.dat", web0);

  veyra::LineDialogModel model(language);
  FUZZ_CHECK(model.Web0Read(), "web0.dat is read");
  const LineList lines = ServerLines(ReferenceLines(web0));
  FUZZ_CHECK(model.ListBox2() == lines, "the dialog holds web0.dat's lines");
  FUZZ_CHECK(model.ListBox1().size() == std::max<size_t>(lines.size(), 1),
             "an item per line but the last, and the no-preference item");
  for (size_t i = 0; i + 1 < lines.size(); ++i) {
    FUZZ_CHECK(model.ListBox1()[i] == FirstField(lines[i]), "an item is its line's first field");
  }
  const int items = static_cast<int>(model.ListBox1().size());
  FUZZ_CHECK(model.SelectedIndex() == ReferenceSelection(isp1_length != 0 ? isp1 : "", items),
             "isp1.dat selects an item only when it names one");

  model.Select(input.TakeByte() % (items + 1));
  model.Confirm();
  bool found = false;
  FUZZ_CHECK(veyra::fuzz::ReadWholeFile(scratch.game() / "isp1.dat", found) ==
                 std::to_string(model.SelectedIndex()) + "\r\n",
             "isp1.dat holds the confirmed position and nothing else");

  CheckLineOrder(model.ListBox2(), items, model.SelectedIndex(), input);
  scratch.Reset();
  return 0;
}
