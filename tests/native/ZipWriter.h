// Writes small ZIP archives in memory for tests, the way common tools do,
// and remembers where each header went so tests can damage them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <zlib.h>

namespace TestSupport {

using Bytes = std::vector<unsigned char>;

inline void Put16(Bytes& out, unsigned value) {
    out.push_back(static_cast<unsigned char>(value));
    out.push_back(static_cast<unsigned char>(value >> 8));
}

inline void Put32(Bytes& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

inline void Patch16(Bytes& out, std::size_t at, unsigned value) {
    out[at] = static_cast<unsigned char>(value);
    out[at + 1] = static_cast<unsigned char>(value >> 8);
}

inline void Patch32(Bytes& out, std::size_t at, std::uint32_t value) {
    Patch16(out, at, value & 0xFFFF);
    Patch16(out, at + 2, value >> 16);
}

inline Bytes RawDeflate(const std::string& data) {
    z_stream stream{};
    EXPECT_EQ(deflateInit2(&stream, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
    Bytes out(deflateBound(&stream, data.size()));
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

// Writes archives the way common tools do; remembers where each header went so tests can
// damage them.
struct ZipWriter {
    struct Item {
        std::string name;
        std::string data;
        bool deflate;
    };
    std::vector<Item> items;
    std::vector<std::size_t> localHeaders;
    std::vector<std::size_t> centralHeaders;
    std::size_t endRecord = 0;

    ZipWriter& Add(const std::string& name, const std::string& data, bool deflate = true) {
        items.push_back({name, data, deflate});
        return *this;
    }

    Bytes Build(const std::string& comment = "") {
        Bytes out;
        std::vector<Bytes> packed;
        localHeaders.clear();
        centralHeaders.clear();
        for (const Item& item : items) {
            packed.push_back(item.deflate ? RawDeflate(item.data)
                                          : Bytes(item.data.begin(), item.data.end()));
            localHeaders.push_back(out.size());
            WriteHeader(out, 0x04034b50, item, packed.back(), 0);
            out.insert(out.end(), packed.back().begin(), packed.back().end());
        }
        const std::size_t directory = out.size();
        for (std::size_t i = 0; i < items.size(); ++i) {
            centralHeaders.push_back(out.size());
            WriteHeader(out, 0x02014b50, items[i], packed[i], localHeaders[i]);
        }
        endRecord = out.size();
        Put32(out, 0x06054b50);
        Put32(out, 0);
        Put16(out, static_cast<unsigned>(items.size()));
        Put16(out, static_cast<unsigned>(items.size()));
        Put32(out, static_cast<std::uint32_t>(endRecord - directory));
        Put32(out, static_cast<std::uint32_t>(directory));
        Put16(out, static_cast<unsigned>(comment.size()));
        out.insert(out.end(), comment.begin(), comment.end());
        return out;
    }

private:
    static void WriteHeader(Bytes& out, std::uint32_t signature, const Item& item,
                            const Bytes& packed, std::size_t localOffset) {
        const bool central = signature == 0x02014b50;
        Put32(out, signature);
        if (central) {
            Put16(out, 20);
        }
        Put16(out, 20);
        Put16(out, 0);
        Put16(out, item.deflate ? 8 : 0);
        Put32(out, 0); // time and date
        Put32(out,
              static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(item.data.data()),
                                               static_cast<uInt>(item.data.size()))));
        Put32(out, static_cast<std::uint32_t>(packed.size()));
        Put32(out, static_cast<std::uint32_t>(item.data.size()));
        Put16(out, static_cast<unsigned>(item.name.size()));
        Put16(out, 0);
        if (central) {
            Put16(out, 0);
            Put16(out, 0);
            Put16(out, 0);
            Put32(out, 0);
            Put32(out, static_cast<std::uint32_t>(localOffset));
        }
        out.insert(out.end(), item.name.begin(), item.name.end());
    }
};

} // namespace TestSupport
