// The program's per-user folder, %LOCALAPPDATA%\Orvana, and files written
// there whole: a crash or a power cut leaves the old file or the new one,
// never half of either.
#pragma once

#include <string>

// The folder, created when `create` is set and it does not exist; empty when
// the system names no local application-data folder or it cannot be made.
std::wstring UserDataFolder(bool create);

// Writes `bytes` to a new file beside `path`, flushes it to the disk and
// puts it in the place of `path` in one step. False, with `path` as it was,
// when any step fails.
bool WriteFileWhole(const std::wstring& path, const std::string& bytes);

// Whether a file can be made at `path` now; leaves nothing there.
bool CanCreateFile(const std::wstring& path);

// The whole content of `path`; false when it cannot be read or is larger than maxBytes.
bool ReadWholeFile(const std::wstring& path, std::string& bytes, std::size_t maxBytes);
