#pragma once

#include <array>
#include <string_view>

#include "updater/dialogs/updater_caption.h"
#include "window_rules/colour.h"
#include "window_rules/geometry.h"
#include "window_rules/picture_button_layout.h"

// The updater window TForm1 as its creation lays it out (client pixels), with the places the
// update run itself moves things to (status line, progress label), which the engine takes from
// here.
namespace veyra::updater_window {

inline constexpr std::string_view kCaption = kUpdaterCaption;
// Captions set along the creation, so that a creation that stops early shows how far it got.
inline constexpr std::array<std::string_view, 6> kCheckpointCaptions{"Ue1", "Ue2", "Ue3",
                                                                     "Ue4", "Ue5", "Ue6"};

// The window's size; it is centred on the screen with it (CentredOnScreen) and then raised by
// the launcher.
inline constexpr Size kWindowSize{628, 479};
inline constexpr std::string_view kWindowFont = "新細明體";

// Background Image1: picture "0" at the origin, in the size of its picture.
inline constexpr std::string_view kImage1Picture = "0";
inline constexpr Point kImage1At{0, 0};

inline constexpr Rect kWebBrowser1{268, 52, 324, 422};  // shows index2.html
inline constexpr Rect kListBox1{34, 67, 207, 183};      // names still to update
inline constexpr Rect kListBox2{34, 281, 207, 183};     // names updated in this run
inline constexpr std::string_view kListFont = "Courier New";

// Status line Label3: transparent, yellow, hidden until the run shows it.
inline constexpr Point kLabel3At{40, 469};
inline constexpr std::string_view kLabel3Font = "標楷體";
inline constexpr int kLabel3FontHeight = 20;
inline constexpr Rgb kLabel3Colour = kYellow;

// Transfer gauge Gauge1: black, with a bar of kGauge1BarColour.
inline constexpr Rect kGauge1{37, 499, 545, 25};
inline constexpr Rgb kGauge1Background = kBlack;
inline constexpr Rgb kGauge1BarColour{0, 74, 211};

// Image5: an empty transparent picture over the gauge (white is transparent); its top is the
// progress label's reference line.
inline constexpr Point kImage5At{kGauge1.left, kGauge1.top};
inline constexpr Rgb kImage5TransparentColour = kWhite;
// During the main pass the progress label sits 2 pixels below Image5's top, centred on the gauge.
inline constexpr int kLabel4ProgressTop = kImage5At.top + 2;

// Progress label Label4: transparent, yellow, sized to its caption. At creation it sits at this
// top, centred on the background picture: left = CentredOffset(Image1 width, Label4 width).
inline constexpr int kLabel4Top = 502;
inline constexpr int kLabel4FontHeight = 15;
inline constexpr Rgb kLabel4Colour = kYellow;

// The picture buttons, in stacking order from the bottom: the start-game picture, hidden until
// the update is complete, then covers the start-update picture completely.
inline constexpr PictureButtonLayout kImage2{
    "Image2", "1-1", "1-2", {{117, 528}, Size{90, 26}}, ButtonTrigger::kRelease, false};
inline constexpr PictureButtonLayout kImage3{
    "Image3", "2-1", "2-2", {{80, 528}, Size{129, 26}}, ButtonTrigger::kClick, false};
inline constexpr PictureButtonLayout kImage6{
    "Image6", "5-1", "5-2", {{265, 528}, std::nullopt}, ButtonTrigger::kRelease, true};
inline constexpr PictureButtonLayout kImage4{
    "Image4", "3-1", "3-2", {{412, 528}, Size{90, 26}}, ButtonTrigger::kClick, false};

// Hidden controls that still have places.
inline constexpr Point kButton1At{136, 368};  // "開始更新": its enabled state guards the main pass
inline constexpr Point kButton4At{488, 368};  // "結束離開"
inline constexpr Rect kStatusBar1{0, 0, 1, 1};

}  // namespace veyra::updater_window
