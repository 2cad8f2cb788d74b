// The call itself, with the guard and OLE around it; the faulting library is unloaded by its
// owner once the guard has jumped back.
#include "platform/LibraryCall.h"

#include "platform/GuardedCall.h"
#include "platform/Handles.h"
#include "platform/OleScope.h"
#include "platform/SystemLibraries.h"

TPlatform::TEntryCall CallLibraryEntryHere(const std::string& library, const char* entry) {
    using TOutcome = TPlatform::TEntryCall::TOutcome;
    // Initialized before the library is loaded, uninitialized after it is freed.
    TOleScope ole;
    TPlatform::TEntryCall call;
    TModule module(LoadLibraryAt(library));
    if (!module) {
        call.LoadError = GetLastError();
        return call;
    }
    const auto fn = reinterpret_cast<TLibraryEntryFn>(
        reinterpret_cast<void*>(GetProcAddress(module.get(), entry)));
    if (fn == nullptr) {
        call.Outcome = TOutcome::NoEntry;
        return call;
    }
    HRESULT result = E_FAIL;
    DWORD code = 0;
    if (GuardedCall(fn, &result, &code)) {
        call.Outcome = TOutcome::Returned;
        call.Result = result;
    } else {
        call.Outcome = TOutcome::Faulted;
        call.FaultCode = code;
    }
    return call;
}
