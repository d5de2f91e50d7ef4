#include "ui/win32/browser/browser_site.h"

#include <exdispid.h>
#include <mshtml.h>

#include <exception>
#include <string>

#include "platform/windows/wide_text.h"
#include "window_rules/external_links.h"

namespace veyra::win32 {
namespace {

// Whether two interface pointers belong to one object (COM's identity rule).
bool SameObject(IUnknown* a, IUnknown* b) {
  if (a == nullptr || b == nullptr) return false;
  IUnknown* identity_a = nullptr;
  IUnknown* identity_b = nullptr;
  a->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity_a));
  b->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity_b));
  const bool same = identity_a != nullptr && identity_a == identity_b;
  if (identity_a) identity_a->Release();
  if (identity_b) identity_b->Release();
  return same;
}

}  // namespace

bool BrowserSite::Start() {
  if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                              reinterpret_cast<void**>(&object_)))) {
    return false;
  }
  if (FAILED(object_->SetClientSite(this))) return false;
  if (FAILED(object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, parent_, &rect_))) {
    return false;
  }
  if (FAILED(object_->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&in_place_))))
    return false;
  if (FAILED(object_->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&browser_))))
    return false;
  // Without its events the control still shows pages; new-window requests would then open the
  // system's own browser window, as they do in any program that ignores them.
  IConnectionPointContainer* points = nullptr;
  if (SUCCEEDED(browser_->QueryInterface(IID_IConnectionPointContainer,
                                         reinterpret_cast<void**>(&points)))) {
    if (SUCCEEDED(points->FindConnectionPoint(DIID_DWebBrowserEvents2, &events_)) &&
        FAILED(events_->Advise(static_cast<IDispatch*>(this), &events_cookie_))) {
      events_->Release();
      events_ = nullptr;
    }
    points->Release();
  }
  SetRect(rect_);
  return true;
}

void BrowserSite::Stop() {
  if (events_) {
    events_->Unadvise(events_cookie_);
    events_->Release();
    events_ = nullptr;
  }
  if (browser_) {
    browser_->Stop();
    browser_->Release();
    browser_ = nullptr;
  }
  if (in_place_) {
    in_place_->InPlaceDeactivate();
    in_place_->Release();
    in_place_ = nullptr;
  }
  if (object_) {
    object_->Close(OLECLOSE_NOSAVE);
    object_->SetClientSite(nullptr);
    object_->Release();
    object_ = nullptr;
  }
  document_ready = nullptr;
  open_externally = nullptr;
}

void BrowserSite::SetRect(const RECT& rect) {
  rect_ = rect;
  if (in_place_) in_place_->SetObjectRects(&rect_, &rect_);
}

STDMETHODIMP BrowserSite::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
    *object = static_cast<IOleClientSite*>(this);
  } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite) {
    *object = static_cast<IOleInPlaceSite*>(this);
  } else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame) {
    *object = static_cast<IOleInPlaceFrame*>(this);
  } else if (iid == IID_IDocHostUIHandler) {
    *object = static_cast<IDocHostUIHandler*>(this);
  } else if (iid == IID_IDispatch || iid == DIID_DWebBrowserEvents2) {
    *object = static_cast<IDispatch*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) BrowserSite::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&references_));
}

STDMETHODIMP_(ULONG) BrowserSite::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

STDMETHODIMP BrowserSite::GetContainer(IOleContainer** container) {
  if (container) *container = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP BrowserSite::GetWindow(HWND* window) {
  if (window == nullptr) return E_POINTER;
  *window = parent_;
  return S_OK;
}

STDMETHODIMP BrowserSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                           LPRECT position, LPRECT clip,
                                           LPOLEINPLACEFRAMEINFO info) {
  if (frame) {
    *frame = this;
    AddRef();
  }
  if (document) *document = nullptr;
  if (position) *position = rect_;
  if (clip) *clip = rect_;
  if (info) {
    info->fMDIApp = FALSE;
    info->hwndFrame = parent_;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
  }
  return S_OK;
}

STDMETHODIMP BrowserSite::OnPosRectChange(LPCRECT rect) {
  if (rect) SetRect(*rect);
  return S_OK;
}

STDMETHODIMP BrowserSite::GetHostInfo(DOCHOSTUIINFO* info) {
  if (info == nullptr) return E_POINTER;
  info->dwFlags = DOCHOSTUIFLAG_NO3DBORDER;
  info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
  return S_OK;
}

STDMETHODIMP BrowserSite::GetExternal(IDispatch** external) {
  if (external) *external = nullptr;
  return S_FALSE;
}

STDMETHODIMP BrowserSite::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT*,
                                 EXCEPINFO*, UINT*) {
  if (parameters == nullptr) return S_OK;
  // The browser calls in from its own message handling: nothing may be thrown back into it.
  try {
    if (id == DISPID_NEWWINDOW3) NewWindowRequested(*parameters);
    if (id == DISPID_DOCUMENTCOMPLETE) DocumentCompleted(*parameters);
  } catch (const std::exception&) {
  }
  return S_OK;
}

void BrowserSite::NewWindowRequested(DISPPARAMS& parameters) {
  // NewWindow3(ppDisp, Cancel, dwFlags, bstrUrlContext, bstrUrl); arguments arrive last first.
  if (parameters.cArgs != 5) return;
  VARIANT& cancel = parameters.rgvarg[3];
  const VARIANT& address = parameters.rgvarg[0];
  if (cancel.vt != (VT_BYREF | VT_BOOL) || cancel.pboolVal == nullptr) return;
  *cancel.pboolVal = VARIANT_TRUE;
  if (address.vt != VT_BSTR || address.bstrVal == nullptr) return;
  const std::wstring text(address.bstrVal, SysStringLen(address.bstrVal));
  if (open_externally && IsWebAddress(Utf8FromWide(text))) open_externally(text);
}

void BrowserSite::DocumentCompleted(DISPPARAMS& parameters) {
  // DocumentComplete(pDisp, URL): fired for every frame; only the browser's own is the page.
  if (parameters.cArgs != 2 || !document_ready || browser_ == nullptr) return;
  const VARIANT& source = parameters.rgvarg[1];
  if (source.vt != VT_DISPATCH || !SameObject(source.pdispVal, browser_)) return;
  IDispatch* document = nullptr;
  if (FAILED(browser_->get_Document(&document)) || document == nullptr) return;
  IHTMLDocument2* html = nullptr;
  document->QueryInterface(IID_IHTMLDocument2, reinterpret_cast<void**>(&html));
  document->Release();
  if (html == nullptr) return;
  document_ready(html);
  html->Release();
}

}  // namespace veyra::win32
