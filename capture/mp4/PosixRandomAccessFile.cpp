#include "capture/mp4/PosixRandomAccessFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

PosixRandomAccessFile::PosixRandomAccessFile(const std::string& path)
    : m_fd(::open(path.c_str(), O_RDWR | O_CLOEXEC)) {}

PosixRandomAccessFile::~PosixRandomAccessFile() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

bool PosixRandomAccessFile::ReadAt(uint64_t offset, void* buffer, size_t size) {
    auto* out = static_cast<unsigned char*>(buffer);
    while (size > 0) {
        const ssize_t got = ::pread(m_fd, out, size, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        out += got;
        offset += static_cast<uint64_t>(got);
        size -= static_cast<size_t>(got);
    }
    return true;
}

bool PosixRandomAccessFile::WriteAt(uint64_t offset, const void* data, size_t size) {
    const auto* in = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const ssize_t put = ::pwrite(m_fd, in, size, static_cast<off_t>(offset));
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return false;
        }
        in += put;
        offset += static_cast<uint64_t>(put);
        size -= static_cast<size_t>(put);
    }
    return true;
}

bool PosixRandomAccessFile::Size(uint64_t& size) {
    struct stat info {};
    if (::fstat(m_fd, &info) != 0) {
        return false;
    }
    size = static_cast<uint64_t>(info.st_size);
    return true;
}

bool PosixRandomAccessFile::Flush() {
    return ::fdatasync(m_fd) == 0;
}

bool PosixRandomAccessFile::Truncate(uint64_t size) {
    return ::ftruncate(m_fd, static_cast<off_t>(size)) == 0;
}
