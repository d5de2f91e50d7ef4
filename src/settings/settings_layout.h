#pragma once

#include <string_view>

#include "window_rules/geometry.h"

// The game settings window TSetScreenFM: a framed window drawn from a background picture, with
// check marks that are shown or hidden over its choices and two picture buttons, OK and cancel.
namespace veyra::settings {

// The window's caption.
inline constexpr std::string_view kCaption = "VeyraOnline";

// Artwork, relative to the current folder. The background follows IsTraditionalLocale(): the
// Traditional picture there, the Simplified one on every other system.
inline constexpr const char* kTraditionalBackground = "Upimg\\colorform.bmp";
inline constexpr const char* kSimplifiedBackground = "Upimg\\colorforms.bmp";
inline constexpr const char* kCheckMarkPicture = "Upimg\\chkbtndn.bmp";
inline constexpr const char* kOkPicture = "Upimg\\CheckOK_1.jpg";
inline constexpr const char* kCancelPicture = "Upimg\\CheckOK_2.jpg";

// Where the controls go; each takes the size of its picture.
inline constexpr Point kImage1At{0, 0};      // background
inline constexpr Point kImage2At{53, 34};    // mark of full screen
inline constexpr Point kImage3At{53, 77};    // mark of window
inline constexpr Point kImage6At{53, 150};   // mark of full memory
inline constexpr Point kImage7At{53, 200};   // mark of half memory
inline constexpr Point kImage8At{53, 253};   // mark of short memory
inline constexpr Point kImage4At{40, 302};   // OK
inline constexpr Point kImage5At{180, 302};  // cancel

// The answer to the two memory choices that are not open yet ("本功能暫不開放"), in Big5. It is
// shown as Traditional Chinese whatever the display language.
inline constexpr std::string_view kClosedChoiceMessage =
    "\xA5\xBB\xA5\x5C\xAF\xE0\xBC\xC8\xA4\xA3\xB6\x7D\xA9\xF1";

}  // namespace veyra::settings
