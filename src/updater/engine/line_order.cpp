#include "updater/engine/line_order.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <random>

#include "platform/decimal.h"

namespace veyra {
namespace {

constexpr int64_t kShortestStallLimitMs = 1000;
constexpr int64_t kLongestStallLimitMs = 300000;
constexpr int kDefaultStallLimitMs = 60000;

}  // namespace

RandomPick ClockSeededRandomPick() {
  auto generator = std::make_shared<std::mt19937>(static_cast<std::mt19937::result_type>(
      std::chrono::steady_clock::now().time_since_epoch().count()));
  return [generator](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(*generator);
  };
}

LineList BuildLineOrder(const LineList& web0_lines, int item_count, int selected_index,
                        const RandomPick& pick) {
  const size_t count = std::min(web0_lines.size(), static_cast<size_t>(std::max(item_count, 0)));
  LineList scratch(web0_lines.begin(), web0_lines.begin() + static_cast<ptrdiff_t>(count));
  LineList order;
  if (selected_index >= 0 && selected_index != item_count - 1 &&
      selected_index < static_cast<int>(scratch.size())) {
    order.push_back(scratch[static_cast<size_t>(selected_index)]);
    scratch.erase(scratch.begin() + selected_index);
  }
  // Never pick the last remaining line while others remain: the closing line stays last.
  const size_t rounds = scratch.size();
  for (size_t round = 0; round < rounds; ++round) {
    const int high = static_cast<int>(scratch.size()) - 2;
    const int position = high > 0 ? pick(0, high) : 0;
    order.push_back(scratch[static_cast<size_t>(position)]);
    scratch.erase(scratch.begin() + position);
  }
  return order;
}

HostInfo ParseHostLine(std::string_view line) {
  HostInfo info;
  info.name = GetField(line, 1);
  info.address = GetField(line, 2);
  info.port = ParseDecimal(GetField(line, 3)).value_or(0);
  info.timeout = ParseDecimal(GetField(line, 4)).value_or(0);
  info.text = GetField(line, 5);
  return info;
}

int StallLimitMs(int64_t line_timeout_ms) {
  if (line_timeout_ms < kShortestStallLimitMs || line_timeout_ms > kLongestStallLimitMs) {
    return kDefaultStallLimitMs;
  }
  return static_cast<int>(line_timeout_ms);
}

}  // namespace veyra
