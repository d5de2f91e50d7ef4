#include "updater/records/update_rule.h"

#include <algorithm>

#include "updater/records/name_index.h"

namespace veyra {
namespace {

constexpr int kListLocalNameField = 3;
constexpr int kListVersionField = 4;
constexpr int kRecordVersionField = 2;

// The record lines after the header need at least one line for the comparison to reach.
void PrepareRecord(LineList& record) {
  if (record.empty()) record.emplace_back(kRecordHeader);
  if (record.size() == 1) record.emplace_back();
}

}  // namespace

QueueResult BuildQueue(const LineList& update_list, LineList& record) {
  PrepareRecord(record);
  const RecordNameIndex index(record);

  QueueResult result;
  for (size_t i = 1; i < update_list.size(); ++i) {
    const std::string& line = update_list[i];
    // A list line marked "U" is no entry: queued as it is, it would read as a changed entry and
    // replace the record line that it names.
    if (FieldView(line, 1) == "U") continue;
    const std::string_view local_name = FieldView(line, kListLocalNameField);
    const size_t position = index.Find(local_name);
    if (position == kNoRecordPosition) {
      result.queue.push_back(line);
    } else {
      const std::string_view recorded = FieldView(record[position], kRecordVersionField);
      if (!VersionIsNewer(FieldView(line, kListVersionField), recorded)) continue;
      result.queue.push_back(MakeChangedQueueLine(position, line));
    }
    if (!IsPageLocalName(local_name)) result.names_to_show.emplace_back(local_name);
  }
  return result;
}

bool VersionIsNewer(std::string_view list, std::string_view record) {
  return std::lexicographical_compare(
      record.begin(), record.end(), list.begin(), list.end(),
      [](char a, char b) { return static_cast<unsigned char>(a) < static_cast<unsigned char>(b); });
}

std::string MakeChangedQueueLine(size_t record_position, std::string_view list_line) {
  std::string line = "U " + std::to_string(record_position) + " ";
  line += list_line;
  return line;
}

namespace {

size_t ParsePosition(std::string_view text) {
  if (text.empty()) return kNoRecordPosition;
  size_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return kNoRecordPosition;
    const size_t digit = static_cast<size_t>(c - '0');
    if (value > (kNoRecordPosition - 1 - digit) / 10) return kNoRecordPosition;
    value = value * 10 + digit;
  }
  return value;
}

}  // namespace

QueueEntry ParseQueueLine(std::string_view line) {
  QueueEntry entry;
  int first = 1;
  if (GetField(line, 1) == "U") {
    entry.changed = true;
    entry.record_position = ParsePosition(GetField(line, 2));
    first = 3;
  }
  entry.marker = GetField(line, first);
  entry.remote_name = GetField(line, first + 1);
  entry.local_name = GetField(line, first + 2);
  entry.version = GetField(line, first + 3);
  return entry;
}

bool IsPageLocalName(std::string_view local_name) {
  return local_name == "index2.html" || local_name == "images.unadf";
}

bool IsPageRemoteName(std::string_view remote_name) {
  return remote_name == "index2.html" || remote_name == "images.adf";
}

}  // namespace veyra
