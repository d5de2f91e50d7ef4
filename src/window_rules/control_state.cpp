#include "window_rules/control_state.h"

#include <algorithm>

namespace veyra {

void GaugeState::SetMinValue(int64_t value) {
  min_ = value;
  if (max_ < min_) max_ = min_;
  progress_ = std::clamp(progress_, min_, max_);
}

void GaugeState::SetMaxValue(int64_t value) {
  max_ = value;
  if (min_ > max_) min_ = max_;
  progress_ = std::clamp(progress_, min_, max_);
}

void GaugeState::SetProgress(int64_t value) {
  progress_ = std::clamp(value, min_, max_);
}

int GaugeState::Percent() const {
  if (max_ == min_) return 0;
  return static_cast<int>(100 * (progress_ - min_) / (max_ - min_));
}

}  // namespace veyra
