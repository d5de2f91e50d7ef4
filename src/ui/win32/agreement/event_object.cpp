#include "ui/win32/agreement/event_object.h"

#include "ui/win32/base/app_exception.h"

namespace veyra::win32 {

STDMETHODIMP TEventObject::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (iid != IID_IUnknown && iid != IID_IDispatch) {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  *object = static_cast<IDispatch*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) TEventObject::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&references_));
}

STDMETHODIMP_(ULONG) TEventObject::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

STDMETHODIMP TEventObject::GetTypeInfoCount(UINT*) {
  return static_cast<HRESULT>(sink_.GetTypeInfoCount());
}

STDMETHODIMP TEventObject::GetTypeInfo(UINT, LCID, ITypeInfo**) {
  return static_cast<HRESULT>(sink_.GetTypeInfo());
}

STDMETHODIMP TEventObject::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
  return static_cast<HRESULT>(sink_.GetIDsOfNames());
}

STDMETHODIMP TEventObject::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                  UINT*) {
  // Called by the browser from its own message handling: nothing may be thrown back into it.
  return static_cast<HRESULT>(
      GuardedProcedure([&] { return static_cast<LRESULT>(sink_.Invoke(id)); },
                       static_cast<LRESULT>(agreement::HResult::kOk)));
}

}  // namespace veyra::win32
