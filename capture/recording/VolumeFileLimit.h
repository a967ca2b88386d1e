// The largest file the volume of a path can hold: FAT32 (SD cards, many USB
// sticks) stops a file at 4 GiB - 1, where a recording must go on in a new
// file before it is cut off. Paths are UTF-8 (see OutputFile.h).
#pragma once

#include <cstdint>
#include <string>

// Bytes a file on the volume of path (a file or a folder) may reach; -1 when
// its file system sets no limit a recording could meet, or it cannot be told.
int64_t LargestFileOnVolume(const std::string& path);
