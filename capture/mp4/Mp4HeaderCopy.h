// A copy, kept in memory while a fragmented MP4 is written, of what the
// finish in place reads back: the file type and movie boxes, every fragment
// header ("moof") and the first 16 bytes of every other top-level box. At a
// normal stop the finish then reads nothing from the disk, where an hour's
// 9,000 scattered fragment headers may no longer be cached. A write that
// leaves a gap ends the copy (the finish then reads the file, as a repair
// does). Free of Windows headers, tested natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "capture/mp4/RandomAccessFile.h"

class Mp4HeaderCopy {
public:
    // Bytes the writer put at offset. Sequential writes are followed box by
    // box; a write over bytes already seen updates the copy; one past the end
    // seen ends it.
    void Written(uint64_t offset, const uint8_t* data, size_t size);
    // Whether the copy still follows the file.
    bool Following() const { return m_following; }
    // Up to size bytes at offset, when the copy holds at least the first
    // min(size, 16) of them: answers how many it gave, 0 when it cannot.
    size_t Read(uint64_t offset, uint8_t* buffer, size_t size) const;
    // The file was cut to size bytes.
    void Truncated(uint64_t size);

private:
    struct Range {
        uint64_t offset = 0;
        std::vector<uint8_t> bytes;
        uint64_t End() const { return offset + bytes.size(); }
    };
    void Overwrite(uint64_t offset, const uint8_t* data, size_t size);
    void Follow(uint64_t offset, const uint8_t* data, size_t size);
    void Keep(uint64_t offset, const uint8_t* data, size_t size);
    void Stop();

    std::vector<Range> m_ranges; // in file order, never touching
    uint64_t m_seen = 0;         // bytes written from the start without a gap
    uint64_t m_box = 0;          // where the box being written starts
    uint64_t m_boxEnd = 0;       // and ends (0: its header is not whole yet)
    uint64_t m_keepEnd = 0;      // end of what is kept of it
    std::vector<uint8_t> m_header;
    size_t m_kept = 0; // bytes held in the ranges
    bool m_following = true;
};

// A file read through the copy where it can: the finish in place at a
// normal stop. Writes and cuts go to the file and keep the copy in step.
class HeaderCopiedFile final : public RandomAccessFile {
public:
    HeaderCopiedFile(RandomAccessFile& file, Mp4HeaderCopy& copy) : m_file(file), m_copy(copy) {}

    bool ReadAt(uint64_t offset, void* buffer, size_t size) override;
    size_t ReadUpTo(uint64_t offset, void* buffer, size_t size) override;
    bool WriteAt(uint64_t offset, const void* data, size_t size) override;
    bool Size(uint64_t& size) override { return m_file.Size(size); }
    bool Flush() override { return m_file.Flush(); }
    bool Truncate(uint64_t size) override;

private:
    RandomAccessFile& m_file;
    Mp4HeaderCopy& m_copy;
};
