#include "capture/recording/OutputDisk.h"

#include <windows.h>

#include "capture/recording/FilePaths.h"
#include "capture/recording/RecordingJournal.h"
#include "capture/recording/VolumeFileLimit.h"

int64_t OutputDisk::FreeBytes(const std::string& path) {
    return FreeDiskBytes(path);
}

int64_t OutputDisk::LargestFile(const std::string& path) {
    return LargestFileOnVolume(path);
}

unsigned long OutputDisk::Attributes(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str());
}

std::wstring OutputDisk::JournalFolder() {
    return RecordingJournalFolder();
}

std::unique_ptr<RandomAccessFile> OutputDisk::Open(const std::wstring& path,
                                                   Win32RandomAccessFile::Access access) {
    auto file = std::make_unique<Win32RandomAccessFile>(path, access);
    if (!file->IsOpen()) {
        return nullptr;
    }
    return file;
}

std::shared_ptr<OutputDisk> RealOutputDisk() {
    // Never freed: threads left to the end of the process (a finish on a
    // dead disk) may still use it.
    static const auto* const disk = new std::shared_ptr<OutputDisk>(new OutputDisk());
    return *disk;
}
