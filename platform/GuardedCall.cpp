// The crash guard. MinGW g++ has no __try/__except, so the guard links an exception
// registration record into the thread's handler chain (fs:0) by hand, and its handler
// jumps back with longjmp; msvcrt's longjmp unwinds the frames in between.
#include "platform/GuardedCall.h"

#include <csetjmp>

namespace {

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

} // namespace

// Plain C-like code only: nothing here may need a destructor, since longjmp skips them.
__attribute__((noinline)) bool GuardedCall(TLibraryEntryFn entry, HRESULT* result,
                                           DWORD* faultCode) {
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
        *faultCode = GuardCode;
    }
    SetChainHead(registration.Prev);
    GuardJump = outer;
    return !faulted;
}
