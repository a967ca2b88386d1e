// WriteBehindFile: writes to a file on a thread of its own, through a buffer
// of several seconds of a recording, so that a disk that stalls for a
// moment (an antivirus scan, a USB stick or flash cleaning up, a network
// folder) holds up neither the encoder nor the camera. Whatever was written
// is flushed to the disk at least every kFlushEveryUs, so a power cut loses
// little more than that; what still waits in the buffer is what a killed
// program loses.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "Core/HandleOwners.h"

class OutputDisk;

class WriteBehindFile {
public:
    // A recording at 4 Mbit/s fills this in 8 s; then writers wait.
    static constexpr size_t kBufferBytes = 4u << 20;
    static constexpr int64_t kFlushEveryUs = 1000000;

    // Takes over an open file handle that writes at any offset; its writes
    // and flushes pass the disk's hooks (the disk must outlive the file).
    WriteBehindFile(UniqueHandle handle, OutputDisk& disk);
    // Closes, when Close was not called.
    ~WriteBehindFile();
    WriteBehindFile(const WriteBehindFile&) = delete;
    WriteBehindFile& operator=(const WriteBehindFile&) = delete;

    // Copies the bytes to be written at offset, after everything handed
    // over before; waits while the buffer is full. False once any write
    // failed: nothing handed over since reaches the file.
    bool Write(uint64_t offset, const void* data, size_t size);
    // The file's length once all that waits is written.
    uint64_t Size() const;
    // Whether a write failed because the disk is full.
    bool DiskFull() const;
    // Writes all that waits, ends the thread and closes the file; true when
    // every byte handed over reached it. Safe to call twice.
    bool Close();

private:
    struct Piece {
        uint64_t offset = 0;
        std::vector<unsigned char> bytes;
    };

    void Run();
    // The writer thread's disk work, without the lock.
    bool WriteToDisk(const Piece& piece);
    void FlushToDisk();

    UniqueHandle m_handle;
    OutputDisk& m_disk;
    mutable std::mutex m_lock; // guards all below
    std::condition_variable m_changed;
    std::deque<Piece> m_waiting;
    size_t m_waitingBytes = 0; // including the piece being written
    bool m_writing = false;    // the front piece is being written
    bool m_unflushed = false;  // written since the last flush
    bool m_closing = false;
    bool m_failed = false;
    bool m_diskFull = false;
    uint64_t m_end = 0;
    std::thread m_thread;
};
