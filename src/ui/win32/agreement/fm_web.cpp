#include "ui/win32/agreement/fm_web.h"

#include "ui/win32/agreement/system_rect.h"
#include "ui/win32/base/message_loop.h"
#include "window_rules/agreement_rules.h"

namespace veyra::win32 {
namespace {

agreement::FullScreenBrowserPlaces ScreenPlaces() {
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return agreement::FmWebPlaces(
      {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)},
      {work.left, work.top, work.right - work.left, work.bottom - work.top});
}

}  // namespace

TFmWeb::TFmWeb() {
  CreateHandle(L"TFmWeb", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, L"VeyraOnline",
               SystemRect(ScreenPlaces().window), nullptr);
}

LRESULT TFmWeb::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_CLOSE) {
    EndModal(handle());
    return 0;
  }
  return Window::HandleMessage(message, wparam, lparam);
}

void ShowFmWeb(const std::wstring& address) {
  const agreement::FullScreenBrowserPlaces places = ScreenPlaces();
  // Owned by this call, as the application owns it: no owner window.
  const auto window = std::make_unique<TFmWeb>();
  if (window->handle() == nullptr) return;
  window->Web = BrowserControl::Create(window->handle(), SystemRect(places.browser));
  if (window->Web) window->Web->Navigate(address);
  FmWeb = window.get();
  RunModalLoop(window->handle());
  FmWeb = nullptr;
  // The browser goes before its window.
  window->Web.reset();
}

}  // namespace veyra::win32
