// GUI tests wait on conditions, never on fixed sleeps alone: the program under Wine answers
// in its own time, and a condition polled with a deadline is both quick and deterministic.
#pragma once

#include <windows.h>

namespace gui {

inline constexpr DWORD DEFAULT_TIMEOUT_MS = 5000;

// Polls `condition` every few milliseconds until it holds or `timeoutMs` passes; the
// final answer is the condition's own, checked once more at the deadline.
template <typename TCondition>
bool WaitUntil(TCondition&& condition, DWORD timeoutMs = DEFAULT_TIMEOUT_MS) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        if (condition()) return true;
        Sleep(15);
    }
    return condition();
}

} // namespace gui
