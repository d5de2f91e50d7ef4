#include "ui/win32/base/window.h"

#include <set>

#include "ui/win32/base/app_exception.h"

namespace veyra::win32 {

void RegisterWindowClass(const wchar_t* name, WNDPROC procedure) {
  static std::set<std::wstring> registered;
  if (!registered.insert(name).second) return;
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.lpszClassName = name;
  RegisterClassW(&window_class);
}

Window::~Window() {
  if (handle_ == nullptr) return;
  // The window must not reach this object's procedure while it is being destroyed.
  SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
  DestroyWindow(handle_);
}

void Window::CreateHandle(const wchar_t* class_name, DWORD style, DWORD ex_style,
                          const std::wstring& title, const RECT& rect, HWND parent) {
  RegisterWindowClass(class_name, &Window::Procedure);
  CreateWindowExW(ex_style, class_name, title.c_str(), style, rect.left, rect.top,
                  rect.right - rect.left, rect.bottom - rect.top, parent, nullptr,
                  GetModuleHandleW(nullptr), this);
}

LRESULT Window::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(handle_, message, wparam, lparam);
}

LRESULT CALLBACK Window::Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    self->handle_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->handle_ = nullptr;
    return DefWindowProcW(window, message, wparam, lparam);
  }
  return GuardedProcedure([&] { return self->HandleMessage(message, wparam, lparam); });
}

}  // namespace veyra::win32
