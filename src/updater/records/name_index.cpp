#include "updater/records/name_index.h"

#include <bit>

#include "platform/ascii_case.h"
#include "updater/records/update_rule.h"

namespace veyra {
namespace {

constexpr int kRecordNameField = 1;

// FNV-1a over the lowercased bytes, so names differing only in ASCII case hash alike.
uint64_t HashIgnoringAsciiCase(std::string_view text) {
  uint64_t hash = 14695981039346656037ull;
  for (char c : text) {
    hash ^= static_cast<unsigned char>(AsciiLower(c));
    hash *= 1099511628211ull;
  }
  return hash;
}

}  // namespace

RecordNameIndex::RecordNameIndex(const LineList& record) : record_(record) {
  // At most half full, so probe runs stay short.
  slots_.resize(std::bit_ceil(2 * record.size() + 2));
  mask_ = slots_.size() - 1;
  for (size_t pos = 1; pos < record.size(); ++pos) {
    const std::string_view name = FieldView(record[pos], kRecordNameField);
    const uint64_t hash = HashIgnoringAsciiCase(name);
    Slot& slot = slots_[Probe(name, hash)];
    if (slot.position == 0) slot = {hash, pos};  // a later duplicate never replaces it
  }
}

size_t RecordNameIndex::Find(std::string_view name) const {
  const Slot& slot = slots_[Probe(name, HashIgnoringAsciiCase(name))];
  return slot.position == 0 ? kNoRecordPosition : slot.position;
}

size_t RecordNameIndex::Probe(std::string_view name, uint64_t hash) const {
  for (size_t i = hash & mask_;; i = (i + 1) & mask_) {
    const Slot& slot = slots_[i];
    if (slot.position == 0) return i;
    if (slot.hash == hash &&
        EqualsIgnoringAsciiCase(FieldView(record_[slot.position], kRecordNameField), name)) {
      return i;
    }
  }
}

}  // namespace veyra
