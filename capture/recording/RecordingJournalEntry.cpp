#include "capture/recording/RecordingJournalEntry.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <random>

namespace {

constexpr char kFirstLine[] = "Orvana recording under way\r\n";
constexpr char kIdKey[] = "id=";
constexpr char kPathKey[] = "path=";
constexpr char kLineEnd[] = "\r\n";
constexpr char kExtension[] = ".recording";
constexpr size_t kIdDigits = 32;
// Far above any Windows path, far below anything worth reading.
constexpr size_t kMaxEntryBytes = 64 * 1024;

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

// The value of a `key` line starting at `at`; `at` moves past the line.
bool TakeLine(const std::string& text, size_t& at, const char* key, std::string& value) {
    const std::string name(key);
    if (text.compare(at, name.size(), name) != 0) {
        return false;
    }
    const size_t end = text.find(kLineEnd, at);
    if (end == std::string::npos) {
        return false;
    }
    value = text.substr(at + name.size(), end - at - name.size());
    at = end + 2;
    return true;
}

} // namespace

std::string NewRecordingId() {
    // The system's random source, mixed with the clock and a count in case
    // that source is weak or missing.
    static std::atomic<uint64_t> count{0};
    uint64_t seed = static_cast<uint64_t>(
                        std::chrono::high_resolution_clock::now().time_since_epoch().count()) ^
                    (++count * 0x9E3779B97F4A7C15ull);
    std::mt19937_64 mixer(seed);
    try {
        std::random_device device;
        mixer.seed(seed ^ (static_cast<uint64_t>(device()) << 32 | device()));
    } catch (...) {
        // The clock and the count alone.
    }
    static const char kDigits[] = "0123456789abcdef";
    std::string id;
    uint64_t bits = 0;
    for (size_t i = 0; i < kIdDigits; ++i, bits >>= 4) {
        if (i % 16 == 0) {
            bits = mixer();
        }
        id += kDigits[bits & 15];
    }
    return id;
}

bool IsRecordingId(const std::string& id) {
    if (id.size() != kIdDigits) {
        return false;
    }
    for (char c : id) {
        if (!IsHexDigit(c)) {
            return false;
        }
    }
    return true;
}

std::string JournalEntryFileName(const std::string& id) {
    return id + kExtension;
}

bool IsJournalEntryFileName(const std::string& name) {
    const size_t extension = sizeof kExtension - 1;
    return name.size() == kIdDigits + extension && IsRecordingId(name.substr(0, kIdDigits)) &&
           name.compare(kIdDigits, extension, kExtension) == 0;
}

std::string FormatJournalEntry(const RecordingJournalEntry& entry) {
    return std::string(kFirstLine) + kIdKey + entry.id + kLineEnd + kPathKey + entry.path +
           kLineEnd;
}

bool ParseJournalEntry(const std::string& text, RecordingJournalEntry& entry) {
    const std::string first(kFirstLine);
    if (text.size() > kMaxEntryBytes || text.compare(0, first.size(), first) != 0) {
        return false;
    }
    size_t at = first.size();
    RecordingJournalEntry read;
    if (!TakeLine(text, at, kIdKey, read.id) || !TakeLine(text, at, kPathKey, read.path) ||
        at != text.size() || !IsRecordingId(read.id) || read.path.empty()) {
        return false;
    }
    for (char c : read.path) {
        if (static_cast<unsigned char>(c) < 0x20) {
            return false;
        }
    }
    entry = read;
    return true;
}
