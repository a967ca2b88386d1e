// Feeds arbitrary bytes to what the start-up repair reads before it may
// write: the mark in a file's movie box (through a file held in memory, which
// must never be written) and a journal entry, which must read back as
// written once it parses.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "capture/mp4/Mp4RecordingMark.h"
#include "capture/mp4/RandomAccessFile.h"
#include "capture/recording/RecordingJournalEntry.h"

namespace {

class ReadOnlyMemoryFile final : public RandomAccessFile {
public:
    ReadOnlyMemoryFile(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    bool ReadAt(uint64_t offset, void* buffer, size_t size) override {
        if (offset > m_size || m_size - offset < size) {
            return false;
        }
        if (size > 0) {
            std::memcpy(buffer, m_data + offset, size);
        }
        return true;
    }
    bool WriteAt(uint64_t, const void*, size_t) override { __builtin_trap(); }
    bool Size(uint64_t& size) override {
        size = m_size;
        return true;
    }
    bool Flush() override { __builtin_trap(); }
    bool Truncate(uint64_t) override { __builtin_trap(); }

private:
    const uint8_t* m_data;
    size_t m_size;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ReadOnlyMemoryFile file(data, size);
    std::string id;
    if (ReadRecordingMark(file, id) == Mp4MarkStatus::Marked && !IsRecordingId(id)) {
        __builtin_trap();
    }
    RecordingJournalEntry entry;
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (ParseJournalEntry(text, entry) && FormatJournalEntry(entry) != text) {
        __builtin_trap();
    }
    return 0;
}
