#pragma once

#include <cstddef>
#include <limits>
#include <string>
#include <string_view>

#include "updater/records/lines.h"

namespace veyra {

// The header line of a newly created installation record (update2.dat).
inline constexpr std::string_view kRecordHeader = "AVWSEN";

// The record position of a queue line that carries none (a new entry), and of a changed-entry
// line whose position is not a decimal number: no record line has it.
inline constexpr size_t kNoRecordPosition = std::numeric_limits<size_t>::max();

struct QueueResult {
  LineList queue;          // queue lines, in update list order
  LineList names_to_show;  // local names of the queued entries, without the news page's own
};

// Decides which update list entries need applying. The first line of each list is a header.
// For every list line (marker, remote name, local name, version) the first record line
// (local name, version) whose name equals the local name, ignoring ASCII letter case, decides:
// a list version newer than the recorded one queues a changed-entry line
// (MakeChangedQueueLine); an equal or older one queues nothing; no matching record line queues
// the list line unchanged as a new entry. A list line whose marker is "U" is no entry: it would
// read as a changed-entry line. Queued local names go to names_to_show unless
// IsPageLocalName. A record holding only its header gets one empty line appended; an empty
// record gets the header kRecordHeader and then the empty line. Runs in time linear in the
// sizes of both lists.
QueueResult BuildQueue(const LineList& update_list, LineList& record);

// True when the list version is greater than the recorded one, comparing bytes as unsigned
// values from the first; of two texts where one is a prefix of the other the shorter is smaller.
bool VersionIsNewer(std::string_view list, std::string_view record);

// The queue line of a changed entry: "U ", the decimal record position (counted from 0, header
// included), one space, and the update list line.
std::string MakeChangedQueueLine(size_t record_position, std::string_view list_line);

// One queue line taken apart.
struct QueueEntry {
  bool changed = false;                        // a "U" line
  size_t record_position = kNoRecordPosition;  // record line to replace, for changed entries
  std::string marker, remote_name, local_name, version;
};

// Parses a queue line. When field 1 is "U" the line is a changed entry: field 2 is the record
// position and fields 3..6 are marker, remote name, local name and version. A position that is
// not a plain decimal number (or too large) reads as kNoRecordPosition. Otherwise the line is a
// new entry with fields 1..4 and record_position kNoRecordPosition.
QueueEntry ParseQueueLine(std::string_view line);

// The news page and its picture archive, by local name ("index2.html", "images.unadf") and by
// remote name ("index2.html", "images.adf"). Exact comparisons, letter case included.
bool IsPageLocalName(std::string_view local_name);
bool IsPageRemoteName(std::string_view remote_name);

// An entry of the news page, which the page pass applies at once and the main pass skips.
inline bool IsPageEntry(const QueueEntry& entry) {
  return IsPageRemoteName(entry.remote_name);
}

}  // namespace veyra
