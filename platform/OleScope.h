// OLE on the calling thread for the length of one call, as regsvr32 has it around a
// library's registration: many registration entries (the component-categories manager,
// ATL's registrar) and the URL download, the file dialog and the shell's open call need a
// single-threaded apartment on the thread that calls them. ole32 is reached when first
// used, so start-up does not load it.
#pragma once

class TOleScope {
public:
    // The two calls the scope makes; ole32's unless a test gives others. The result is an
    // HRESULT.
    struct TCalls {
        long (*Initialize)();
        void (*Uninitialize)();
    };
    // OleInitialize(nullptr) and OleUninitialize, or E_NOTIMPL when ole32 lacks them.
    static TCalls Ole32();

    // OleInitialize: a new single-threaded apartment, or one more use of the thread's own.
    TOleScope() : TOleScope(Ole32()) {}
    explicit TOleScope(const TCalls& calls)
        : FUninitialize(calls.Uninitialize), FResult(calls.Initialize()) {}
    // OleUninitialize, only when this scope's OleInitialize succeeded (S_OK or S_FALSE):
    // the thread is left as it was found.
    ~TOleScope() {
        if (FResult >= 0) FUninitialize();
    }
    TOleScope(const TOleScope&) = delete;
    TOleScope& operator=(const TOleScope&) = delete;

    // What OleInitialize answered (RPC_E_CHANGED_MODE on a thread already in a
    // multithreaded apartment, which is left alone and still serves the call).
    long Result() const { return FResult; }

private:
    void (*FUninitialize)();
    long FResult;
};
