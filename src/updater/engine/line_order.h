#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "updater/records/lines.h"

namespace veyra {

// Picks a uniform random integer in [low, high].
using RandomPick = std::function<int(int low, int high)>;

// A RandomPick on a generator seeded from the clock.
RandomPick ClockSeededRandomPick();

// The order in which the server lines are tried: the chosen line first (unless the chosen
// position is the no-preference item, the last of `item_count` items), then the other lines in
// random order, the closing line of web0.dat always last. `web0_lines` is the whole web0.dat;
// only its first `item_count` lines take part (fewer when the file is shorter).
LineList BuildLineOrder(const LineList& web0_lines, int item_count, int selected_index,
                        const RandomPick& pick);

// One server line of web0.dat: name, base address, port and time-out. A port or time-out that is
// not a decimal number reads as 0. The port does not reach the requests (the base address names
// theirs); the time-out becomes their stall limit (StallLimitMs).
struct HostInfo {
  std::string name;
  std::string address;
  int64_t port = 0;
  int64_t timeout = 0;
  std::string text;
};
HostInfo ParseHostLine(std::string_view line);

// The stall limit of requests on a line, in milliseconds: the line's time-out when it lies
// between 1 s and 5 min, else one minute (a time-out of 0 or 50 ms would fail every request, one
// of days would let a stalled server hold the updater).
int StallLimitMs(int64_t line_timeout_ms);

}  // namespace veyra
