#pragma once

#include <cstdint>
#include <string>

namespace veyra {

// A progress bar with integer bounds. Progress always stays within MinValue..MaxValue: a larger
// value is stored as MaxValue, a smaller one as MinValue, and lowering MaxValue below Progress
// lowers Progress with it.
class GaugeState {
 public:
  int64_t MinValue() const { return min_; }
  int64_t MaxValue() const { return max_; }
  int64_t Progress() const { return progress_; }
  void SetMinValue(int64_t value);
  void SetMaxValue(int64_t value);
  void SetProgress(int64_t value);
  // Whole percentage shown on the bar; 0 when the bounds are equal.
  int Percent() const;

  bool visible = false;

 private:
  int64_t min_ = 0;
  int64_t max_ = 100;
  int64_t progress_ = 0;
};

// A text label that a window draws where the state puts it (client pixels).
struct LabelState {
  std::string text;  // byte text in the display language
  bool visible = false;
  int left = 0;
  int top = 0;
};

}  // namespace veyra
