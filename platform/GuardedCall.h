// Calling into a library's code with a guard, so that a library which faults (an access
// violation, an illegal instruction...) ends only the call and not the program.
#pragma once

#include <windows.h>

// An exported entry that takes no arguments and returns an HRESULT (DllRegisterServer).
using TLibraryEntryFn = HRESULT(STDAPICALLTYPE*)();

// Calls `entry`. True with its result in `result` when it returned; false with the
// exception code in `faultCode` when it raised a structured exception, a stack overflow
// included, every time (the stack's guard page is put back before each call). One guarded
// call at a time per process (the window's one thread).
bool GuardedCall(TLibraryEntryFn entry, HRESULT* result, DWORD* faultCode);
