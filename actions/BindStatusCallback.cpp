// The COM face of the progress notifications. No exception may leave a COM method: urlmon
// is C code and would be unwound through without cleanup.
#include "actions/BindStatusCallback.h"

TBindStatusCallback* BindCallback = nullptr;

void CreateBindCallback() {
    if (BindCallback == nullptr) BindCallback = new TBindStatusCallback();
}

HRESULT STDMETHODCALLTYPE TBindStatusCallback::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    // IUnknown too: COM compares objects by the IUnknown pointer they answer.
    // __uuidof rather than the IID_ constants: IID_IUnknown would bring a 6 KB table of
    // other identifiers from the uuid library into the program.
    if (IsEqualIID(riid, __uuidof(IBindStatusCallback)) || IsEqualIID(riid, __uuidof(IUnknown))) {
        *object = static_cast<IBindStatusCallback*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE TBindStatusCallback::AddRef() {
    return static_cast<ULONG>(++FRefCount);
}

ULONG STDMETHODCALLTYPE TBindStatusCallback::Release() {
    return static_cast<ULONG>(--FRefCount);
}

HRESULT STDMETHODCALLTYPE TBindStatusCallback::OnStartBinding(DWORD, IBinding*) {
    return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE TBindStatusCallback::GetPriority(LONG*) {
    return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE TBindStatusCallback::OnLowResource(DWORD) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TBindStatusCallback::OnProgress(ULONG progress, ULONG progressMax, ULONG,
                                                          LPCWSTR) {
    if (FTransfer == nullptr) return S_OK;
    try {
        return FTransfer->Report(progress, progressMax) ? E_ABORT : S_OK;
    } catch (...) {
        // The display failed; without it the stop button cannot be heard, so stop.
        return E_ABORT;
    }
}

HRESULT STDMETHODCALLTYPE TBindStatusCallback::OnStopBinding(HRESULT, LPCWSTR) {
    return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE TBindStatusCallback::GetBindInfo(DWORD*, BINDINFO*) {
    return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE TBindStatusCallback::OnDataAvailable(DWORD, DWORD, FORMATETC*,
                                                               STGMEDIUM*) {
    return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE TBindStatusCallback::OnObjectAvailable(REFIID, IUnknown*) {
    return E_NOTIMPL;
}

void TBindStatusCallback::CancelDownload() {
    if (FTransfer != nullptr) FTransfer->Cancel();
}
void TBindStatusCallback::ResetCancel() {
    if (FTransfer != nullptr) FTransfer->ResetCancel();
}
