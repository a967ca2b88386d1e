#include "capture/recording/OutputFile.h"

#include <windows.h>

#include <new>
#include <utility>

#include "Core/HandleOwners.h"
#include "capture/OutputNaming.h"
#include "capture/mp4/Mp4HeaderCopy.h"
#include "capture/recording/WriteBehindFile.h"

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

namespace {

// FFmpeg's own buffer size for files.
constexpr int kBufferBytes = 32768;

// What FFmpeg's I/O context writes through: the file, written behind so
// that a disk stalling for a moment holds up no encoder, where the next
// write lands, who is shown every write, and the disk it is on.
struct OutputHandle {
    OutputHandle(UniqueHandle handle, Mp4HeaderCopy* shown, OutputDisk& on)
        : file(std::move(handle), on), headers(shown), disk(on) {}
    WriteBehindFile file;
    uint64_t position = 0;
    Mp4HeaderCopy* headers = nullptr;
    OutputDisk& disk;
    std::string path;
};

int WritePacket(void* opaque, uint8_t* data, int size) {
    auto* file = static_cast<OutputHandle*>(opaque);
    if (!file->disk.Takes(static_cast<size_t>(size))) {
        return AVERROR(ENOSPC);
    }
    // A failed write is seen here at the next one, or at the close.
    if (!file->file.Write(file->position, data, static_cast<size_t>(size))) {
        if (file->headers != nullptr) {
            file->headers->Truncated(0); // the file no longer holds what the copy says
        }
        return file->file.DiskFull() ? AVERROR(ENOSPC) : AVERROR(EIO);
    }
    if (file->headers != nullptr) {
        file->headers->Written(file->position, data, static_cast<size_t>(size));
    }
    file->position += static_cast<uint64_t>(size);
    return size;
}

int64_t Seek(void* opaque, int64_t offset, int whence) {
    auto* open = static_cast<OutputHandle*>(opaque);
    // Writes carry their offset: a seek only moves where the next one lands.
    const int64_t size = static_cast<int64_t>(open->file.Size());
    if (whence & AVSEEK_SIZE) {
        return size;
    }
    int64_t position = 0;
    switch (whence & ~AVSEEK_FORCE) {
    case SEEK_SET:
        position = offset;
        break;
    case SEEK_CUR:
        position = static_cast<int64_t>(open->position) + offset;
        break;
    case SEEK_END:
        position = size + offset;
        break;
    default:
        return AVERROR(EINVAL);
    }
    if (position < 0) {
        return AVERROR(EINVAL);
    }
    open->position = static_cast<uint64_t>(position);
    return position;
}

// Creates a file where none is, sharing reading only (two writers would
// ruin it); at a name that is taken, the next one (see CreateOutputFile).
// *problem tells why none could be made (an empty path: no name was free).
HANDLE CreateNewFile(std::string& path, DWORD access, OutputProblem* problem) {
    OutputProblem why = OutputProblem::NoFreeName;
    while (!path.empty()) {
        HANDLE file = ::CreateFileW(WidePath(path).c_str(), access, FILE_SHARE_READ, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            return file;
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            why = OutputProblemOfError(error);
            break;
        }
        path = NextOutputPath(path);
    }
    if (problem != nullptr) {
        *problem = why;
    }
    return INVALID_HANDLE_VALUE;
}

} // namespace

AVIOContext* CreateOutputFile(std::string& path, Mp4HeaderCopy* headers, OutputDisk& disk,
                              OutputProblem* problem) {
    UniqueHandle file(CreateNewFile(path, GENERIC_READ | GENERIC_WRITE, problem));
    if (!file.Valid()) {
        return nullptr;
    }
    // The buffer belongs to the context from here on.
    auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferBytes));
    auto* open = new (std::nothrow) OutputHandle(std::move(file), headers, disk);
    if (open != nullptr) {
        open->path = path;
    }
    AVIOContext* context =
        buffer != nullptr && open != nullptr
            ? avio_alloc_context(buffer, kBufferBytes, 1, open, nullptr, &WritePacket, &Seek)
            : nullptr;
    if (context == nullptr) {
        if (problem != nullptr) {
            *problem = OutputProblem::WriteFailed;
        }
        av_free(buffer);
        delete open; // closes the file it took over
        file.Close();
        // Only the file made here: the name may have moved on from the one first chosen.
        ::DeleteFileW(WidePath(path).c_str());
        return nullptr;
    }
    return context;
}

bool CloseOutputFile(AVIOContext** file, OutputProblem* problem) {
    if (file == nullptr || *file == nullptr) {
        return true;
    }
    AVIOContext* context = *file;
    *file = nullptr;
    avio_flush(context);
    bool whole = context->error >= 0;
    bool diskFull = context->error == AVERROR(ENOSPC);
    auto* open = static_cast<OutputHandle*>(context->opaque);
    // Waits for what is still buffered to reach the file.
    if (!open->file.Close()) {
        whole = false;
        diskFull = diskFull || open->file.DiskFull();
        if (open->headers != nullptr) {
            open->headers->Truncated(0);
        }
    }
    if (!whole && problem != nullptr) {
        *problem = diskFull ? OutputProblem::DiskFull : OutputProblem::WriteFailed;
    }
    open->disk.Closed(open->path);
    delete open;
    av_freep(&context->buffer);
    avio_context_free(&context);
    return whole;
}

bool CanCreateOutputFile(std::string& path, OutputProblem* problem) {
    UniqueHandle file(CreateNewFile(path, GENERIC_WRITE, problem));
    if (!file.Valid()) {
        return false;
    }
    file.Close();
    ::DeleteFileW(WidePath(path).c_str());
    return true;
}

bool DeleteOutputFile(const std::string& path) {
    return ::DeleteFileW(WidePath(path).c_str()) != FALSE;
}

bool OutputFileExists(const std::string& path) {
    return ::GetFileAttributesW(WidePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

int64_t OutputFileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &data)) {
        return 0;
    }
    return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}
