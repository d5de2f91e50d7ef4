#include "ui/win32/browser/browser_control.h"

#include <mshtml.h>
#include <shellapi.h>

#include "ui/win32/browser/browser_site.h"

namespace veyra::win32 {

std::unique_ptr<BrowserControl> BrowserControl::Create(HWND parent, const RECT& rect) {
  // In-place activation needs OLE (not only COM) on this thread; it counts its initialisations.
  if (FAILED(OleInitialize(nullptr))) return nullptr;
  std::unique_ptr<BrowserControl> control(new BrowserControl());
  control->site_ = new BrowserSite(parent, rect);
  control->site_->open_externally = OpenInDefaultBrowser;
  if (!control->site_->Start()) return nullptr;
  return control;
}

BrowserControl::~BrowserControl() {
  if (site_) {
    site_->Stop();
    site_->Release();
  }
  OleUninitialize();
}

void BrowserControl::SetRect(const RECT& rect) {
  site_->SetRect(rect);
}

void BrowserControl::Navigate(const std::wstring& path_or_address) {
  requested_ = path_or_address;
  BSTR address = SysAllocStringLen(path_or_address.data(), path_or_address.size());
  VARIANT none;
  VariantInit(&none);
  site_->Browser()->Navigate(address, &none, &none, &none, &none);
  SysFreeString(address);
}

void BrowserControl::Refresh() {
  site_->Browser()->Refresh();
}

IHTMLDocument2* BrowserControl::CurrentDocument() const {
  IDispatch* document = nullptr;
  if (FAILED(site_->Browser()->get_Document(&document)) || document == nullptr) return nullptr;
  IHTMLDocument2* html = nullptr;
  document->QueryInterface(IID_IHTMLDocument2, reinterpret_cast<void**>(&html));
  document->Release();
  return html;
}

void BrowserControl::OnDocumentReady(DocumentReady ready) {
  site_->document_ready = std::move(ready);
}

void BrowserControl::SetOpenExternally(OpenExternally open) {
  site_->open_externally = std::move(open);
}

RECT BrowserControl::Rect() const {
  return site_->Rect();
}

IWebBrowser2* BrowserControl::Browser() const {
  return site_->Browser();
}

HWND BrowserControl::Parent() const {
  return site_->Parent();
}

IDispatch* BrowserControl::Events() const {
  return static_cast<IDispatch*>(site_);
}

void OpenInDefaultBrowser(const std::wstring& address) {
  ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace veyra::win32
