#include "window_rules/agreement_rules.h"

#include "platform/ascii_case.h"
#include "platform/paths.h"

namespace veyra::agreement {

AgreementPlaces AgreementWindowPlaces(Size screen) {
  AgreementPlaces places;
  places.window = {0, 0, screen.width, screen.height - 20};
  const int width = places.window.width;
  const int height = places.window.height;
  places.browser = {5, 5, width - 20, height - 80};
  // The buttons meet around the window's middle, 20 pixels apart; "div" is integer division.
  places.agree_button = {width / 2 - kButtonSize.width - 10, height - 65, kButtonSize.width,
                         kButtonSize.height};
  places.decline_button = {width / 2 + 10, height - 65, kButtonSize.width, kButtonSize.height};
  return places;
}

FullScreenBrowserPlaces FmWebPlaces(Size screen, Rect work_area) {
  return {work_area, {0, 0, screen.width, screen.height}};
}

std::filesystem::path AgreementPagePath(std::string application_folder) {
  // Either separator ends a folder: MapPath reads a backslash as one on every system.
  if (application_folder.empty() ||
      (application_folder.back() != '/' && application_folder.back() != '\\')) {
    application_folder += kFolderSeparator;
  }
  std::filesystem::path page = MapPath(application_folder + kAgreementPage);
  page.make_preferred();
  return page;
}

bool TDummy::PageClickCloses(const PageClick& click) {
  if (!click.document_held || !click.source_outer_html) return false;
  // Only A-Z are lowered: other bytes, the halves of double-byte characters among them, stay.
  return AsciiLowered(*click.source_outer_html).find(AsciiLowered(kCloseMarker)) !=
         std::string::npos;
}

HResult TEventObject::Invoke(std::int32_t dispatch_id) {
  if (dispatch_id != 0) return HResult::kNotImplemented;
  if (handler_) handler_();
  return HResult::kOk;
}

}  // namespace veyra::agreement
