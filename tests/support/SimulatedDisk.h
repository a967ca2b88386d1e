// Disks and volumes ruder than the test machine's, handed by a test to the
// engine, a recording file or a repair it builds: a disk that fills, one
// whose writes stall now and then (antivirus scans, USB sticks, network
// folders, flash cleaning up), a volume whose files cannot grow past a size
// (as FAT32's 4 GiB - 1), flushes as slow as a USB stick's, files kept
// online only, another program opening our file as it is closed, and a
// journal of the test's own. Each is off until the test sets it; everything
// else is the real disk. Thread-safe: the writing threads ask it at once.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "capture/recording/OutputDisk.h"

class SimulatedDisk final : public OutputDisk {
public:
    // After writableBytes more bytes every write through an output file
    // fails, and the volume has freeBytes free. -1 leaves that part to the
    // real disk.
    void Fill(int64_t writableBytes, int64_t freeBytes);
    // Every everyMs, writes and flushes wait stallMs before they reach the
    // disk (counted from this call); 0 for either turns it off.
    void Stall(unsigned stallMs, unsigned everyMs);
    // No file may grow past limitBytes, and the volume says so; -1 turns it off.
    void LimitFileSize(int64_t limitBytes);
    // Every flush of a file the finish in place opens takes milliseconds
    // longer (0: the real disk alone).
    void SlowFlush(unsigned milliseconds);
    // The attributes seen for path (a file kept online only); 0 lets the
    // file system answer again.
    void SetAttributes(const std::wstring& path, unsigned long attributes);
    // Another program (a backup tool, an indexer) that opens a file of ours
    // the moment we close it: opener is called with its path (null: none).
    void OpenElsewhereOnClose(void (*opener)(const std::string& path));
    // The journal of recordings under way in folder (empty: the usual one).
    void KeepJournalIn(const std::wstring& folder);

    // The longest time between two flushes of a write-behind file (or since
    // the last one), from Stall on: what a power cut could have lost.
    int64_t LongestFlushGapMicros() const;

    int64_t FreeBytes(const std::string& path) override;
    int64_t LargestFile(const std::string& path) override;
    unsigned long Attributes(const std::wstring& path) override;
    std::wstring JournalFolder() override;
    std::unique_ptr<RandomAccessFile> Open(const std::wstring& path,
                                           Win32RandomAccessFile::Access access) override;
    bool Takes(size_t size) override;
    bool BeforeWrite(uint64_t endBytes) override;
    void BeforeFlush() override;
    void AfterFlush() override;
    void Closed(const std::string& path) override;

    // Waits out a stall in progress; at once when none is.
    void WaitOutStall() const;
    unsigned SlowFlushMs() const { return m_slowFlushMs; }

private:
    std::atomic<int64_t> m_writableBytes{-1};
    std::atomic<int64_t> m_freeBytes{-1};
    std::atomic<int64_t> m_stallUs{0};
    std::atomic<int64_t> m_everyUs{0};
    std::atomic<int64_t> m_stallsFromUs{0};
    std::atomic<int64_t> m_fileSizeLimit{-1};
    std::atomic<int64_t> m_lastFlushUs{0};
    std::atomic<int64_t> m_longestFlushGapUs{0};
    std::atomic<unsigned> m_slowFlushMs{0};
    std::atomic<void (*)(const std::string&)> m_openedElsewhere{nullptr};
    mutable std::mutex m_lock; // guards the two below
    std::map<std::wstring, unsigned long> m_attributes;
    std::wstring m_journalFolder;
};
