#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "window_rules/geometry.h"

// The service agreement window TLinkToOfficeFM and the full-screen browser window TFmWeb: their
// texts, places and the rule that lets the agreement page close its own window.
namespace veyra::agreement {

// The window's caption and its two buttons' captions (UTF-8).
inline constexpr const char* kAgreementCaption = "VeyraOnline合約說明";
inline constexpr const char* kAgreeCaption = "我同意";
inline constexpr const char* kDeclineCaption = "不同意";

// The agreement page, in the application folder.
inline constexpr const char* kAgreementPage = "index.htm";

// Where the agreement page of `application_folder` lies (a separator is added when missing). The
// name is matched ignoring letter case, as on the game's own file system, so "Index.HTM" is the
// page too; without any such file, the path of "index.htm" (the browser then shows its own
// page for a missing file).
std::filesystem::path AgreementPagePath(std::string application_folder);

// Text that, anywhere in the markup of the clicked element, makes the click close the window.
inline constexpr const char* kCloseMarker = "CloseLinkToOfficeFM";

// The built-in web addresses; --home-url and --account-url replace them.
inline constexpr const char* kDefaultHomePageUrl = "https://www.veyraonline.example/";
inline constexpr const char* kDefaultAccountSiteUrl = "https://account.veyraonline.example/";

inline constexpr Size kButtonSize{113, 25};

// Where the agreement window and its controls go on a screen of `screen` size. The window sits
// at the screen's top-left corner, as wide as the screen and 20 pixels less high; the browser
// and the buttons are placed relative to the window's size.
struct AgreementPlaces {
  Rect window;          // on the screen
  Rect browser;         // WebBrowser1, in the window
  Rect agree_button;    // Button1 "我同意", in the window
  Rect decline_button;  // Button3 "不同意", in the window
};
AgreementPlaces AgreementWindowPlaces(Size screen);

// Where the full-screen browser window TFmWeb and its browser go. The window is made as large as
// the screen and centred, then aligned to fill the screen's work area, which is where it ends; the
// browser, placed outside the window's layout, stays as large as the screen from the window's
// corner.
struct FullScreenBrowserPlaces {
  Rect window;   // on the screen
  Rect browser;  // Web, in the window
};
FullScreenBrowserPlaces FmWebPlaces(Size screen, Rect work_area);

// The page-click check's view of one click: whether the window holds the page's document, and
// the markup (outerHTML, as 8-bit text) of the innermost element clicked, when there is one.
struct PageClick {
  bool document_held = false;
  std::optional<std::string> source_outer_html;
};

// Holder of the page-click check; it has no state of its own.
class TDummy {
 public:
  // True when the click must close the agreement window: a document is held, the clicked
  // element is known and its markup contains kCloseMarker, compared with only A-Z lowered.
  // A click without a document or without a source element is ignored (false).
  static bool PageClickCloses(const PageClick& click);
};

// Result codes of the page's event sink, with the platform's values.
enum class HResult : std::uint32_t {
  kOk = 0,                        // S_OK
  kNotImplemented = 0x80004001u,  // E_NOTIMPL
};

// The click sink hung on the page's click event: one handler, run for dispatch id 0, which the
// page uses for every click. It describes itself to no one.
class TEventObject {
 public:
  using Handler = std::function<void()>;

  explicit TEventObject(Handler handler = {}) : handler_(std::move(handler)) {}

  HResult GetTypeInfoCount() const { return HResult::kNotImplemented; }
  HResult GetTypeInfo() const { return HResult::kNotImplemented; }
  HResult GetIDsOfNames() const { return HResult::kNotImplemented; }
  // Dispatch id 0 runs the handler, if one is set, and answers kOk; any other id is refused
  // with kNotImplemented without running it.
  HResult Invoke(std::int32_t dispatch_id);

 private:
  Handler handler_;
};

}  // namespace veyra::agreement
