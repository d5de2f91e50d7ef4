#pragma once

#include <cstdint>
#include <string>

#include "updater/records/lines.h"

namespace veyra {

// The values of UpdateState, the progress of one update run.
enum class UpdateStage : int32_t {
  kNoListYet = 0,        // no update list received yet
  kListReceived = 1,     // a download has succeeded: the update list
  kNothingToUpdate = 2,  // the list asked for nothing but the news page
  kMainPassRunning = 3,  // the transfer progress is shown only now
  kMainPassEnded = 4,
};

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

struct LabelState {
  std::string text;  // byte text in the display language
  bool visible = false;
  int left = 0;
  int top = 0;
};

// Everything of the updater window that the update run changes. The Qt window draws it; the
// headless updater prints it. Texts are byte texts in the display language.
struct UpdaterWindowState {
  LineList ListBox1;            // names still to update
  LineList ListBox2;            // names updated in this run
  LabelState Label3;            // status line
  LabelState Label4;            // progress text under the gauge
  GaugeState Gauge1;            // transfer gauge
  bool Image3Visible = false;   // start-game picture
  bool Button1Enabled = false;  // the main pass may be started
  std::string StatusBar1;       // hidden status bar text
};

// Layout numbers the run relies on (client pixels of the updater window).
inline constexpr int kStatusLineLeft = 40;
inline constexpr int kStatusLineTop = 469;
inline constexpr int kGaugeLeft = 37;
inline constexpr int kGaugeTop = 499;
inline constexpr int kGaugeWidth = 545;
inline constexpr int kGaugeHeight = 25;
inline constexpr int kProgressLabelTop = kGaugeTop + 2;

}  // namespace veyra
