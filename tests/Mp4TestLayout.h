// The top-level boxes of MP4 files that tests make, and a recording spread
// past 4 GiB, for the native and the Wine tests of in-place finishing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "capture/mp4/Mp4Boxes.h"

namespace Mp4TestLayout {

struct TopBox {
    uint64_t offset;
    uint64_t size;
    std::string type;
};

// The top-level boxes, as far as they are whole.
inline std::vector<TopBox> TopLevel(const std::vector<uint8_t>& bytes) {
    std::vector<TopBox> boxes;
    uint64_t offset = 0;
    while (offset + 8 <= bytes.size()) {
        uint64_t size = Mp4::ReadU32(&bytes[offset]);
        if (size == 1 && offset + 16 <= bytes.size()) {
            size = Mp4::ReadU64(&bytes[offset + 8]);
        }
        if (size < 8 || offset + size > bytes.size()) {
            break;
        }
        boxes.push_back(
            {offset, size, std::string(bytes.begin() + offset + 4, bytes.begin() + offset + 8)});
        offset += size;
    }
    return boxes;
}

inline std::vector<TopBox> OfType(const std::vector<TopBox>& boxes, const std::string& type) {
    std::vector<TopBox> found;
    for (const TopBox& box : boxes) {
        if (box.type == type) {
            found.push_back(box);
        }
    }
    return found;
}

// A fragmented recording with `gap` bytes of free space after its first
// fragment: `head` goes at 0 and `rest` (the other fragments) at
// `restOffset`; between them the file is a hole that takes no disk space.
struct SpreadRecording {
    std::vector<uint8_t> head;
    uint64_t restOffset = 0;
    std::vector<uint8_t> rest;
    uint64_t holeBegin = 0; // what lies in [holeBegin, restOffset) is never written
};

inline SpreadRecording SpreadPast(const std::vector<uint8_t>& recording, uint64_t gap) {
    SpreadRecording spread;
    const std::vector<TopBox> moofs = OfType(TopLevel(recording), "moof");
    if (moofs.size() < 2) {
        return spread;
    }
    const uint64_t second = moofs[1].offset;
    spread.head.assign(recording.begin(), recording.begin() + second);
    spread.head.resize(second + 16);
    Mp4::PutU32(&spread.head[second], 1);
    Mp4::PutU32(&spread.head[second + 4], Mp4::FourCc("free"));
    Mp4::PutU64(&spread.head[second + 8], gap);
    spread.holeBegin = second + 16;
    spread.restOffset = second + gap;
    spread.rest.assign(recording.begin() + second, recording.end());
    return spread;
}

} // namespace Mp4TestLayout
