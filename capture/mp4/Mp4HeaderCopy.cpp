#include "capture/mp4/Mp4HeaderCopy.h"

#include <algorithm>
#include <cstring>

#include "capture/mp4/Mp4Boxes.h"

namespace {

// An hour's headers take about 1 MB; a copy past this is not worth its memory.
constexpr size_t kMostKept = 64u << 20;
// What is kept of a box whose body the finish never reads.
constexpr uint64_t kHeaderBytes = 16;

bool KeptWhole(uint32_t type) {
    return type == Mp4::FourCc("ftyp") || type == Mp4::FourCc("moov") ||
           type == Mp4::FourCc("moof");
}

} // namespace

void Mp4HeaderCopy::Written(uint64_t offset, const uint8_t* data, size_t size) {
    if (!m_following || size == 0) {
        return;
    }
    if (offset > m_seen) {
        Stop();
        return;
    }
    const uint64_t over = std::min<uint64_t>(size, m_seen - offset);
    if (over > 0) {
        Overwrite(offset, data, static_cast<size_t>(over));
    }
    if (m_following && over < size) {
        Follow(m_seen, data + over, size - static_cast<size_t>(over));
    }
}

void Mp4HeaderCopy::Follow(uint64_t offset, const uint8_t* data, size_t size) {
    while (m_following && size > 0) {
        size_t taken = 0;
        if (m_boxEnd == 0) {
            // Still reading the header of the box at m_box.
            const size_t wanted =
                m_header.size() < 8 ? 8 : (Mp4::ReadU32(m_header.data()) == 1 ? 16 : 8);
            taken = std::min(size, wanted - m_header.size());
            m_header.insert(m_header.end(), data, data + taken);
            const bool whole = m_header.size() >= 8 &&
                               (Mp4::ReadU32(m_header.data()) != 1 || m_header.size() == 16);
            if (whole) {
                const uint32_t small = Mp4::ReadU32(m_header.data());
                const uint64_t boxSize = small == 1 ? Mp4::ReadU64(m_header.data() + 8) : small;
                if (boxSize < m_header.size()) {
                    // A box running to the end of the file, or no box at all:
                    // nothing more can be followed.
                    Stop();
                    return;
                }
                m_boxEnd = m_box + boxSize;
                m_keepEnd = KeptWhole(Mp4::ReadU32(m_header.data() + 4))
                                ? m_boxEnd
                                : m_box + std::min(boxSize, kHeaderBytes);
                Keep(m_box, m_header.data(), m_header.size());
                m_header.clear();
            }
        } else {
            taken = static_cast<size_t>(std::min<uint64_t>(size, m_boxEnd - offset));
            if (offset < m_keepEnd) {
                Keep(offset, data,
                     static_cast<size_t>(std::min<uint64_t>(taken, m_keepEnd - offset)));
            }
        }
        offset += taken;
        data += taken;
        size -= taken;
        m_seen = offset;
        if (m_boxEnd != 0 && offset == m_boxEnd) {
            m_box = m_boxEnd;
            m_boxEnd = 0;
        }
    }
}

void Mp4HeaderCopy::Keep(uint64_t offset, const uint8_t* data, size_t size) {
    m_kept += size;
    if (m_kept > kMostKept) {
        Stop();
        return;
    }
    if (m_ranges.empty() || m_ranges.back().End() != offset) {
        m_ranges.push_back(Range{offset, {}});
    }
    m_ranges.back().bytes.insert(m_ranges.back().bytes.end(), data, data + size);
}

void Mp4HeaderCopy::Overwrite(uint64_t offset, const uint8_t* data, size_t size) {
    if (m_boxEnd == 0 && offset + size > m_box) {
        Stop(); // a header not yet whole changes under us
        return;
    }
    for (Range& range : m_ranges) {
        const uint64_t begin = std::max(offset, range.offset);
        const uint64_t end = std::min(offset + size, range.End());
        if (begin < end) {
            std::memcpy(range.bytes.data() + (begin - range.offset), data + (begin - offset),
                        static_cast<size_t>(end - begin));
        }
    }
}

void Mp4HeaderCopy::Truncated(uint64_t size) {
    while (!m_ranges.empty() && m_ranges.back().offset >= size) {
        m_kept -= m_ranges.back().bytes.size();
        m_ranges.pop_back();
    }
    if (!m_ranges.empty() && m_ranges.back().End() > size) {
        m_kept -= static_cast<size_t>(m_ranges.back().End() - size);
        m_ranges.back().bytes.resize(static_cast<size_t>(size - m_ranges.back().offset));
    }
    if (size < m_seen) {
        // Cut at a box's start, as the finish does; what follows is new.
        m_seen = m_box = size;
        m_boxEnd = 0;
        m_header.clear();
    }
}

size_t Mp4HeaderCopy::Read(uint64_t offset, uint8_t* buffer, size_t size) const {
    if (!m_following || size == 0) {
        return 0;
    }
    auto after =
        std::upper_bound(m_ranges.begin(), m_ranges.end(), offset,
                         [](uint64_t at, const Range& range) { return at < range.offset; });
    if (after == m_ranges.begin()) {
        return 0;
    }
    const Range& range = *(after - 1);
    const uint64_t available = range.End() > offset ? range.End() - offset : 0;
    if (available < std::min<uint64_t>(size, kHeaderBytes)) {
        return 0;
    }
    const size_t given = static_cast<size_t>(std::min<uint64_t>(size, available));
    std::memcpy(buffer, range.bytes.data() + (offset - range.offset), given);
    return given;
}

void Mp4HeaderCopy::Stop() {
    m_following = false;
    m_ranges.clear();
    m_ranges.shrink_to_fit();
    m_header.clear();
    m_kept = 0;
}

bool HeaderCopiedFile::ReadAt(uint64_t offset, void* buffer, size_t size) {
    return m_copy.Read(offset, static_cast<uint8_t*>(buffer), size) == size ||
           m_file.ReadAt(offset, buffer, size);
}

size_t HeaderCopiedFile::ReadUpTo(uint64_t offset, void* buffer, size_t size) {
    const size_t copied = m_copy.Read(offset, static_cast<uint8_t*>(buffer), size);
    return copied > 0 ? copied : m_file.ReadUpTo(offset, buffer, size);
}

bool HeaderCopiedFile::WriteAt(uint64_t offset, const void* data, size_t size) {
    if (!m_file.WriteAt(offset, data, size)) {
        m_copy.Truncated(0); // part of it may have reached the file: read the file from here on
        return false;
    }
    m_copy.Written(offset, static_cast<const uint8_t*>(data), size);
    return true;
}

bool HeaderCopiedFile::Truncate(uint64_t size) {
    if (!m_file.Truncate(size)) {
        return false;
    }
    m_copy.Truncated(size);
    return true;
}
