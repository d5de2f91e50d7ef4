#include "text/cvcode.h"

#include <array>

namespace veyra {
namespace {

constexpr uint8_t kFirstLead = 0xA1;
constexpr int kTrailsPerLead = 157;
constexpr int kLowTrailCount = 63;  // 0x40..0x7E
// The byte that stands in for the missing second byte of a pair at the end of the text.
constexpr uint8_t kPastEnd = 0x20;

// Offset of every byte within a lead byte's 157 trail positions, -1 for bytes that are no trail.
constexpr auto kTrailOffsets = [] {
  std::array<int16_t, 256> offsets{};
  for (int byte = 0; byte < 256; ++byte) {
    if (byte >= 0x40 && byte <= 0x7E) {
      offsets[byte] = int16_t(byte - 0x40);
    } else if (byte >= 0xA1 && byte <= 0xFE) {
      offsets[byte] = int16_t(kLowTrailCount + byte - 0xA1);
    } else {
      offsets[byte] = -1;
    }
  }
  return offsets;
}();

}  // namespace

int Big5Index(uint8_t lead, uint8_t trail) {
  if (lead < kFirstLead) return -1;
  const int trail_offset = kTrailOffsets[trail];
  if (trail_offset < 0) return -1;
  return (lead - kFirstLead) * kTrailsPerLead + trail_offset;
}

std::string Big5ToGB(std::string_view big5) {
  const size_t size = big5.size();
  const auto* in = reinterpret_cast<const uint8_t*>(big5.data());
  std::string result(size, '\0');
  auto* out = reinterpret_cast<uint8_t*>(result.data());

  size_t i = 0;
  while (i < size) {
    const uint8_t lead = in[i];
    const int trail_offset = kTrailOffsets[i + 1 < size ? in[i + 1] : kPastEnd];
    // A lead of 0xFF is no table position: its pair is copied like any other non-character.
    if (lead < kFirstLead || lead == 0xFF || trail_offset < 0) {
      out[i++] = lead;
      continue;
    }
    const uint16_t entry = Big5ToGBTable[(lead - kFirstLead) * kTrailsPerLead + trail_offset];
    out[i] = static_cast<uint8_t>(entry >> 8);
    out[i + 1] = static_cast<uint8_t>(entry & 0xFF);
    i += 2;
  }
  return result;
}

}  // namespace veyra
