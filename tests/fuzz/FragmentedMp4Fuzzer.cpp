// Feeds arbitrary bytes, as a recording left on disk, to the in-place
// finisher (box reader, fragment index, movie box builder, the finishing
// steps) through a file held in memory. A file it finished must read as
// ordinary afterwards and stay as it is when finished again.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "capture/mp4/Mp4InPlaceFinisher.h"
#include "capture/mp4/RandomAccessFile.h"

namespace {

class MemoryFile final : public RandomAccessFile {
public:
    explicit MemoryFile(std::vector<uint8_t> bytes) : m_bytes(std::move(bytes)) {}

    const std::vector<uint8_t>& Bytes() const { return m_bytes; }

    bool ReadAt(uint64_t offset, void* buffer, size_t size) override {
        if (offset > m_bytes.size() || m_bytes.size() - offset < size) {
            return false;
        }
        std::memcpy(buffer, m_bytes.data() + offset, size);
        return true;
    }
    bool WriteAt(uint64_t offset, const void* data, size_t size) override {
        // The finisher writes only where the file already is, or just past its end.
        if (offset > m_bytes.size() || size > (64u << 20)) {
            __builtin_trap();
        }
        m_bytes.resize(std::max<size_t>(m_bytes.size(), offset + size));
        std::memcpy(m_bytes.data() + offset, data, size);
        return true;
    }
    bool Size(uint64_t& size) override {
        size = m_bytes.size();
        return true;
    }
    bool Flush() override { return true; }
    bool Truncate(uint64_t size) override {
        if (size > m_bytes.size()) {
            __builtin_trap(); // it only ever cuts
        }
        m_bytes.resize(size);
        return true;
    }

private:
    std::vector<uint8_t> m_bytes;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MemoryFile file(std::vector<uint8_t>(data, data + size));
    const Mp4FinishOutcome outcome = FinishFragmentedMp4(file).outcome;
    if (outcome != Mp4FinishOutcome::Finished &&
        !std::equal(file.Bytes().begin(), file.Bytes().end(), data, data + size)) {
        __builtin_trap(); // only a finish may change the file
    }
    if (outcome == Mp4FinishOutcome::Finished) {
        const std::vector<uint8_t> finished = file.Bytes();
        if (FinishFragmentedMp4(file).outcome != Mp4FinishOutcome::AlreadyOrdinary ||
            file.Bytes() != finished) {
            __builtin_trap();
        }
    }
    return 0;
}
