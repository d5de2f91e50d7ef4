#include "ui/win32/updater/tform1.h"

#include <tuple>

#include "platform/paths.h"
#include "platform/support_log.h"
#include "platform/text_codec.h"
#include "platform/windows/wide_text.h"
#include "ui/win32/base/message_boxes.h"
#include "ui/win32/base/message_loop.h"
#include "ui/win32/base/painting.h"
#include "ui/win32/dialogs/tform2.h"
#include "ui/win32/dialogs/tform3.h"
#include "ui/win32/updater/gauge_painting.h"
#include "ui/win32/updater/pass_gap_report.h"
#include "ui/win32/updater/updater_pictures.h"
#include "window_rules/gauge_drawing.h"
#include "window_rules/updater_window_layout.h"

namespace veyra::win32 {
namespace {

namespace layout = updater_window;

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_BORDER | WS_CLIPCHILDREN;
constexpr UINT kStartDriver = WM_APP + 1;
constexpr int kListBox1Id = 101;
constexpr int kListBox2Id = 102;
constexpr int kButton1Id = 103;
constexpr int kButton4Id = 104;
// The form's font size where a control's own is not set.
constexpr int kFormFontPixels = 12;

RECT ToRect(const Rect& rect) {
  return {rect.left, rect.top, rect.left + rect.width, rect.top + rect.height};
}

}  // namespace

TForm1::TForm1(const std::vector<std::string>& program_arguments, std::string language_code)
    : language_code_(std::move(language_code)), engine_(*this, language_code_) {
  CreateHandle(L"TForm1", kStyle, 0, L"",
               {0, 0, layout::kWindowSize.width, layout::kWindowSize.height}, nullptr);
  BuildControls();
  try {
    FormCreate(program_arguments);
  } catch (const std::exception& error) {
    // A failing step ends the creation there; the caption shows how far it got.
    Log(std::string("creation ended: ") + error.what());
  }
}

TForm1::~TForm1() = default;

void TForm1::BuildControls() {
  // As designed, in stacking order from the bottom; the creation steps load the game folder's
  // pictures and place everything.
  image1_ = pictures_.Add(PictureControlAt(layout::kImage1At));
  image2_ = AddPictureButton(pictures_, layout::kImage2, this, &TForm1::Image2MouseDown,
                             &TForm1::Image2MouseUp);
  image3_ = AddPictureButton(pictures_, layout::kImage3, this, &TForm1::Image3MouseDown,
                             &TForm1::Image3MouseUp);
  Control(image3_).visible = false;
  Control(image3_).on_click = [this] { engine_.Image3Click(); };
  image6_ = AddPictureButton(pictures_, layout::kImage6, this, &TForm1::Image6MouseDown,
                             &TForm1::Image6MouseUp);
  image4_ = AddPictureButton(pictures_, layout::kImage4, this, &TForm1::Image4MouseDown,
                             &TForm1::Image4MouseUp);
  Control(image4_).on_click = [this] { engine_.Button4Click(); };

  button1_ = HiddenButton(L"\u958b\u59cb\u66f4\u65b0", layout::kButton1At, kButton1Id);  // 開始更新
  button4_ = HiddenButton(L"\u7d50\u675f\u96e2\u958b", layout::kButton4At, kButton4Id);  // 結束離開
  EnableWindow(button1_, FALSE);
  list_box1_ = std::make_unique<ListBox>(handle(), layout::kListBox1, kListBox1Id);
  list_box2_ = std::make_unique<ListBox>(handle(), layout::kListBox2, kListBox2Id);
  label3_font_ = Font(layout::kLabel3Font, kFormFontPixels);
  label4_font_ = Font(layout::kWindowFont, kFormFontPixels);
  // As designed: the empty gauge with its label shows from the start.
  engine_.window().Gauge1.visible = true;
}

HWND TForm1::HiddenButton(const wchar_t* caption, Point at, int id) const {
  return CreateWindowExW(0, L"BUTTON", caption, WS_CHILD | BS_PUSHBUTTON, at.left, at.top, 75, 25,
                         handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleW(nullptr), nullptr);
}

void TForm1::SetCaption(std::string_view caption) {
  SetWindowTextW(handle(), WideFromUtf8(caption).c_str());
}

void TForm1::FormCreate(const std::vector<std::string>& program_arguments) {
  SetCaption(layout::kCheckpointCaptions[0]);
  web_browser1_ = BrowserControl::Create(handle(), ToRect(layout::kWebBrowser1));
  if (web_browser1_) web_browser1_->Navigate(WideFromUtf8(ProgramFolder() + "index2.html"));

  // The engine's creation takes the login parameters, resets its state and makes the program
  // folder the current folder; it arms the driver too, which waits for the end of a complete
  // creation here.
  SetCaption(layout::kCheckpointCaptions[1]);
  engine_.FormCreate(program_arguments);
  engine_.DriverArmed = false;

  const Font list_font(layout::kListFont, kFormFontPixels);
  list_box1_->SetFont(list_font);
  list_box2_->SetFont(list_font);

  SetCaption(layout::kCheckpointCaptions[2]);
  label4_font_ = Font(layout::kWindowFont, layout::kLabel4FontHeight);
  LabelState& progress = engine_.window().Label4;
  progress.text = "0% ";
  progress.visible = true;
  progress.top = layout::kLabel4Top;
  // Centred on the background picture; until it is loaded, on the designed window.
  progress.left = CentredOffset(layout::kWindowSize.width, ProgressTextWidth(progress.text));

  FitClientTo(layout::kWindowSize);
  const Point at = CentredOnScreen(layout::kWindowSize,
                                   {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
  SetWindowPos(handle(), nullptr, at.left, at.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);

  SetCaption(layout::kCheckpointCaptions[3]);
  SetCaption(layout::kCheckpointCaptions[4]);
  StateChanged(engine_.window(), engine_.UpdateState);

  SetCaption(layout::kCheckpointCaptions[5]);
  if (!LoadCreationPictures()) return;  // stops here: no pictures, no driver
  LayOut();

  engine_.DriverArmed = true;
  SetCaption(layout::kCaption);
  bar_colour_ = layout::kGauge1BarColour;
}

bool TForm1::LoadCreationPictures() {
  const struct {
    PictureId control;
    std::string_view picture;
  } pictures[] = {
      {image1_, layout::kImage1Picture},   {image2_, layout::kImage2.released},
      {image3_, layout::kImage3.released}, {image4_, layout::kImage4.released},
      {image6_, layout::kImage6.released},
  };
  for (const auto& entry : pictures) {
    try {
      Control(entry.control).picture = LoadUpdaterPicture(entry.picture, language_code_);
    } catch (const std::exception& error) {
      Log(error.what());
      return false;
    }
  }
  // The client area takes the size of its contents: in practice the background picture.
  const Size background = Control(image1_).picture.size();
  FitClientTo(background);
  LabelState& progress = engine_.window().Label4;
  progress.left = CentredOffset(background.width, ProgressTextWidth(progress.text));
  return true;
}

void TForm1::LayOut() {
  label3_font_ = Font(layout::kLabel3Font, layout::kLabel3FontHeight);
  StateChanged(engine_.window(), engine_.UpdateState);
  InvalidateRect(handle(), nullptr, FALSE);
}

void TForm1::FitClientTo(Size size) {
  RECT frame{0, 0, size.width, size.height};
  AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
  SetWindowPos(handle(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

Point TForm1::WindowCorner() const {
  RECT frame;
  GetWindowRect(handle(), &frame);
  return {frame.left, frame.top};
}

void TForm1::Paint(HDC dc) const {
  RECT client;
  GetClientRect(handle(), &client);
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  pictures_.Paint(dc);
  if (shown_.Gauge1.visible) PaintGauge(dc, layout::kGauge1, shown_.Gauge1, bar_colour_);
  for (const auto& [label, font, colour] :
       {std::tuple{&shown_.Label4, &label4_font_, layout::kLabel4Colour},
        std::tuple{&shown_.Label3, &label3_font_, layout::kLabel3Colour}}) {
    if (!label->visible) continue;
    DrawLabel(dc, *font, colour, {label->left, label->top},
              DisplayText(language_code_, label->text));
  }
}

void TForm1::RunFormClose() {
  if (form_closed_) return;
  form_closed_ = true;
  engine_.FormClose();
}

LRESULT TForm1::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (const auto painted = HandlePaintMessage(handle(), message, [this](HDC dc) { Paint(dc); }))
    return *painted;
  switch (message) {
    case WM_SHOWWINDOW:
      // The driver opens the line dialog and runs for a long time: it starts from the message
      // loop once the window is on screen, not inside the showing itself.
      if (wparam && !driver_started_ && engine_.DriverArmed) {
        driver_started_ = true;
        PostMessageW(handle(), kStartDriver, 0, 0);
      }
      break;
    case kStartDriver:
      engine_.FormResize();
      return 0;
    case WM_CLOSE:
      CloseWindow();
      return 0;
    case WM_COMMAND:
      if (LOWORD(wparam) == kButton4Id) engine_.Button4Click();
      if (LOWORD(wparam) == kButton1Id) engine_.StartPictureClicked();
      return 0;
    default:
      if (pictures_.HandleMouse(handle(), message, lparam)) return 0;
      break;
  }
  return Window::HandleMessage(message, wparam, lparam);
}

// --- The picture buttons ----------------------------------------------------------------------

void TForm1::ShowPicture(PictureId id, const PictureButtonLayout& button, std::string_view base) {
  ShowButtonPicture(Control(id).picture, button, base, language_code_);
  RepaintNow(handle());
}

void TForm1::Image2MouseDown() {
  ShowPicture(image2_, layout::kImage2, layout::kImage2.pressed);
}

void TForm1::Image2MouseUp() {
  ShowPicture(image2_, layout::kImage2, layout::kImage2.released);
  const PassGapReport gaps(engine_.window().Button1Enabled);
  engine_.StartPictureClicked();
}

void TForm1::Image3MouseDown() {
  ShowPicture(image3_, layout::kImage3, layout::kImage3.pressed);
}

void TForm1::Image3MouseUp() {
  ShowPicture(image3_, layout::kImage3, layout::kImage3.released);
}

void TForm1::Image6MouseDown() {
  ShowPicture(image6_, layout::kImage6, layout::kImage6.pressed);
}

void TForm1::Image6MouseUp() {
  ShowPicture(image6_, layout::kImage6, layout::kImage6.released);
  TForm3 dialog(language_code_, WindowCorner(), [this] { engine_.ForceUpdateChosen(); });
  RunModalLoop(dialog.handle());
}

void TForm1::Image4MouseDown() {
  ShowPicture(image4_, layout::kImage4, layout::kImage4.pressed);
}

void TForm1::Image4MouseUp() {
  ShowPicture(image4_, layout::kImage4, layout::kImage4.released);
}

// --- The view port ------------------------------------------------------------------------------

void TForm1::ShowMessage(const std::string& text) {
  ShowInformation(handle(), DisplayText(language_code_, text));
}

void TForm1::ReloadPage() {
  if (web_browser1_) web_browser1_->Refresh();
}

void TForm1::Log(const std::string& line) {
  WriteSupportLog(DecodeForDisplay(language_code_, line));
}

bool TForm1::AskYesNo(const std::string& question) {
  return win32::AskYesNo(handle(), DisplayText(language_code_, question));
}

void TForm1::RunLineDialog(LineDialogModel& dialog) {
  TForm2 form(dialog, language_code_, WindowCorner());
  RunModalLoop(form.handle());
}

void TForm1::HideWindow() {
  ShowWindow(handle(), SW_HIDE);
}

void TForm1::CloseWindow() {
  RunFormClose();
  EndModal(handle());
}

void TForm1::EndProcess() {
  ExitProcess(0);
}

void TForm1::Terminate() {
  RequestTermination();
}

void TForm1::StateChanged(const UpdaterWindowState& window, UpdateStage /*stage*/) {
  EnableWindow(button1_, window.Button1Enabled);
  list_box1_->Show(window.ListBox1, language_code_);
  list_box2_->Show(window.ListBox2, language_code_);
  const auto label_area = [this](const LabelState& label, const Font& font) {
    const Size size = font.Measure(DisplayText(language_code_, label.text));
    return ToRect({label.left, label.top, size.width, size.height});
  };
  // Only what changed is drawn again: the gauge and labels change on every progress event.
  const bool gauge_changed = window.Gauge1.visible != shown_.Gauge1.visible ||
                             DrawGauge(window.Gauge1, layout::kGauge1.width) !=
                                 DrawGauge(shown_.Gauge1, layout::kGauge1.width);
  if (gauge_changed) {
    const RECT gauge = ToRect(layout::kGauge1);
    InvalidateRect(handle(), &gauge, FALSE);
  }
  for (const auto& [now, before, font] :
       {std::tuple{&window.Label3, &shown_.Label3, &label3_font_},
        std::tuple{&window.Label4, &shown_.Label4, &label4_font_}}) {
    if (now->text == before->text && now->visible == before->visible && now->left == before->left &&
        now->top == before->top && !gauge_changed) {
      continue;
    }
    const RECT old_area = label_area(*before, *font);
    const RECT new_area = label_area(*now, *font);
    InvalidateRect(handle(), &old_area, FALSE);
    InvalidateRect(handle(), &new_area, FALSE);
  }
  if (window.Image3Visible != Control(image3_).visible) {
    Control(image3_).visible = window.Image3Visible;
    const RECT button = ToRect(Control(image3_).place);
    InvalidateRect(handle(), &button, FALSE);
  }
  shown_.Label3 = window.Label3;
  shown_.Label4 = window.Label4;
  shown_.Gauge1 = window.Gauge1;
}

int TForm1::ProgressTextWidth(std::string_view text) const {
  return label4_font_.Measure(DisplayText(language_code_, text)).width;
}

int TForm1::ClientWidth() const {
  RECT client;
  GetClientRect(handle(), &client);
  return client.right;
}

}  // namespace veyra::win32
