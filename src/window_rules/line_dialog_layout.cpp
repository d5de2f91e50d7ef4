#include "window_rules/line_dialog_layout.h"

#include "text/language.h"

namespace veyra::line_dialog {

const PictureSet& LineDialogPictureSet(std::string_view language_code) {
  return ArtSuffix(language_code) == 's' ? kSimplifiedSet : kTraditionalSet;
}

}  // namespace veyra::line_dialog
