#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace veyra {

// Number of positions in the Big5 double-byte code space: 94 lead bytes (0xA1..0xFE) times 157
// trail bytes (0x40..0x7E, then 0xA1..0xFE).
inline constexpr int kBig5TableSize = 14758;

// GB2312 code (first byte high, second byte low) of the Simplified counterpart of every Big5
// position, in Big5Index order. 0x2020 (two spaces) marks a position without a counterpart.
extern const uint16_t Big5ToGBTable[kBig5TableSize];

// The position of the Big5 pair (lead, trail): (lead - 0xA1) * 157 plus (trail - 0x40) for a
// trail in 0x40..0x7E, or plus 63 + (trail - 0xA1) for a trail in 0xA1..0xFE. -1 when the pair is
// not a Big5 character (lead below 0xA1, or trail outside both ranges). A lead of 0xFF gives a
// position at or beyond kBig5TableSize, which has no table entry.
int Big5Index(uint8_t lead, uint8_t trail);

// Converts Big5 text to GB2312 text of the same length. Each Big5 character with a table position
// becomes the two bytes of its entry; every other byte (ASCII, a lead byte without a valid trail,
// a final lone lead byte, a 0xFF lead) is copied unchanged. Never fails.
std::string Big5ToGB(std::string_view big5);

}  // namespace veyra
