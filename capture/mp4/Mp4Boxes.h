// MP4 (ISO base media file) boxes: reading box headers from a file or from
// bytes in memory, a bounds-checked big-endian reader, and a writer that
// nests boxes. Free of Windows and FFmpeg headers, tested natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class RandomAccessFile;

namespace Mp4 {

constexpr uint32_t FourCc(const char (&name)[5]) {
    return (static_cast<uint32_t>(static_cast<unsigned char>(name[0])) << 24) |
           (static_cast<uint32_t>(static_cast<unsigned char>(name[1])) << 16) |
           (static_cast<uint32_t>(static_cast<unsigned char>(name[2])) << 8) |
           static_cast<uint32_t>(static_cast<unsigned char>(name[3]));
}

uint32_t ReadU32(const uint8_t* bytes);
uint64_t ReadU64(const uint8_t* bytes);
void PutU32(uint8_t* bytes, uint32_t value);
void PutU64(uint8_t* bytes, uint64_t value);

struct BoxHeader {
    uint64_t offset = 0; // of the box's first byte
    uint64_t size = 0;   // whole box, header included
    uint32_t headerSize = 0;
    uint32_t type = 0;

    uint64_t End() const { return offset + size; }
    uint64_t PayloadOffset() const { return offset + headerSize; }
};

enum class HeaderStatus {
    Whole,     // the box lies inside the bytes that exist
    PastEnd,   // its header or its body runs past the end
    Malformed, // a size smaller than its header, or 0 (to the end), which we never write
};

// Parses the header of a box that starts at `offset`, with `available` bytes
// of it at `bytes` and `limit` the end of what contains it (the file or the
// parent box).
HeaderStatus ParseBoxHeader(const uint8_t* bytes, size_t available, uint64_t offset, uint64_t limit,
                            BoxHeader& header);

// The same from a file of `fileSize` bytes; a failed read counts as PastEnd.
HeaderStatus ReadBoxHeader(RandomAccessFile& file, uint64_t offset, uint64_t fileSize,
                           BoxHeader& header);

// A box held in memory.
struct BoxView {
    uint32_t type = 0;
    const uint8_t* data = nullptr; // the whole box
    size_t size = 0;
    size_t headerSize = 0;

    const uint8_t* Payload() const { return data + headerSize; }
    size_t PayloadSize() const { return size - headerSize; }
};

// Walks the boxes laid one after another in a byte range (a parent's payload).
class ChildBoxes {
public:
    ChildBoxes(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    explicit ChildBoxes(const BoxView& parent)
        : ChildBoxes(parent.Payload(), parent.PayloadSize()) {}

    // The next child; false at the end or at a child that does not fit (then Failed).
    bool Next(BoxView& child);
    bool Failed() const { return m_failed; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_position = 0;
    bool m_failed = false;
};

// Finds the first child of that type.
bool FindChild(const BoxView& parent, uint32_t type, BoxView& child);

// The 32-bit field after the creation and modification times of a movie,
// track or media header ("mvhd", "tkhd", "mdhd"): the time scale of the
// first and last, the track ID of the second. 0 when the box is too short.
uint32_t FieldAfterTimes(const BoxView& header);

// Big-endian reads that stop at the end of the range: once a read would run
// past it, every later read answers 0 and Ok turns false.
class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    uint8_t U8();
    uint32_t U24();
    uint32_t U32();
    uint64_t U64();
    void Skip(size_t count);
    bool Ok() const { return m_ok; }
    size_t Remaining() const { return m_ok ? m_size - m_position : 0; }
    size_t Position() const { return m_position; }

private:
    const uint8_t* Take(size_t count);

    const uint8_t* m_data;
    size_t m_size;
    size_t m_position = 0;
    bool m_ok = true;
};

// Appends big-endian values and boxes to a byte vector.
class BoxWriter {
public:
    explicit BoxWriter(std::vector<uint8_t>& out) : m_out(out) {}

    void U8(uint8_t value) { m_out.push_back(value); }
    void U16(uint16_t value);
    void U24(uint32_t value);
    void U32(uint32_t value);
    void U64(uint64_t value);
    void Bytes(const uint8_t* data, size_t size);
    // Starts a box (size filled by End) and answers its position.
    size_t Begin(uint32_t type);
    // Begin followed by a full box's version and flags.
    size_t BeginFull(uint32_t type, uint8_t version, uint32_t flags);
    void End(size_t box);

private:
    std::vector<uint8_t>& m_out;
};

} // namespace Mp4
