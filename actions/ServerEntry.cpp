// CallServerEntry and its crash guard. MinGW g++ has no __try/__except, so the guard links
// an exception registration record into the thread's handler chain (fs:0) by hand, and
// its handler jumps back with longjmp; msvcrt's longjmp unwinds the frames in between.
#include "actions/ServerEntry.h"

#include "actions/SelfRegistration.h"
#include "platform/Handles.h"

#include <csetjmp>
#include <cstdio>

namespace {

using TServerEntry = HRESULT(STDAPICALLTYPE*)();

// The record the system walks when an exception is dispatched; it must live on the stack
// of the guarded call, above the frames it protects.
struct TRegistration {
    TRegistration* Prev;
    EXCEPTION_DISPOSITION(__cdecl* Handler)(EXCEPTION_RECORD*, void*, CONTEXT*, void*);
};

// One guarded call at a time (one thread): where to jump and what was caught.
std::jmp_buf* GuardJump = nullptr;
DWORD GuardCode = 0;

TRegistration* ChainHead() {
    TRegistration* head;
    __asm__ __volatile__("movl %%fs:0, %0" : "=r"(head));
    return head;
}

void SetChainHead(TRegistration* head) {
    __asm__ __volatile__("movl %0, %%fs:0" : : "r"(head) : "memory");
}

EXCEPTION_DISPOSITION __cdecl GuardHandler(EXCEPTION_RECORD* record, void*, CONTEXT*, void*) {
    // During an unwind (our own longjmp's included) there is nothing to do here.
    if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND))
        return ExceptionContinueSearch;
    GuardCode = record->ExceptionCode;
    std::longjmp(*GuardJump, 1);
}

// Calls `entry` under the guard. Plain C-like code only: nothing here may need a
// destructor, since longjmp skips them. Returns false when the entry faulted.
__attribute__((noinline)) bool GuardedCall(TServerEntry entry, HRESULT* result) {
    std::jmp_buf jump;
    TRegistration registration{ChainHead(), &GuardHandler};
    std::jmp_buf* volatile outer = GuardJump;
    volatile bool faulted = false;
    SetChainHead(&registration);
    GuardJump = &jump;
    if (setjmp(jump) == 0) {
        *result = entry();
    } else {
        faulted = true;
    }
    SetChainHead(registration.Prev);
    GuardJump = outer;
    return !faulted;
}

std::string FaultText(uint32_t code, const std::string& path) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(code));
    return "Error inesperado (excepción 0x" + std::string(hex) + ") al registrar la librería " +
           path;
}

} // namespace

TLibraryFault::TLibraryFault(uint32_t code, const std::string& path)
    : std::runtime_error(FaultText(code, path)), FCode(code) {}

bool CallServerEntry(const std::string& path, int index) {
    if (index < 0 || index > 1) return false;
    TModule library(LoadLibraryA(path.c_str()));
    if (!library) return false;
    const auto entry = reinterpret_cast<TServerEntry>(
        reinterpret_cast<void*>(GetProcAddress(library.get(), ServerEntryNames[index])));
    if (entry == nullptr) return false;
    HRESULT result = E_FAIL;
    if (!GuardedCall(entry, &result)) {
        // The faulting library is still loaded: unload it before reporting.
        library.reset();
        throw TLibraryFault(GuardCode, path);
    }
    return result == S_OK;
}
