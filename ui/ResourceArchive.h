// The process-wide source of skin documents and images: a ZIP archive in memory when the
// program has handed one over, otherwise files in the resource folder on disk.
#pragma once

#include <cstddef>
#include <vector>

#include "ui/UiString.h"

namespace Ui {

class CZipArchive;

// Largest skin document that is read.
constexpr std::size_t kMaxResourceDocumentSize = 4194304;

// Folder put before file names on disk, kept as given (callers pass a trailing backslash).
void SetResourcePath(const char* folder);
const char* GetResourcePath();

// Makes the memory block the archive ("membuffer"); it is opened once and kept for the life of
// the process, so the block must stay valid. A second call while one is set is ignored and
// answers false. Returns whether the archive opened; when it did not, reads from it fail with
// "Error opening zip file".
bool SetResourceZip(const void* data, std::size_t size);
bool HasResourceZip();
// The open archive, or null when none is set or it could not be opened.
const CZipArchive* GetResourceZip();

// Reads a whole resource file: from the archive when one is set, else resource path + name from
// disk. On failure returns false, empties `bytes` and, if `error` is given, sets it to one of
// "Error opening file", "File is empty", "File too large" (more than `limit` bytes),
// "Could not read file", "Error opening zip file", "Could not find ziped file",
// "Could not unzip file".
bool ReadResourceFile(const char* name, std::vector<unsigned char>& bytes,
                      CUiString* error = nullptr, std::size_t limit = 4194304);

// Clears the resource path and the archive (tests only).
void ResetResourcesForTesting();

} // namespace Ui
