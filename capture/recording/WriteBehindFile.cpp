#include "capture/recording/WriteBehindFile.h"

#include <utility>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "capture/MonotonicClock.h"
#include "capture/recording/OutputDisk.h"

namespace {
// Small writes that follow each other are joined up to this size: fewer
// system calls, and the disk sees whole stretches.
constexpr size_t kJoinBytes = 1u << 20;
} // namespace

WriteBehindFile::WriteBehindFile(UniqueHandle handle, OutputDisk& disk)
    : m_handle(std::move(handle)), m_disk(disk) {
    LARGE_INTEGER size{};
    if (::GetFileSizeEx(m_handle.Get(), &size)) {
        m_end = static_cast<uint64_t>(size.QuadPart);
    }
    m_thread = std::thread([this] { Run(); });
}

WriteBehindFile::~WriteBehindFile() {
    Close();
}

bool WriteBehindFile::Write(uint64_t offset, const void* data, size_t size) {
    std::unique_lock<std::mutex> lock(m_lock);
    // One write larger than the buffer still goes, alone.
    m_changed.wait(lock, [&] {
        return m_failed || m_waitingBytes == 0 || m_waitingBytes + size <= kBufferBytes;
    });
    if (m_failed || m_closing) {
        return false;
    }
    const auto* bytes = static_cast<const unsigned char*>(data);
    Piece* last =
        m_waiting.empty() || (m_writing && m_waiting.size() == 1) ? nullptr : &m_waiting.back();
    if (last != nullptr && last->offset + last->bytes.size() == offset &&
        last->bytes.size() + size <= kJoinBytes) {
        last->bytes.insert(last->bytes.end(), bytes, bytes + size);
    } else {
        m_waiting.push_back(Piece{offset, std::vector<unsigned char>(bytes, bytes + size)});
    }
    m_waitingBytes += size;
    m_end = std::max<uint64_t>(m_end, offset + size);
    m_changed.notify_all();
    return true;
}

uint64_t WriteBehindFile::Size() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_end;
}

bool WriteBehindFile::DiskFull() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_diskFull;
}

bool WriteBehindFile::Close() {
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_closing = true;
        m_changed.notify_all();
    }
    if (m_thread.joinable()) {
        m_thread.join();
    }
    if (m_handle.Valid()) {
        const bool closed = m_handle.Close();
        std::lock_guard<std::mutex> lock(m_lock);
        m_failed = m_failed || !closed;
    }
    std::lock_guard<std::mutex> lock(m_lock);
    return !m_failed;
}

void WriteBehindFile::Run() {
    int64_t lastFlushUs = MonotonicMicros();
    std::unique_lock<std::mutex> lock(m_lock);
    for (;;) {
        const int64_t flushDue = lastFlushUs + kFlushEveryUs;
        if (m_unflushed && MonotonicMicros() >= flushDue) {
            // What waited a second goes to the disk before the next write:
            // a steady stream of writes does not put the flush off.
            m_unflushed = false;
            lock.unlock();
            FlushToDisk();
            lastFlushUs = MonotonicMicros();
            lock.lock();
            continue;
        }
        if (!m_waiting.empty()) {
            m_writing = true;
            const Piece& piece = m_waiting.front();
            lock.unlock();
            const bool written = WriteToDisk(piece);
            const bool full = !written && ::GetLastError() == ERROR_DISK_FULL;
            lock.lock();
            m_writing = false;
            if (!written) {
                m_failed = true;
                m_diskFull = full;
                // Nothing after a failed write reaches the file.
                m_waiting.clear();
                m_waitingBytes = 0;
            } else {
                m_waitingBytes -= m_waiting.front().bytes.size();
                m_waiting.pop_front();
                m_unflushed = true;
            }
            m_changed.notify_all();
            continue;
        }
        if (m_closing) {
            break;
        }
        if (m_unflushed) {
            m_changed.wait_for(lock, std::chrono::microseconds(
                                         std::max<int64_t>(0, flushDue - MonotonicMicros())));
        } else {
            m_changed.wait(lock);
        }
    }
}

bool WriteBehindFile::WriteToDisk(const Piece& piece) {
    if (!m_disk.BeforeWrite(piece.offset + piece.bytes.size())) {
        return false;
    }
    const unsigned char* data = piece.bytes.data();
    size_t left = piece.bytes.size();
    uint64_t offset = piece.offset;
    while (left > 0) {
        OVERLAPPED position{};
        position.Offset = static_cast<DWORD>(offset);
        position.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD put = 0;
        if (!::WriteFile(m_handle.Get(), data, static_cast<DWORD>(left), &put, &position) ||
            put == 0) {
            return false;
        }
        data += put;
        offset += put;
        left -= put;
    }
    return true;
}

void WriteBehindFile::FlushToDisk() {
    m_disk.BeforeFlush();
    // A flush that fails loses nothing that a later one cannot still save.
    ::FlushFileBuffers(m_handle.Get());
    m_disk.AfterFlush();
}
