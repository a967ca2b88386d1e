// RandomAccessFile over a Windows file handle, opened by its wide path.
#pragma once

#include <string>

#include "Core/HandleOwners.h"
#include "capture/mp4/RandomAccessFile.h"

class Win32RandomAccessFile final : public RandomAccessFile {
public:
    enum class Access { ReadWrite, ReadOnly };
    // Opens an existing file for reading and writing, others may only read
    // meanwhile; or for reading alone, sharing everything (writes then
    // fail). IsOpen tells whether it worked.
    explicit Win32RandomAccessFile(const std::wstring& path, Access access = Access::ReadWrite);
    ~Win32RandomAccessFile() override;
    Win32RandomAccessFile(const Win32RandomAccessFile&) = delete;
    Win32RandomAccessFile& operator=(const Win32RandomAccessFile&) = delete;

    bool IsOpen() const;

    bool ReadAt(uint64_t offset, void* buffer, size_t size) override;
    bool WriteAt(uint64_t offset, const void* data, size_t size) override;
    bool Size(uint64_t& size) override;
    bool Flush() override;
    bool Truncate(uint64_t size) override;

private:
    UniqueHandle m_handle;
};
