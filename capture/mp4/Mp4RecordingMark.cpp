#include "capture/mp4/Mp4RecordingMark.h"

#include <new>
#include <vector>

#include "capture/mp4/Mp4Boxes.h"
#include "capture/mp4/RandomAccessFile.h"
#include "capture/recording/RecordingJournalEntry.h"

namespace {

using Mp4::BoxHeader;
using Mp4::BoxView;
using Mp4::FourCc;
using Mp4::HeaderStatus;

constexpr char kMarkPrefix[] = "Orvana recording ";
// A finished hour holds a few megabytes of sample tables; more is not ours.
constexpr uint64_t kMaxMovieBox = 64u << 20;
// Our files have the movie box second (fragmented) or third (finished).
constexpr int kMaxBoxesBeforeMovie = 8;

bool CommentOf(const BoxView& moov, std::string& comment) {
    BoxView udta, meta, ilst, cmt, data;
    if (!Mp4::FindChild(moov, FourCc("udta"), udta) ||
        !Mp4::FindChild(udta, FourCc("meta"), meta)) {
        return false;
    }
    // A full box in MP4 files, a plain one in QuickTime files: both are read.
    BoxView items = meta;
    if (meta.PayloadSize() >= 4 && Mp4::ReadU32(meta.Payload()) == 0) {
        items.headerSize += 4; // version and flags
    }
    if (!Mp4::FindChild(items, FourCc("ilst"), ilst) ||
        !Mp4::FindChild(ilst, FourCc("\251cmt"), cmt) ||
        !Mp4::FindChild(cmt, FourCc("data"), data) || data.PayloadSize() < 8) {
        return false;
    }
    // Type indicator and locale, then the text.
    comment.assign(reinterpret_cast<const char*>(data.Payload()) + 8, data.PayloadSize() - 8);
    return true;
}

enum class HeaderRead { Whole, NotABox, ReadError };

HeaderRead ReadHeader(RandomAccessFile& file, uint64_t offset, uint64_t fileSize,
                      BoxHeader& header) {
    uint8_t bytes[16];
    if (offset >= fileSize || fileSize - offset < 8) {
        return HeaderRead::NotABox;
    }
    const size_t wanted = fileSize - offset < 16 ? static_cast<size_t>(fileSize - offset) : 16;
    if (!file.ReadAt(offset, bytes, wanted)) {
        return HeaderRead::ReadError;
    }
    return Mp4::ParseBoxHeader(bytes, wanted, offset, fileSize, header) == HeaderStatus::Whole
               ? HeaderRead::Whole
               : HeaderRead::NotABox;
}

Mp4MarkStatus Read(RandomAccessFile& file, std::string& id) {
    uint64_t fileSize = 0;
    if (!file.Size(fileSize)) {
        return Mp4MarkStatus::ReadError;
    }
    BoxHeader box;
    uint64_t offset = 0;
    for (int index = 0; index <= kMaxBoxesBeforeMovie; ++index) {
        const HeaderRead read = ReadHeader(file, offset, fileSize, box);
        if (read != HeaderRead::Whole) {
            return read == HeaderRead::ReadError ? Mp4MarkStatus::ReadError
                                                 : Mp4MarkStatus::Unmarked;
        }
        if (index == 0 && box.type != FourCc("ftyp")) {
            return Mp4MarkStatus::Unmarked;
        }
        if (box.type == FourCc("moov")) {
            break;
        }
        offset = box.End();
    }
    if (box.type != FourCc("moov") || box.size > kMaxMovieBox) {
        return Mp4MarkStatus::Unmarked;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(box.size));
    if (!file.ReadAt(box.offset, bytes.data(), bytes.size())) {
        return Mp4MarkStatus::ReadError;
    }
    BoxView moov;
    moov.type = box.type;
    moov.data = bytes.data();
    moov.size = bytes.size();
    moov.headerSize = box.headerSize;
    std::string comment;
    const size_t prefix = sizeof kMarkPrefix - 1;
    if (!CommentOf(moov, comment) || comment.compare(0, prefix, kMarkPrefix) != 0 ||
        !IsRecordingId(comment.substr(prefix))) {
        return Mp4MarkStatus::Unmarked;
    }
    id = comment.substr(prefix);
    return Mp4MarkStatus::Marked;
}

} // namespace

std::string RecordingMarkComment(const std::string& id) {
    return kMarkPrefix + id;
}

Mp4MarkStatus ReadRecordingMark(RandomAccessFile& file, std::string& id) {
    try {
        return Read(file, id);
    } catch (const std::bad_alloc&) {
        return Mp4MarkStatus::ReadError;
    }
}
