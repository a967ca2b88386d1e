// FilePaths: the program's file names, UTF-8 throughout, as Windows' wide
// API takes them, and the room left on a file's volume. Below the output
// file, the journal and the volume's limits, which all name files this way.
#pragma once

#include <cstdint>
#include <string>

// UTF-8 to UTF-16; text that is not UTF-8 is read in the ANSI code page, as
// FFmpeg does with such names.
std::wstring WidePath(const std::string& path);
std::string Utf8Path(const std::wstring& path);

// Bytes the user may still write on the volume of path (a file or a
// folder); -1 when that cannot be told.
int64_t FreeDiskBytes(const std::string& path);
