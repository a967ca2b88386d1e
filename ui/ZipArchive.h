// CZipArchive: reads a ZIP archive held in memory (the skin archive).
//
// Only the central directory is trusted for entry sizes; every offset and length the archive
// states is checked against the memory block before it is used, so a damaged or hostile
// archive fails cleanly instead of reading outside the block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ui/UiString.h"

namespace Ui {

class CZipArchive {
public:
    // Entry names longer than this are never found.
    static constexpr std::size_t kMaxNameLength = 255;

    // Opens the block as an archive (any earlier one is closed). The block is not copied and
    // must stay valid while the archive is open. False if it is not a readable ZIP archive.
    bool Open(const void* data, std::size_t size);
    void Close();
    bool IsOpen() const { return m_data != nullptr; }

    int GetEntryCount() const { return static_cast<int>(m_entries.size()); }
    // Index of the first entry whose name equals `name` without regard to ASCII letter case,
    // after every '\' in `name` became '/'; -1 if none or if `name` is longer than 255 chars.
    int FindEntry(const char* name) const;
    CUiString GetEntryName(int index) const;
    // Uncompressed size the archive states for the entry; 0 when the index is out of range.
    std::size_t GetEntrySize(int index) const;
    // Inflates the entry into `bytes` (resized to its uncompressed size). False, with `bytes`
    // emptied, on any failure: unknown method, encryption, corrupt data, size or CRC mismatch.
    bool ReadEntry(int index, std::vector<unsigned char>& bytes) const;

private:
    struct Entry {
        std::string name;
        std::uint16_t flags = 0;
        std::uint16_t method = 0;
        std::uint32_t crc = 0;
        std::uint32_t compressedSize = 0;
        std::uint32_t uncompressedSize = 0;
        std::uint32_t localHeaderOffset = 0;
    };

    bool ReadCentralDirectory(std::size_t endRecord);
    bool LocateData(const Entry& entry, std::size_t& offset) const;

    const unsigned char* m_data = nullptr;
    std::size_t m_size = 0;
    std::vector<Entry> m_entries;
};

} // namespace Ui
