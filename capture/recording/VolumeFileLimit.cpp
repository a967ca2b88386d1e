#include "capture/recording/VolumeFileLimit.h"

#include <windows.h>

#include "capture/recording/FilePaths.h"

namespace {
// A FAT directory entry holds the size in 32 bits.
constexpr int64_t kFatLargestFile = 0xFFFFFFFFLL;
} // namespace

int64_t LargestFileOnVolume(const std::string& path) {
    // The volume's root, also for a folder mounted into another volume.
    wchar_t root[MAX_PATH + 1] = {};
    if (!::GetVolumePathNameW(WidePath(path).c_str(), root, MAX_PATH)) {
        return -1;
    }
    wchar_t fileSystem[MAX_PATH + 1] = {};
    if (!::GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, nullptr, fileSystem,
                                 MAX_PATH)) {
        return -1;
    }
    // "FAT", "FAT12", "FAT16", "FAT32"; exFAT and NTFS hold files far larger.
    const std::wstring name = fileSystem;
    return name.compare(0, 3, L"FAT") == 0 ? kFatLargestFile : -1;
}
