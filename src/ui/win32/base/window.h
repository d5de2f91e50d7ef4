#pragma once

#include <windows.h>

#include <string>

namespace veyra::win32 {

// Registers the window class `name` once per process: the wide-character class whose
// procedure is `procedure`, with an arrow cursor and no background brush (windows paint
// everything themselves).
void RegisterWindowClass(const wchar_t* name, WNDPROC procedure);

// A window of the program: a system window whose messages go to HandleMessage, guarded so that
// no exception leaves a procedure (AppException gets it). The object outlives its system
// window; destroying the object destroys the window.
class Window {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();

  HWND handle() const { return handle_; }

 protected:
  // Creates the system window of class `class_name` (registered on first use) with this object
  // behind it. `rect` is the window rectangle in screen pixels (or the parent's client pixels).
  void CreateHandle(const wchar_t* class_name, DWORD style, DWORD ex_style,
                    const std::wstring& title, const RECT& rect, HWND parent);

  // One message; anything not handled goes to DefWindowProcW.
  virtual LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  HWND handle_ = nullptr;
};

}  // namespace veyra::win32
