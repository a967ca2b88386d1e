#include "capture/MonotonicClock.h"

#include <windows.h>

int64_t MonotonicMicros() {
    static const int64_t frequency = [] {
        LARGE_INTEGER value{};
        ::QueryPerformanceFrequency(&value);
        return value.QuadPart > 0 ? static_cast<int64_t>(value.QuadPart) : int64_t{1000};
    }();
    LARGE_INTEGER now{};
    ::QueryPerformanceCounter(&now);
    const int64_t ticks = now.QuadPart;
    // Split so that ticks x 1,000,000 cannot overflow after long uptimes.
    return ticks / frequency * 1000000 + ticks % frequency * 1000000 / frequency;
}
