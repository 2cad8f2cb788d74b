// The object handed to URLDownloadToFileA so the blocking transfer reports its progress:
// it updates the byte count and bar, keeps the window alive, and fails the next
// notification once the user pressed the stop button.
#pragma once

#include "actions/Transfer.h"

#include <urlmon.h>
#include <windows.h>
#include <wininet.h>

#include <string>

class TBindStatusCallback final : public IBindStatusCallback {
public:
    // IUnknown. QueryInterface answers IID_IBindStatusCallback and IID_IUnknown with the
    // same pointer, everything else E_NOINTERFACE; Release never destroys the object, which
    // lives for the whole run.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IBindStatusCallback, in slot order. Everything but OnProgress is E_NOTIMPL and keeps
    // nothing it is given, except the binding OnStartBinding hands over, which is held
    // until OnStopBinding or Attach.
    HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD reserved, IBinding* binding) override;
    HRESULT STDMETHODCALLTYPE GetPriority(LONG* priority) override;
    HRESULT STDMETHODCALLTYPE OnLowResource(DWORD reserved) override;
    // The attached transfer's notification (bar, "N/M bytes", repaint and pump); E_ABORT
    // once its stop request is set, and at a redirect that leaves https.
    HRESULT STDMETHODCALLTYPE OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode,
                                         LPCWSTR statusText) override;
    HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT result, LPCWSTR error) override;
    HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD* flags, BINDINFO* info) override;
    HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD flags, DWORD size, FORMATETC* format,
                                              STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID riid, IUnknown* object) override;

    // Not part of the interface: the stop request of the attached transfer (nothing when
    // no transfer runs).
    void CancelDownload();
    void ResetCancel();

    // The transfer the notifications report to, for the duration of one transfer call.
    void Attach(TTransfer* transfer) {
        ReleaseBinding();
        FTransfer = transfer;
    }
    TTransfer* Attached() const { return FTransfer; }

    LONG RefCount() const { return FRefCount; }

private:
    // The address the binding fetches now (after any redirect); empty when it cannot say.
    std::string CurrentUrl();
    void ReleaseBinding();

    LONG FRefCount = 0;
    TTransfer* FTransfer = nullptr;
    IBinding* FBinding = nullptr;
};

// The one instance, created with the main window and never freed; null before that.
extern TBindStatusCallback* BindCallback;

// Creates BindCallback, once.
void CreateBindCallback();
