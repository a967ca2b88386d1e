#include "capture/recording/Win32RandomAccessFile.h"

#include <windows.h>

#include <algorithm>

namespace {

// ReadFile and WriteFile take a DWORD count; larger requests go in pieces.
constexpr size_t kMaxPiece = 1u << 30;

OVERLAPPED At(uint64_t offset) {
    OVERLAPPED position{};
    position.Offset = static_cast<DWORD>(offset);
    position.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return position;
}

} // namespace

Win32RandomAccessFile::Win32RandomAccessFile(const std::wstring& path, Access access)
    : m_handle(access == Access::ReadWrite
                   ? CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                   : CreateFileW(path.c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}

Win32RandomAccessFile::~Win32RandomAccessFile() = default;

bool Win32RandomAccessFile::IsOpen() const {
    return m_handle.Valid();
}

bool Win32RandomAccessFile::ReadAt(uint64_t offset, void* buffer, size_t size) {
    auto* out = static_cast<unsigned char*>(buffer);
    while (size > 0) {
        const DWORD piece = static_cast<DWORD>(std::min(size, kMaxPiece));
        OVERLAPPED position = At(offset);
        DWORD got = 0;
        if (!ReadFile(m_handle.Get(), out, piece, &got, &position) || got == 0) {
            return false;
        }
        out += got;
        offset += got;
        size -= got;
    }
    return true;
}

bool Win32RandomAccessFile::WriteAt(uint64_t offset, const void* data, size_t size) {
    const auto* in = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const DWORD piece = static_cast<DWORD>(std::min(size, kMaxPiece));
        OVERLAPPED position = At(offset);
        DWORD put = 0;
        if (!WriteFile(m_handle.Get(), in, piece, &put, &position) || put == 0) {
            return false;
        }
        in += put;
        offset += put;
        size -= put;
    }
    return true;
}

bool Win32RandomAccessFile::Size(uint64_t& size) {
    LARGE_INTEGER length{};
    if (!GetFileSizeEx(m_handle.Get(), &length)) {
        return false;
    }
    size = static_cast<uint64_t>(length.QuadPart);
    return true;
}

bool Win32RandomAccessFile::Flush() {
    return FlushFileBuffers(m_handle.Get()) != FALSE;
}

bool Win32RandomAccessFile::Truncate(uint64_t size) {
    LARGE_INTEGER position{};
    position.QuadPart = static_cast<LONGLONG>(size);
    return SetFilePointerEx(m_handle.Get(), position, nullptr, FILE_BEGIN) &&
           SetEndOfFile(m_handle.Get());
}
