#pragma once

#include <windows.h>

#include "window_rules/agreement_rules.h"

namespace veyra::win32 {

// The click sink hung on the agreement page (the document's onclick): an IDispatch that the
// browser invokes with dispatch id 0 for every click in the page. What it answers is the core's
// TEventObject's; it only carries that over COM.
class TEventObject final : public IDispatch {
 public:
  // One reference held by the creator.
  explicit TEventObject(agreement::TEventObject::Handler handler) : sink_(std::move(handler)) {}

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  STDMETHODIMP GetTypeInfoCount(UINT*) override;
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override;
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  // The arguments and the result slot are not looked at.
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                      UINT*) override;

 private:
  ~TEventObject() = default;

  LONG references_ = 1;
  agreement::TEventObject sink_;
};

}  // namespace veyra::win32
