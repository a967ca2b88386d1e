#include "ui/ZipArchive.h"

#include <cstring>

#include <zlib.h>

namespace Ui {

namespace {

constexpr std::uint32_t kLocalHeaderSignature = 0x04034b50;
constexpr std::uint32_t kCentralHeaderSignature = 0x02014b50;
constexpr std::uint32_t kEndRecordSignature = 0x06054b50;
constexpr std::size_t kLocalHeaderSize = 30;
constexpr std::size_t kCentralHeaderSize = 46;
constexpr std::size_t kEndRecordSize = 22;
constexpr std::size_t kMaxCommentSize = 0xFFFF;

constexpr std::uint16_t kMethodStored = 0;
constexpr std::uint16_t kMethodDeflated = 8;
constexpr std::uint16_t kFlagEncrypted = 0x0001;

// Deflate cannot expand data by more than about 1032:1; a larger stated size is a lie and
// would only make us allocate memory the inflation can never fill.
constexpr std::uint64_t kMaxDeflateRatio = 1032;

std::uint16_t Read16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t Read32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

bool CZipArchive::Open(const void* data, std::size_t size) {
    Close();
    if (data == nullptr || size < kEndRecordSize) {
        return false;
    }
    m_data = static_cast<const unsigned char*>(data);
    m_size = size;

    // The end record sits at the very end, followed only by its comment. Take the last
    // signature whose record is consistent with the block, and parse only that one, so that a
    // block full of fake signatures cannot make opening quadratic.
    const std::size_t last = size - kEndRecordSize;
    const std::size_t first = last > kMaxCommentSize ? last - kMaxCommentSize : 0;
    for (std::size_t pos = last + 1; pos-- > first;) {
        const unsigned char* record = m_data + pos;
        if (Read32(record) != kEndRecordSignature) {
            continue;
        }
        const std::size_t commentSize = Read16(record + 20);
        const std::size_t directorySize = Read32(record + 12);
        const std::size_t directoryOffset = Read32(record + 16);
        if (pos + kEndRecordSize + commentSize > size || directoryOffset > pos ||
            directorySize > pos - directoryOffset) {
            continue;
        }
        if (ReadCentralDirectory(pos)) {
            return true;
        }
        break;
    }
    Close();
    return false;
}

void CZipArchive::Close() {
    m_data = nullptr;
    m_size = 0;
    m_entries.clear();
}

bool CZipArchive::ReadCentralDirectory(std::size_t endRecord) {
    const unsigned char* record = m_data + endRecord;
    const std::size_t count = Read16(record + 10);
    const std::size_t directorySize = Read32(record + 12);
    const std::size_t directoryOffset = Read32(record + 16);
    const std::size_t end = directoryOffset + directorySize;

    m_entries.clear();
    m_entries.reserve(count);
    std::size_t pos = directoryOffset;
    for (std::size_t i = 0; i < count; ++i) {
        if (end - pos < kCentralHeaderSize) {
            return false;
        }
        const unsigned char* header = m_data + pos;
        if (Read32(header) != kCentralHeaderSignature) {
            return false;
        }
        const std::size_t nameSize = Read16(header + 28);
        const std::size_t extraSize = Read16(header + 30);
        const std::size_t commentSize = Read16(header + 32);
        const std::size_t recordSize = kCentralHeaderSize + nameSize + extraSize + commentSize;
        if (end - pos < recordSize) {
            return false;
        }
        Entry entry;
        entry.flags = Read16(header + 8);
        entry.method = Read16(header + 10);
        entry.crc = Read32(header + 16);
        entry.compressedSize = Read32(header + 20);
        entry.uncompressedSize = Read32(header + 24);
        entry.localHeaderOffset = Read32(header + 42);
        entry.name.assign(reinterpret_cast<const char*>(header + kCentralHeaderSize), nameSize);
        m_entries.push_back(std::move(entry));
        pos += recordSize;
    }
    return true;
}

int CZipArchive::FindEntry(const char* name) const {
    if (name == nullptr) {
        return -1;
    }
    const std::size_t length = std::strlen(name);
    if (length > kMaxNameLength) {
        return -1;
    }
    // Skins write "Orvana\logo.png"; the archive stores "Orvana/logo.png".
    std::string wanted(name, length);
    for (char& c : wanted) {
        c = c == '\\' ? '/' : AsciiLower(c);
    }
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const std::string& candidate = m_entries[i].name;
        if (candidate.size() != wanted.size()) {
            continue;
        }
        std::size_t k = 0;
        while (k < wanted.size() && AsciiLower(candidate[k]) == wanted[k]) {
            ++k;
        }
        if (k == wanted.size()) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

CUiString CZipArchive::GetEntryName(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= m_entries.size()) {
        return CUiString();
    }
    return CUiString(m_entries[static_cast<std::size_t>(index)].name);
}

std::size_t CZipArchive::GetEntrySize(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= m_entries.size()) {
        return 0;
    }
    return m_entries[static_cast<std::size_t>(index)].uncompressedSize;
}

// Finds where the entry's data starts, checking that all of it lies inside the block.
bool CZipArchive::LocateData(const Entry& entry, std::size_t& offset) const {
    const std::size_t header = entry.localHeaderOffset;
    if (header > m_size || m_size - header < kLocalHeaderSize) {
        return false;
    }
    const unsigned char* local = m_data + header;
    if (Read32(local) != kLocalHeaderSignature) {
        return false;
    }
    // The local name and extra field may differ in length from the central ones.
    const std::size_t skip = kLocalHeaderSize + Read16(local + 26) + Read16(local + 28);
    if (m_size - header < skip) {
        return false;
    }
    offset = header + skip;
    return entry.compressedSize <= m_size - offset;
}

bool CZipArchive::ReadEntry(int index, std::vector<unsigned char>& bytes) const {
    bytes.clear();
    if (!IsOpen() || index < 0 || static_cast<std::size_t>(index) >= m_entries.size()) {
        return false;
    }
    const Entry& entry = m_entries[static_cast<std::size_t>(index)];
    std::size_t offset = 0;
    if ((entry.flags & kFlagEncrypted) != 0 || !LocateData(entry, offset)) {
        return false;
    }
    const unsigned char* source = m_data + offset;

    if (entry.method == kMethodStored) {
        if (entry.compressedSize != entry.uncompressedSize) {
            return false;
        }
        bytes.assign(source, source + entry.compressedSize);
    } else if (entry.method == kMethodDeflated) {
        if (entry.uncompressedSize >
            static_cast<std::uint64_t>(entry.compressedSize) * kMaxDeflateRatio + 1024) {
            return false;
        }
        bytes.resize(entry.uncompressedSize);
        // zlib refuses a null output pointer even when no output is expected.
        unsigned char spare = 0;
        z_stream stream;
        std::memset(&stream, 0, sizeof(stream));
        if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) {
            bytes.clear();
            return false;
        }
        stream.next_in = const_cast<Bytef*>(source);
        stream.avail_in = entry.compressedSize;
        stream.next_out = bytes.empty() ? &spare : bytes.data();
        stream.avail_out = static_cast<uInt>(bytes.size());
        const int result = inflate(&stream, Z_FINISH);
        const uLong produced = stream.total_out;
        inflateEnd(&stream);
        if (result != Z_STREAM_END || produced != entry.uncompressedSize) {
            bytes.clear();
            return false;
        }
    } else {
        return false;
    }

    const uLong crc =
        crc32(0L, bytes.empty() ? Z_NULL : bytes.data(), static_cast<uInt>(bytes.size()));
    if (crc != entry.crc) {
        bytes.clear();
        return false;
    }
    return true;
}

} // namespace Ui
