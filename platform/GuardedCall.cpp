// The crash guard. MinGW g++ has no __try/__except. On i386 the guard links an exception
// registration record into the thread's handler chain (fs:0) by hand, and its handler
// jumps back with longjmp; msvcrt's longjmp unwinds the frames in between. On x86_64 (the
// 64-bit test build) there is no such chain: the guard's own frame names a handler in its
// unwind data, which the system consults only for exceptions no inner frame handled, and
// that handler resumes the guard from a context captured just before the call.
#include "platform/GuardedCall.h"

#include <malloc.h>

#include <csetjmp>

namespace {

// Puts the stack's guard page back just below the calling frame. A stack overflow caught
// here used the guard page up, and without it the next overflow ends the process without a
// word; and a thread's stack under Wine starts fully committed with one guard page at its
// very end, too close to the end for x64's exception dispatch to run on what is left.
void ArmStackGuard() {
    _resetstkoflw();
}

} // namespace

#if defined(__i386__)

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
    ArmStackGuard();
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

#elif defined(__x86_64__)

namespace {

// One guarded call at a time (one thread): where a caught exception resumes, and what it was.
CONTEXT GuardResume;
volatile DWORD GuardCode = 0;
volatile bool GuardFaulted = false;

} // namespace

// Named by GuardedCall's unwind data (.seh_handler ... @except): the system calls it while
// dispatching an exception that every frame below the guard passed on, exactly what would
// otherwise leave the library's entry.
extern "C" EXCEPTION_DISPOSITION KestrovaGuardHandler(EXCEPTION_RECORD* record, void*,
                                                      CONTEXT* context, void*) {
    if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND))
        return ExceptionContinueSearch;
    GuardCode = record->ExceptionCode;
    GuardFaulted = true;
    // Execution continues in the guard, not at the faulting instruction, so a raiser's
    // "noncontinuable" does not apply to where it goes on.
    record->ExceptionFlags &= ~static_cast<DWORD>(EXCEPTION_NONCONTINUABLE);
    *context = GuardResume;
    return ExceptionContinueExecution;
}

// Plain C-like code only: a caught exception skips whatever the library's frames held, and
// this function must need no C++ unwind data of its own (its handler slot is taken).
__attribute__((noinline)) bool GuardedCall(TLibraryEntryFn entry, HRESULT* result,
                                           DWORD* faultCode) {
    __asm__ __volatile__(".seh_handler KestrovaGuardHandler, @except" ::: "memory");
    ArmStackGuard();
    GuardFaulted = false;
    // Returns a second time, with GuardFaulted set, when the handler resumes here.
    RtlCaptureContext(&GuardResume);
    if (!GuardFaulted) {
        *result = entry();
        return true;
    }
    *faultCode = GuardCode;
    return false;
}

#else
#error "GuardedCall: no crash guard for this processor"
#endif
