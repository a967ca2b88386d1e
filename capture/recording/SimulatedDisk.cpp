#include "capture/recording/SimulatedDisk.h"

#include <windows.h>

#include <algorithm>
#include <atomic>

#include "capture/MonotonicClock.h"

namespace {

std::atomic<int64_t> g_stallUs{0};
std::atomic<int64_t> g_everyUs{0};
std::atomic<int64_t> g_stallsFromUs{0};
std::atomic<int64_t> g_fileSizeLimit{-1};
std::atomic<int64_t> g_lastFlushUs{0};
std::atomic<int64_t> g_longestFlushGapUs{0};

} // namespace

void SimulateStallingDisk(unsigned stallMs, unsigned everyMs) {
    const bool on = stallMs > 0 && everyMs > 0;
    const int64_t now = MonotonicMicros();
    g_stallsFromUs = now;
    g_lastFlushUs = now;
    g_longestFlushGapUs = 0;
    g_everyUs = on ? static_cast<int64_t>(everyMs) * 1000 : 0;
    g_stallUs = on ? static_cast<int64_t>(stallMs) * 1000 : 0;
}

void WaitOutSimulatedStall() {
    const int64_t stall = g_stallUs;
    const int64_t every = g_everyUs;
    if (stall <= 0 || every <= 0) {
        return;
    }
    const int64_t into = (MonotonicMicros() - g_stallsFromUs) % every;
    if (into < stall) {
        ::Sleep(static_cast<DWORD>((stall - into + 999) / 1000));
    }
}

void SimulateFileSizeLimit(int64_t limitBytes) {
    g_fileSizeLimit = limitBytes;
}

int64_t SimulatedFileSizeLimit() {
    return g_fileSizeLimit;
}

bool FitsSimulatedFileSizeLimit(uint64_t endBytes) {
    const int64_t limit = g_fileSizeLimit;
    return limit < 0 || endBytes <= static_cast<uint64_t>(limit);
}

void NoteSimulatedFlush() {
    if (g_everyUs <= 0) {
        return;
    }
    const int64_t now = MonotonicMicros();
    const int64_t gap = now - g_lastFlushUs.exchange(now);
    int64_t longest = g_longestFlushGapUs;
    while (gap > longest && !g_longestFlushGapUs.compare_exchange_weak(longest, gap)) {
    }
}

int64_t LongestSimulatedFlushGapMicros() {
    // The time since the last flush counts too: a disk never flushed has
    // the whole time at stake.
    return std::max<int64_t>(g_longestFlushGapUs, MonotonicMicros() - g_lastFlushUs);
}
