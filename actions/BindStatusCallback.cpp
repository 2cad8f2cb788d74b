// The COM face of the progress notifications. No exception may leave a COM method: urlmon
// is C code and would be unwound through without cleanup.
#include "actions/BindStatusCallback.h"

TBindStatusCallback* BindCallback = nullptr;

namespace {

// URLs are ASCII; anything else only needs to stay not "https://".
std::string Narrow(const wchar_t* text) {
    std::string narrow;
    for (const wchar_t* c = text; c != nullptr && *c != 0; ++c)
        narrow += *c < 0x80 ? static_cast<char>(*c) : '?';
    return narrow;
}

} // namespace

std::string TBindStatusCallback::CurrentUrl() {
    if (FBinding == nullptr) return "";
    IWinInetInfo* info = nullptr;
    if (FAILED(FBinding->QueryInterface(__uuidof(IWinInetInfo), reinterpret_cast<void**>(&info))) ||
        info == nullptr)
        return "";
    // Wine answers in UTF-16 whatever the caller asked; a narrow answer is taken as it is.
    wchar_t buffer[2048] = {};
    DWORD size = sizeof buffer - sizeof(wchar_t);
    const HRESULT result = info->QueryOption(INTERNET_OPTION_URL, buffer, &size);
    info->Release();
    if (result != S_OK) return "";
    const char* bytes = reinterpret_cast<const char*>(buffer);
    return size > 1 && bytes[1] == 0 ? Narrow(buffer) : std::string(bytes);
}

void TBindStatusCallback::ReleaseBinding() {
    if (FBinding != nullptr) FBinding->Release();
    FBinding = nullptr;
}

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

// The binding is kept for the address it is fetching now; the answer stays E_NOTIMPL, which
// every urlmon takes as "go on".
HRESULT STDMETHODCALLTYPE TBindStatusCallback::OnStartBinding(DWORD, IBinding* binding) {
    ReleaseBinding();
    if (binding != nullptr) {
        binding->AddRef();
        FBinding = binding;
    }
    return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE TBindStatusCallback::GetPriority(LONG*) {
    return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE TBindStatusCallback::OnLowResource(DWORD) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TBindStatusCallback::OnProgress(ULONG progress, ULONG progressMax,
                                                          ULONG statusCode, LPCWSTR statusText) {
    if (FTransfer == nullptr) return S_OK;
    try {
        // Windows names the new address when it follows a redirect; Wine 8 does not, but
        // its binding answers the address it is fetching now, which changes at the redirect.
        if (statusCode == BINDSTATUS_REDIRECTING && FTransfer->Redirect(Narrow(statusText)))
            return E_ABORT;
        if (FTransfer->Redirect(CurrentUrl())) return E_ABORT;
        return FTransfer->Report(progress, progressMax) ? E_ABORT : S_OK;
    } catch (...) {
        // The display failed; without it the stop button cannot be heard, so stop.
        return E_ABORT;
    }
}

HRESULT STDMETHODCALLTYPE TBindStatusCallback::OnStopBinding(HRESULT, LPCWSTR) {
    ReleaseBinding();
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
