// Where skin documents and images come from: a ZIP archive in memory once one
// has been handed over, otherwise files in the resource folder on disk. The
// program reads through one source for the whole process (the functions
// below); a test reads through a source of its own.
#pragma once

#include <cstddef>
#include <vector>

#include "ui/UiString.h"
#include "ui/ZipArchive.h"

namespace Ui {

// Largest skin document that is read.
constexpr std::size_t kMaxResourceDocumentSize = 4194304;

class ResourceSource {
public:
    ResourceSource() = default;
    ResourceSource(const ResourceSource&) = delete;
    ResourceSource& operator=(const ResourceSource&) = delete;

    // Folder put before file names on disk, kept as given (callers pass a trailing backslash).
    void SetPath(const char* folder) { m_path = folder; }
    const char* Path() const { return m_path.GetData(); }

    // Makes the memory block the archive ("membuffer"); it is opened once and kept for the
    // life of the source, so the block must stay valid. A second call while one is set is
    // ignored and answers false. Returns whether the archive opened; when it did not, reads
    // from it fail with "Error opening zip file".
    bool SetZip(const void* data, std::size_t size);
    bool HasZip() const { return !m_archiveName.IsEmpty(); }
    // The open archive, or null when none is set or it could not be opened.
    const CZipArchive* Zip() const { return m_archive.IsOpen() ? &m_archive : nullptr; }

    // Reads a whole resource file: from the archive when one is set, else path + name from
    // disk. On failure returns false, empties `bytes` and, if `error` is given, sets it to one
    // of "Error opening file", "File is empty", "File too large" (more than `limit` bytes),
    // "Could not read file", "Error opening zip file", "Could not find ziped file",
    // "Could not unzip file".
    bool Read(const char* name, std::vector<unsigned char>& bytes, CUiString* error = nullptr,
              std::size_t limit = 4194304) const;

private:
    bool ReadFromArchive(const char* name, std::vector<unsigned char>& bytes, CUiString* error,
                         std::size_t limit) const;
    bool ReadFromDisk(const char* name, std::vector<unsigned char>& bytes, CUiString* error,
                      std::size_t limit) const;

    CUiString m_path;
    CUiString m_archiveName; // "membuffer" once an archive has been handed over
    CZipArchive m_archive;
};

// The program's source, for the life of the process.
ResourceSource& ProcessResources();

// The program's source, as ResourceSource's members.
void SetResourcePath(const char* folder);
const char* GetResourcePath();
bool SetResourceZip(const void* data, std::size_t size);
bool HasResourceZip();
const CZipArchive* GetResourceZip();
bool ReadResourceFile(const char* name, std::vector<unsigned char>& bytes,
                      CUiString* error = nullptr, std::size_t limit = 4194304);

} // namespace Ui
