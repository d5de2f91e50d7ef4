#pragma once

#include <string>

#include "updater/dialogs/updater_caption.h"
#include "updater/records/lines.h"

namespace veyra {

// The network line dialog without its pictures. Creation reads web0.dat and isp1.dat from the
// program folder; the window (or the headless updater) shows ListBox1, lets the player select,
// and calls Confirm().
class LineDialogModel {
 public:
  // Loads everything, as the dialog's creation does. `language_code` decides the text of the
  // no-preference item. Reading web0.dat retries (and lets messages run) before giving up.
  explicit LineDialogModel(const std::string& language_code);

  // web0.dat could be read; when false the dialog must not be shown.
  bool Web0Read() const { return web0_read_; }

  // Visible items: field 1 of every line of ListBox2 but the last, then the no-preference item.
  const LineList& ListBox1() const { return list_box1_; }
  // The lines of web0.dat up to the first closing line "end", without empty lines.
  const LineList& ListBox2() const { return list_box2_; }

  int SelectedIndex() const { return selected_; }
  // Selects an item; a position that is not an item is ignored.
  void Select(int index);

  // Writes isp1.dat (the selected position in decimal, CR, LF, nothing else); a failure to write
  // is ignored, the choice still applies to this run.
  void Confirm() const;

  static constexpr std::string_view kCaption = kUpdaterCaption;

 private:
  void PreselectFromIsp1();

  bool web0_read_ = false;
  LineList list_box1_;
  LineList list_box2_;
  int selected_ = -1;
};

}  // namespace veyra
