#include "capture/recording/DiskTimeLeft.h"

namespace {
// The rate is the growth over this long: the file grows in bursts (a
// fragment per group of pictures, the writes behind flushed once a second),
// and a quiet scene takes fewer bytes than a busy one.
constexpr int64_t kWindowUs = 20000000;
// Less growth than this tells no rate.
constexpr int64_t kLeastSpanUs = 3000000;
} // namespace

void DiskTimeLeft::Reset() {
    m_looks.clear();
    m_freeBytes = -1;
    m_reserveBytes = 0;
    m_warning = false;
}

void DiskTimeLeft::Observe(int64_t nowUs, int64_t recordedBytes, int64_t freeBytes,
                           int64_t reserveBytes) {
    if (!m_looks.empty() && (recordedBytes < m_looks.back().bytes || nowUs < m_looks.back().us)) {
        Reset();
    }
    m_looks.push_back(Look{nowUs, recordedBytes});
    // Keeps one look at or beyond the window's start, so the span stays whole.
    while (m_looks.size() > 2 && nowUs - m_looks[1].us >= kWindowUs) {
        m_looks.pop_front();
    }
    m_freeBytes = freeBytes;
    m_reserveBytes = reserveBytes;
    const int64_t seconds = SecondsLeft();
    if (seconds < 0 || seconds > kClearSeconds) {
        m_warning = false;
    } else if (seconds < kWarnSeconds) {
        m_warning = true;
    }
}

int64_t DiskTimeLeft::BytesPerSecond() const {
    if (m_looks.size() < 2) {
        return 0;
    }
    const Look& first = m_looks.front();
    const Look& last = m_looks.back();
    const int64_t span = last.us - first.us;
    if (span < kLeastSpanUs) {
        return 0;
    }
    return (last.bytes - first.bytes) * 1000000 / span;
}

int64_t DiskTimeLeft::SecondsLeft() const {
    const int64_t rate = BytesPerSecond();
    if (rate <= 0 || m_freeBytes < 0) {
        return -1;
    }
    const int64_t spare = m_freeBytes - m_reserveBytes;
    return spare > 0 ? spare / rate : 0;
}

int DiskTimeLeft::MinutesToShow() const {
    if (!m_warning) {
        return 0;
    }
    const int64_t minutes = (SecondsLeft() + 30) / 60;
    return minutes < 1 ? 1 : static_cast<int>(minutes);
}
