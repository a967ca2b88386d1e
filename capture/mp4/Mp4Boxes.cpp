#include "capture/mp4/Mp4Boxes.h"

#include <algorithm>

#include "capture/mp4/RandomAccessFile.h"

namespace Mp4 {

uint32_t ReadU32(const uint8_t* bytes) {
    return (static_cast<uint32_t>(bytes[0]) << 24) | (static_cast<uint32_t>(bytes[1]) << 16) |
           (static_cast<uint32_t>(bytes[2]) << 8) | static_cast<uint32_t>(bytes[3]);
}

uint64_t ReadU64(const uint8_t* bytes) {
    return (static_cast<uint64_t>(ReadU32(bytes)) << 32) | ReadU32(bytes + 4);
}

void PutU32(uint8_t* bytes, uint32_t value) {
    bytes[0] = static_cast<uint8_t>(value >> 24);
    bytes[1] = static_cast<uint8_t>(value >> 16);
    bytes[2] = static_cast<uint8_t>(value >> 8);
    bytes[3] = static_cast<uint8_t>(value);
}

void PutU64(uint8_t* bytes, uint64_t value) {
    PutU32(bytes, static_cast<uint32_t>(value >> 32));
    PutU32(bytes + 4, static_cast<uint32_t>(value));
}

HeaderStatus ParseBoxHeader(const uint8_t* bytes, size_t available, uint64_t offset, uint64_t limit,
                            BoxHeader& header) {
    if (offset > limit || limit - offset < 8 || available < 8) {
        return HeaderStatus::PastEnd;
    }
    header.offset = offset;
    header.type = ReadU32(bytes + 4);
    const uint32_t size = ReadU32(bytes);
    if (size == 1) {
        if (limit - offset < 16 || available < 16) {
            return HeaderStatus::PastEnd;
        }
        header.headerSize = 16;
        header.size = ReadU64(bytes + 8);
    } else {
        header.headerSize = 8;
        header.size = size;
    }
    if (header.size < header.headerSize) {
        return HeaderStatus::Malformed;
    }
    return header.size > limit - offset ? HeaderStatus::PastEnd : HeaderStatus::Whole;
}

HeaderStatus ReadBoxHeader(RandomAccessFile& file, uint64_t offset, uint64_t fileSize,
                           BoxHeader& header) {
    uint8_t bytes[16];
    if (offset > fileSize || fileSize - offset < 8) {
        return HeaderStatus::PastEnd;
    }
    const size_t available = static_cast<size_t>(std::min<uint64_t>(16, fileSize - offset));
    if (!file.ReadAt(offset, bytes, available)) {
        return HeaderStatus::PastEnd;
    }
    return ParseBoxHeader(bytes, available, offset, fileSize, header);
}

bool ChildBoxes::Next(BoxView& child) {
    if (m_failed || m_position >= m_size) {
        return false;
    }
    BoxHeader header;
    if (ParseBoxHeader(m_data + m_position, m_size - m_position, m_position, m_size, header) !=
        HeaderStatus::Whole) {
        m_failed = true;
        return false;
    }
    child.type = header.type;
    child.data = m_data + m_position;
    child.size = static_cast<size_t>(header.size);
    child.headerSize = header.headerSize;
    m_position += child.size;
    return true;
}

bool FindChild(const BoxView& parent, uint32_t type, BoxView& child) {
    ChildBoxes children(parent);
    while (children.Next(child)) {
        if (child.type == type) {
            return true;
        }
    }
    return false;
}

uint32_t FieldAfterTimes(const BoxView& header) {
    ByteReader in(header.Payload(), header.PayloadSize());
    // Version 1 has 64-bit times.
    in.Skip(in.U8() == 1 ? 3 + 16 : 3 + 8);
    return in.U32();
}

const uint8_t* ByteReader::Take(size_t count) {
    if (!m_ok || m_size - m_position < count) {
        m_ok = false;
        return nullptr;
    }
    const uint8_t* at = m_data + m_position;
    m_position += count;
    return at;
}

uint8_t ByteReader::U8() {
    const uint8_t* at = Take(1);
    return at != nullptr ? at[0] : 0;
}

uint32_t ByteReader::U24() {
    const uint8_t* at = Take(3);
    return at != nullptr
               ? (static_cast<uint32_t>(at[0]) << 16) | (static_cast<uint32_t>(at[1]) << 8) | at[2]
               : 0;
}

uint32_t ByteReader::U32() {
    const uint8_t* at = Take(4);
    return at != nullptr ? ReadU32(at) : 0;
}

uint64_t ByteReader::U64() {
    const uint8_t* at = Take(8);
    return at != nullptr ? ReadU64(at) : 0;
}

void ByteReader::Skip(size_t count) {
    Take(count);
}

void BoxWriter::U16(uint16_t value) {
    m_out.push_back(static_cast<uint8_t>(value >> 8));
    m_out.push_back(static_cast<uint8_t>(value));
}

void BoxWriter::U24(uint32_t value) {
    m_out.push_back(static_cast<uint8_t>(value >> 16));
    U16(static_cast<uint16_t>(value));
}

void BoxWriter::U32(uint32_t value) {
    uint8_t bytes[4];
    PutU32(bytes, value);
    m_out.insert(m_out.end(), bytes, bytes + 4);
}

void BoxWriter::U64(uint64_t value) {
    U32(static_cast<uint32_t>(value >> 32));
    U32(static_cast<uint32_t>(value));
}

void BoxWriter::Bytes(const uint8_t* data, size_t size) {
    m_out.insert(m_out.end(), data, data + size);
}

size_t BoxWriter::Begin(uint32_t type) {
    const size_t box = m_out.size();
    U32(0);
    U32(type);
    return box;
}

size_t BoxWriter::BeginFull(uint32_t type, uint8_t version, uint32_t flags) {
    const size_t box = Begin(type);
    U8(version);
    U24(flags);
    return box;
}

void BoxWriter::End(size_t box) {
    PutU32(m_out.data() + box, static_cast<uint32_t>(m_out.size() - box));
}

} // namespace Mp4
