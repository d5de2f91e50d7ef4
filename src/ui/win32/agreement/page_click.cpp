#include "ui/win32/agreement/page_click.h"

#include <string>

#include "platform/windows/wide_text.h"

namespace veyra::win32 {
namespace {

// Releases a COM reference when it goes out of scope.
template <typename Interface>
struct Held {
  Interface* pointer = nullptr;
  ~Held() {
    if (pointer) pointer->Release();
  }
};

}  // namespace

agreement::PageClick ReadPageClick(IHTMLDocument2* document) {
  agreement::PageClick click;
  if (document == nullptr) return click;
  click.document_held = true;
  Held<IHTMLWindow2> window;
  Held<IHTMLEventObj> event;
  Held<IHTMLElement> element;
  if (FAILED(document->get_parentWindow(&window.pointer)) || !window.pointer) return click;
  if (FAILED(window.pointer->get_event(&event.pointer)) || !event.pointer) return click;
  if (FAILED(event.pointer->get_srcElement(&element.pointer)) || !element.pointer) return click;
  BSTR markup = nullptr;
  if (FAILED(element.pointer->get_outerHTML(&markup))) return click;
  // UTF-8 rather than the system's code page: no byte of a non-ASCII character can then read as
  // a letter of the marker.
  click.source_outer_html = Utf8FromWide(std::wstring_view(markup, SysStringLen(markup)));
  SysFreeString(markup);
  return click;
}

}  // namespace veyra::win32
