// The update rule over an update list and an installation record as they come from the server
// and the disk, checked against a plain scan that follows the rule's wording: for every list
// line, the first record line with the same name (ASCII case ignored) decides. Queue lines are
// then taken apart again and must give back the list line's fields and the record position.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "updater/records/lines.h"
#include "updater/records/update_rule.h"

namespace {

// The fields of a line: the runs of bytes other than the space.
std::vector<std::string> Fields(std::string_view line) {
  std::vector<std::string> fields;
  std::string current;
  for (char c : line) {
    if (c != ' ') {
      current += c;
    } else if (!current.empty()) {
      fields.push_back(std::move(current));
      current.clear();
    }
  }
  if (!current.empty()) fields.push_back(std::move(current));
  return fields;
}

std::string Field(std::string_view line, size_t n) {
  const std::vector<std::string> fields = Fields(line);
  return n <= fields.size() ? fields[n - 1] : std::string();
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

bool Newer(std::string_view list, std::string_view record) {
  for (size_t i = 0; i < list.size() && i < record.size(); ++i) {
    const auto l = static_cast<unsigned char>(list[i]);
    const auto r = static_cast<unsigned char>(record[i]);
    if (l != r) return l > r;
  }
  return list.size() > record.size();
}

struct Expected {
  veyra::LineList queue;
  veyra::LineList names_to_show;
  std::vector<size_t> positions;  // record position per queue line, or kNoRecordPosition
};

Expected ReferenceScan(const veyra::LineList& list, veyra::LineList& record) {
  if (record.empty()) record.push_back("AVWSEN");
  if (record.size() == 1) record.push_back("");
  Expected expected;
  for (size_t i = 1; i < list.size(); ++i) {
    // A line marked "U" would read back as a changed entry of another record line: no entry.
    if (Field(list[i], 1) == "U") continue;
    const std::string local_name = Field(list[i], 3);
    size_t position = veyra::kNoRecordPosition;
    for (size_t j = 1; j < record.size(); ++j) {
      if (SameName(Field(record[j], 1), local_name)) {
        position = j;
        break;
      }
    }
    if (position != veyra::kNoRecordPosition) {
      if (!Newer(Field(list[i], 4), Field(record[position], 2))) continue;
      expected.queue.push_back("U " + std::to_string(position) + " " + list[i]);
    } else {
      expected.queue.push_back(list[i]);
    }
    expected.positions.push_back(position);
    if (local_name != "index2.html" && local_name != "images.unadf") {
      expected.names_to_show.push_back(local_name);
    }
  }
  return expected;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The list and the record, separated by the first NUL (which would end either text anyway).
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const size_t split = text.find('\0');
  const veyra::LineList list = veyra::SplitLines(text.substr(0, split));
  const veyra::LineList record_read =
      veyra::SplitLines(split == std::string_view::npos ? "" : text.substr(split + 1));

  veyra::LineList record = record_read;
  const veyra::QueueResult result = veyra::BuildQueue(list, record);
  veyra::LineList reference_record = record_read;
  const Expected expected = ReferenceScan(list, reference_record);

  FUZZ_CHECK(record == reference_record, "the record is prepared as the rule says");
  FUZZ_CHECK(result.queue == expected.queue, "the queue is the reference scan's");
  FUZZ_CHECK(result.names_to_show == expected.names_to_show, "the names shown are the scan's");

  for (size_t i = 0; i < result.queue.size(); ++i) {
    const veyra::QueueEntry entry = veyra::ParseQueueLine(result.queue[i]);
    const bool changed = expected.positions[i] != veyra::kNoRecordPosition;
    FUZZ_CHECK(entry.changed == changed, "a queue line tells whether it is a changed entry");
    FUZZ_CHECK(entry.record_position == expected.positions[i], "the record position reads back");
    const std::string& line = result.queue[i];
    const size_t first = changed ? 3 : 1;
    FUZZ_CHECK(entry.marker == Field(line, first) && entry.remote_name == Field(line, first + 1) &&
                   entry.local_name == Field(line, first + 2) &&
                   entry.version == Field(line, first + 3),
               "the entry's fields read back");
  }
  return 0;
}
