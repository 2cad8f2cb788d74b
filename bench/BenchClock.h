// The one clock of the benchmark programs: the performance counter, read as a duration
// since an arbitrary start.
#pragma once

#include <windows.h>

inline double SecondsNow() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline double MillisecondsNow() {
    return 1000.0 * SecondsNow();
}
