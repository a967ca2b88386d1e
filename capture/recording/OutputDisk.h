// OutputDisk: the disk as recordings and photos meet it: the free space and
// the file-size limit of a volume, the journal's folder, the files the finish
// in place opens, and the hooks that an output file's writes, flushes and
// close pass. The program writes on the real disk (RealOutputDisk), which is
// also every default; a test hands a ruder one of its own (full, stalling, a
// volume that limits a file's size, slow to flush, another program opening
// our file) to what it builds, and the files and threads made there keep it
// alive for as long as they use it. Called from the threads that write
// (the recording's, the write-behind, the finish, the repair) at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "capture/mp4/RandomAccessFile.h"
#include "capture/recording/Win32RandomAccessFile.h"

class OutputDisk {
public:
    virtual ~OutputDisk() = default;

    // Bytes the user may still write on the volume of path (a file or a
    // folder); -1 when that cannot be told.
    virtual int64_t FreeBytes(const std::string& path);
    // Bytes a file on the volume of path may reach; -1 when its file system
    // sets no limit a recording could meet, or it cannot be told.
    virtual int64_t LargestFile(const std::string& path);
    // The attributes of path as GetFileAttributesW answers them (with its
    // last error when there are none).
    virtual unsigned long Attributes(const std::wstring& path);
    // The folder of the journal of recordings under way, made when missing;
    // empty when there is none.
    virtual std::wstring JournalFolder();
    // An existing file opened as Win32RandomAccessFile opens it; null when
    // it does not open.
    virtual std::unique_ptr<RandomAccessFile> Open(const std::wstring& path,
                                                   Win32RandomAccessFile::Access access);

    // Whether an output file takes `size` more bytes as the muxer or the
    // photo hands them over; false fails that write as a full disk does.
    virtual bool Takes(size_t size) { return true; }
    // Before the write-behind thread writes up to endBytes of a file; may
    // wait, and false (with the thread's last error set) refuses the write.
    virtual bool BeforeWrite(uint64_t endBytes) { return true; }
    // Around each flush of the write-behind thread; the first may wait.
    virtual void BeforeFlush() {}
    virtual void AfterFlush() {}
    // An output file was closed: from now on another program may open it.
    virtual void Closed(const std::string& path) {}
};

// The disk itself, for the life of the process.
std::shared_ptr<OutputDisk> RealOutputDisk();
