// RandomAccessFile over a POSIX file descriptor, for the native build.
#pragma once

#include <string>

#include "capture/mp4/RandomAccessFile.h"

class PosixRandomAccessFile final : public RandomAccessFile {
public:
    // Opens an existing file for reading and writing; IsOpen tells whether it worked.
    explicit PosixRandomAccessFile(const std::string& path);
    ~PosixRandomAccessFile() override;
    PosixRandomAccessFile(const PosixRandomAccessFile&) = delete;
    PosixRandomAccessFile& operator=(const PosixRandomAccessFile&) = delete;

    bool IsOpen() const { return m_fd >= 0; }

    bool ReadAt(uint64_t offset, void* buffer, size_t size) override;
    bool WriteAt(uint64_t offset, const void* data, size_t size) override;
    bool Size(uint64_t& size) override;
    bool Flush() override;
    bool Truncate(uint64_t size) override;

private:
    int m_fd = -1;
};
