#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "updater/records/lines.h"

namespace veyra {

// Finds the first installation record line (after the header) whose name, field 1, equals a
// given name ignoring ASCII letter case, in constant time on average. The index refers to
// the record: the record must outlive it and stay unchanged while it is used.
class RecordNameIndex {
 public:
  explicit RecordNameIndex(const LineList& record);

  // The position (counted from 0, header included) of the first record line with the name,
  // or kNoRecordPosition when no line after the header has it.
  size_t Find(std::string_view name) const;

 private:
  // Kept small (no name view) so that large tables stay cache friendly.
  struct Slot {
    uint64_t hash = 0;
    size_t position = 0;  // 0: empty (the header is never indexed)
  };
  // The index of the slot holding `name`, or of the empty slot where it would go.
  size_t Probe(std::string_view name, uint64_t hash) const;

  const LineList& record_;
  std::vector<Slot> slots_;
  size_t mask_ = 0;
};

}  // namespace veyra
