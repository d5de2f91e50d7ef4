#include <gtest/gtest.h>
#include <winsock2.h>

#include <string>

#include "support/temp_folder.h"
#include "ui/win32/dialogs/tform2.h"
#include "ui/win32/updater/gauge_painting.h"
#include "ui/win32/updater/tform1.h"
#include "updater/dialogs/line_dialog_model.h"
#include "window_rules/updater_window_layout.h"

namespace veyra::win32 {
namespace {

using veyra::testing::TempFolder;

TEST(UpdaterWindow, AMissingPictureStopsTheCreationAtItsCheckpointWithoutTheDriver) {
  TempFolder game;  // no upimg pictures at all
  TForm1 window({}, "t");
  wchar_t caption[32] = {};
  GetWindowTextW(window.handle(), caption, 32);
  EXPECT_EQ(std::wstring(caption), L"Ue6");
  EXPECT_FALSE(window.engine().DriverArmed);
  RECT client;
  GetClientRect(window.handle(), &client);
  EXPECT_EQ(client.right, updater_window::kWindowSize.width);
  EXPECT_EQ(client.bottom, updater_window::kWindowSize.height);
  // A fixed single border and a caption without system menu: no close box.
  const LONG_PTR style = GetWindowLongPtrW(window.handle(), GWL_STYLE);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  EXPECT_EQ(style & (WS_SYSMENU | WS_THICKFRAME), 0);
}

TEST(UpdaterWindow, TheGaugeFillsItsBarByTheWholePercentage) {
  HDC dc = CreateCompatibleDC(nullptr);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = 102;
  info.bmiHeader.biHeight = -10;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, nullptr, nullptr, 0);
  const HGDIOBJ old = SelectObject(dc, bitmap);
  GaugeState gauge;
  gauge.SetMaxValue(1000);
  gauge.SetProgress(509);  // 50 %: 50 of the 100 inner pixels
  const Rgb bar{0, 74, 211};
  PaintGauge(dc, {0, 0, 102, 10}, gauge, bar);
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 0));      // the frame
  EXPECT_EQ(GetPixel(dc, 1, 1), RGB(0, 74, 211));   // the bar's first pixel
  EXPECT_EQ(GetPixel(dc, 50, 1), RGB(0, 74, 211));  // its 50th
  EXPECT_EQ(GetPixel(dc, 51, 1), RGB(0, 0, 0));     // the empty part
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

TEST(LineDialog, ListsTheLinesAndConfirmsBySelectionOnAnyButtonDown) {
  TempFolder game;
  game.Write("web0.dat", "A http://a/ 80 30000\r\nB http://b/ 80 30000\r\nend\r\n");
  LineDialogModel model("n");
  TForm2 dialog(model, "n", {100, 50});
  const HWND list = FindWindowExW(dialog.handle(), nullptr, L"LISTBOX", nullptr);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 3);  // A, B, "Other"
  wchar_t last[16] = {};
  SendMessageW(list, LB_GETTEXT, 2, reinterpret_cast<LPARAM>(last));
  EXPECT_EQ(std::wstring(last), L"Other");
  RECT frame;
  GetWindowRect(dialog.handle(), &frame);
  EXPECT_EQ(frame.left, 200);  // 100 right of the updater window
  EXPECT_EQ(frame.top, 50);

  SendMessageW(list, LB_SETCURSEL, 1, 0);
  SendMessageW(dialog.handle(), WM_COMMAND, MAKEWPARAM(101, LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(list));
  ShowWindow(dialog.handle(), SW_SHOW);
  SendMessageW(dialog.handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(150, 360));
  EXPECT_FALSE(dialog.ConfirmShown());
  EXPECT_FALSE(IsWindowVisible(dialog.handle()));
  EXPECT_EQ(game.Read("isp1.dat"), "1\r\n");
}

}  // namespace
}  // namespace veyra::win32
