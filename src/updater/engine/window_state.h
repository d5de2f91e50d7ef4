#pragma once

#include <cstdint>
#include <string>

#include "updater/records/lines.h"
#include "window_rules/control_state.h"

namespace veyra {

// The values of UpdateState, the progress of one update run.
enum class UpdateStage : int32_t {
  kNoListYet = 0,        // no update list received yet
  kListReceived = 1,     // a download has succeeded: the update list
  kNothingToUpdate = 2,  // the list asked for nothing but the news page
  kMainPassRunning = 3,  // the transfer progress is shown only now
  kMainPassEnded = 4,
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

}  // namespace veyra
