// The few file operations that finishing a recording in place needs: reads
// and writes at an offset, the size, a flush to the disk and a cut. The
// platform-neutral MP4 code works through this interface only, so that the
// native tests use a POSIX file and the program a Windows handle.
#pragma once

#include <cstddef>
#include <cstdint>

class RandomAccessFile {
public:
    virtual ~RandomAccessFile() = default;

    // Reads exactly `size` bytes at `offset`; false when fewer are there or
    // the read fails.
    virtual bool ReadAt(uint64_t offset, void* buffer, size_t size) = 0;
    // Reads at least min(size, 16) of `size` bytes at `offset` (a box
    // header, with what follows it when that comes cheaply) and answers how
    // many; 0 when it cannot.
    virtual size_t ReadUpTo(uint64_t offset, void* buffer, size_t size) {
        return ReadAt(offset, buffer, size) ? size : 0;
    }
    // Writes all `size` bytes at `offset` (growing the file when needed).
    virtual bool WriteAt(uint64_t offset, const void* data, size_t size) = 0;
    virtual bool Size(uint64_t& size) = 0;
    // Returns once everything written so far is on the disk.
    virtual bool Flush() = 0;
    // Makes the file `size` bytes long.
    virtual bool Truncate(uint64_t size) = 0;
};
