#include "tests/support/SimulatedDisk.h"

#include <windows.h>

#include <algorithm>
#include <utility>

#include "capture/MonotonicClock.h"

namespace {

// A file the finish in place opens on the simulated disk: the real one,
// its writes and flushes held up and refused as the disk's are.
class SimulatedFile final : public RandomAccessFile {
public:
    SimulatedFile(std::unique_ptr<RandomAccessFile> file, SimulatedDisk& disk)
        : m_file(std::move(file)), m_disk(disk) {}

    bool ReadAt(uint64_t offset, void* buffer, size_t size) override {
        return m_file->ReadAt(offset, buffer, size);
    }
    size_t ReadUpTo(uint64_t offset, void* buffer, size_t size) override {
        return m_file->ReadUpTo(offset, buffer, size);
    }
    bool WriteAt(uint64_t offset, const void* data, size_t size) override {
        return m_disk.BeforeWrite(offset + size) && m_file->WriteAt(offset, data, size);
    }
    bool Size(uint64_t& size) override { return m_file->Size(size); }
    bool Flush() override {
        const unsigned slow = m_disk.SlowFlushMs();
        if (slow > 0) {
            ::Sleep(slow);
        }
        m_disk.BeforeFlush();
        const bool flushed = m_file->Flush();
        m_disk.AfterFlush();
        return flushed;
    }
    bool Truncate(uint64_t size) override { return m_file->Truncate(size); }

private:
    std::unique_ptr<RandomAccessFile> m_file;
    SimulatedDisk& m_disk;
};

} // namespace

void SimulatedDisk::Fill(int64_t writableBytes, int64_t freeBytes) {
    m_writableBytes = writableBytes;
    m_freeBytes = freeBytes;
}

void SimulatedDisk::Stall(unsigned stallMs, unsigned everyMs) {
    const bool on = stallMs > 0 && everyMs > 0;
    const int64_t now = MonotonicMicros();
    m_stallsFromUs = now;
    m_lastFlushUs = now;
    m_longestFlushGapUs = 0;
    m_everyUs = on ? static_cast<int64_t>(everyMs) * 1000 : 0;
    m_stallUs = on ? static_cast<int64_t>(stallMs) * 1000 : 0;
}

void SimulatedDisk::LimitFileSize(int64_t limitBytes) {
    m_fileSizeLimit = limitBytes;
}

void SimulatedDisk::SlowFlush(unsigned milliseconds) {
    m_slowFlushMs = milliseconds;
}

void SimulatedDisk::SetAttributes(const std::wstring& path, unsigned long attributes) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (attributes == 0) {
        m_attributes.erase(path);
    } else {
        m_attributes[path] = attributes;
    }
}

void SimulatedDisk::OpenElsewhereOnClose(void (*opener)(const std::string& path)) {
    m_openedElsewhere = opener;
}

void SimulatedDisk::KeepJournalIn(const std::wstring& folder) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_journalFolder = folder;
}

int64_t SimulatedDisk::LongestFlushGapMicros() const {
    // The time since the last flush counts too: a disk never flushed has
    // the whole time at stake.
    return std::max<int64_t>(m_longestFlushGapUs, MonotonicMicros() - m_lastFlushUs);
}

int64_t SimulatedDisk::FreeBytes(const std::string& path) {
    const int64_t simulated = m_freeBytes;
    return simulated >= 0 ? simulated : OutputDisk::FreeBytes(path);
}

int64_t SimulatedDisk::LargestFile(const std::string& path) {
    const int64_t simulated = m_fileSizeLimit;
    return simulated >= 0 ? simulated : OutputDisk::LargestFile(path);
}

unsigned long SimulatedDisk::Attributes(const std::wstring& path) {
    {
        std::lock_guard<std::mutex> lock(m_lock);
        const auto found = m_attributes.find(path);
        if (found != m_attributes.end()) {
            return found->second;
        }
    }
    return OutputDisk::Attributes(path);
}

std::wstring SimulatedDisk::JournalFolder() {
    std::wstring folder;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        folder = m_journalFolder;
    }
    if (folder.empty()) {
        return OutputDisk::JournalFolder();
    }
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const DWORD attributes = ::GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0
               ? folder
               : std::wstring();
}

std::unique_ptr<RandomAccessFile> SimulatedDisk::Open(const std::wstring& path,
                                                      Win32RandomAccessFile::Access access) {
    std::unique_ptr<RandomAccessFile> file = OutputDisk::Open(path, access);
    if (!file) {
        return nullptr;
    }
    return std::make_unique<SimulatedFile>(std::move(file), *this);
}

bool SimulatedDisk::Takes(size_t size) {
    const int64_t bytes = static_cast<int64_t>(size);
    int64_t left = m_writableBytes.load();
    while (left >= 0) {
        if (left < bytes) {
            return false;
        }
        if (m_writableBytes.compare_exchange_weak(left, left - bytes)) {
            return true;
        }
    }
    return true;
}

bool SimulatedDisk::BeforeWrite(uint64_t endBytes) {
    WaitOutStall();
    const int64_t limit = m_fileSizeLimit;
    if (limit >= 0 && endBytes > static_cast<uint64_t>(limit)) {
        ::SetLastError(ERROR_FILE_TOO_LARGE);
        return false;
    }
    return true;
}

void SimulatedDisk::BeforeFlush() {
    WaitOutStall();
}

void SimulatedDisk::AfterFlush() {
    if (m_everyUs <= 0) {
        return;
    }
    const int64_t now = MonotonicMicros();
    const int64_t gap = now - m_lastFlushUs.exchange(now);
    int64_t longest = m_longestFlushGapUs;
    while (gap > longest && !m_longestFlushGapUs.compare_exchange_weak(longest, gap)) {
    }
}

void SimulatedDisk::Closed(const std::string& path) {
    if (auto* opener = m_openedElsewhere.load()) {
        opener(path);
    }
}

void SimulatedDisk::WaitOutStall() const {
    const int64_t stall = m_stallUs;
    const int64_t every = m_everyUs;
    if (stall <= 0 || every <= 0) {
        return;
    }
    const int64_t into = (MonotonicMicros() - m_stallsFromUs) % every;
    if (into < stall) {
        ::Sleep(static_cast<DWORD>((stall - into + 999) / 1000));
    }
}
