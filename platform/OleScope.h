// OLE on the calling thread for the length of one call, as regsvr32 has it around a
// library's registration: many registration entries (the component-categories manager,
// ATL's registrar) and the URL download, the file dialog and the shell's open call need a
// single-threaded apartment on the thread that calls them. ole32 is reached when first
// used, so start-up does not load it.
#pragma once

#include <windows.h>

class TOleScope {
public:
    // OleInitialize: a new single-threaded apartment, or one more use of the thread's own.
    TOleScope();
    // OleUninitialize, when this scope's OleInitialize succeeded (S_OK or S_FALSE): the
    // thread is left as it was found.
    ~TOleScope();
    TOleScope(const TOleScope&) = delete;
    TOleScope& operator=(const TOleScope&) = delete;

    // What OleInitialize answered (RPC_E_CHANGED_MODE on a thread already in a
    // multithreaded apartment, which is left alone and still serves the call).
    HRESULT Result() const { return FResult; }

private:
    HRESULT FResult;
};
