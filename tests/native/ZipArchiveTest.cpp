// Reading ZIP archives from memory: lookup rules, stored and deflated entries, and refusal of
// damaged archives without reading outside the block.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <zlib.h>

#include "tests/native/ZipWriter.h"
#include "ui/ZipArchive.h"

using Ui::CZipArchive;

using TestSupport::Bytes;
using TestSupport::Patch16;
using TestSupport::Patch32;
using TestSupport::ZipWriter;

namespace {

// Central header field offsets.
constexpr std::size_t kFlags = 8, kMethod = 10, kCrc = 16, kPacked = 20, kSize = 24,
                      kLocalOffset = 42;

std::string Read(const CZipArchive& zip, int index) {
    Bytes bytes;
    if (!zip.ReadEntry(index, bytes)) {
        return "<failed>";
    }
    return std::string(bytes.begin(), bytes.end());
}

const std::string kDocument = std::string(2000, ' ') + "<Window size=\"1308,800\"/>";
const std::string kBinary("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);

TEST(ZipArchive, ReadsStoredAndDeflatedEntries) {
    ZipWriter writer;
    writer.Add("Orvana/Orvana_English.xml", kDocument)
        .Add("Orvana/logo.png", kBinary, false)
        .Add("Orvana/empty.txt", "")
        .Add("Orvana/empty-stored.txt", "", false);
    const Bytes archive = writer.Build("a comment");

    CZipArchive zip;
    EXPECT_FALSE(zip.IsOpen());
    ASSERT_TRUE(zip.Open(archive.data(), archive.size()));
    EXPECT_TRUE(zip.IsOpen());
    ASSERT_EQ(zip.GetEntryCount(), 4);
    EXPECT_STREQ(zip.GetEntryName(1).GetData(), "Orvana/logo.png");
    EXPECT_STREQ(zip.GetEntryName(4).GetData(), "");
    EXPECT_EQ(zip.GetEntrySize(0), kDocument.size());
    EXPECT_EQ(Read(zip, 0), kDocument);
    EXPECT_EQ(Read(zip, 1), kBinary);
    EXPECT_EQ(Read(zip, 2), "");
    EXPECT_EQ(Read(zip, 3), "");
    EXPECT_EQ(Read(zip, 4), "<failed>");
    EXPECT_EQ(Read(zip, -1), "<failed>");

    zip.Close();
    EXPECT_FALSE(zip.IsOpen());
    EXPECT_EQ(zip.GetEntryCount(), 0);
    EXPECT_EQ(Read(zip, 0), "<failed>");
}

TEST(ZipArchive, FindsEntriesWhateverTheSlashOrCase) {
    const std::string longName(255, 'n');
    ZipWriter writer;
    writer.Add("Orvana/logo.png", "first")
        .Add("ORVANA/LOGO.PNG", "second")
        .Add(longName, "long")
        .Add(longName + "n", "too long");
    const Bytes archive = writer.Build();
    CZipArchive zip;
    ASSERT_TRUE(zip.Open(archive.data(), archive.size()));

    EXPECT_EQ(zip.FindEntry("Orvana/logo.png"), 0);
    EXPECT_EQ(zip.FindEntry("Orvana\\logo.png"), 0);
    EXPECT_EQ(zip.FindEntry("orvana\\LOGO.png"), 0); // first match wins
    EXPECT_EQ(zip.FindEntry("Orvana/logo"), -1);
    EXPECT_EQ(zip.FindEntry("Orvana/logo.png2"), -1);
    EXPECT_EQ(zip.FindEntry(""), -1);
    EXPECT_EQ(zip.FindEntry(nullptr), -1);
    EXPECT_EQ(zip.FindEntry(longName.c_str()), 2);
    EXPECT_EQ(zip.FindEntry((longName + "n").c_str()), -1);
}

TEST(ZipArchive, RefusesWhatIsNotAnArchive) {
    CZipArchive zip;
    const std::string text = "this is certainly not a zip archive at all";
    EXPECT_FALSE(zip.Open(text.data(), text.size()));
    EXPECT_FALSE(zip.Open(nullptr, 100));
    EXPECT_FALSE(zip.Open(text.data(), 0));

    ZipWriter writer;
    writer.Add("a", "alpha").Add("b", "beta");
    Bytes archive = writer.Build();
    Bytes damaged = archive;
    Patch16(damaged, writer.endRecord + 10, 3); // claims more entries than there are
    EXPECT_FALSE(zip.Open(damaged.data(), damaged.size()));
    damaged = archive;
    Patch32(damaged, writer.endRecord + 16, 0x7FFFFFF0); // directory beyond the block
    EXPECT_FALSE(zip.Open(damaged.data(), damaged.size()));
    damaged = archive;
    Patch16(damaged, writer.centralHeaders[1] + 28, 0xFFFF); // name runs past the directory
    EXPECT_FALSE(zip.Open(damaged.data(), damaged.size()));
    EXPECT_FALSE(zip.IsOpen());
    EXPECT_EQ(zip.GetEntryCount(), 0);

    // An empty archive is still an archive.
    ZipWriter none;
    const Bytes empty = none.Build();
    EXPECT_TRUE(zip.Open(empty.data(), empty.size()));
    EXPECT_EQ(zip.GetEntryCount(), 0);
}

TEST(ZipArchive, RefusesDamagedEntries) {
    ZipWriter writer;
    writer.Add("doc.xml", kDocument).Add("raw.bin", kBinary, false);
    const Bytes archive = writer.Build();
    const std::size_t doc = writer.centralHeaders[0];
    const std::size_t raw = writer.centralHeaders[1];

    struct Damage {
        const char* what;
        std::size_t at;
        std::uint32_t value;
        bool wide;
        int entry;
    } damages[] = {
        {"crc of deflated data", doc + kCrc, 0x12345678, true, 0},
        {"crc of stored data", raw + kCrc, 0x12345678, true, 1},
        {"unknown method", doc + kMethod, 12, false, 0},
        {"encrypted", doc + kFlags, 1, false, 0},
        {"stated size too large", doc + kSize, static_cast<std::uint32_t>(kDocument.size() + 1),
         true, 0},
        {"stated size too small", doc + kSize, static_cast<std::uint32_t>(kDocument.size() - 1),
         true, 0},
        {"absurd stated size", doc + kSize, 0xFFFFFFF0u, true, 0},
        {"stored sizes differ", raw + kSize, static_cast<std::uint32_t>(kBinary.size() - 1), true,
         1},
        {"packed data past the end", raw + kPacked, 0x7FFFFFFF, true, 1},
        {"local header past the end", raw + kLocalOffset, 0xFFFFFFF0u, true, 1},
        {"local header elsewhere", raw + kLocalOffset, 3, true, 1},
        {"local name past the end", writer.localHeaders[1] + 26, 0xFFFF, false, 1},
        {"local signature", writer.localHeaders[0], 0x0403, false, 0},
    };
    for (const Damage& damage : damages) {
        Bytes damaged = archive;
        if (damage.wide) {
            Patch32(damaged, damage.at, damage.value);
        } else {
            Patch16(damaged, damage.at, damage.value);
        }
        CZipArchive zip;
        ASSERT_TRUE(zip.Open(damaged.data(), damaged.size())) << damage.what;
        Bytes bytes{1, 2, 3};
        EXPECT_FALSE(zip.ReadEntry(damage.entry, bytes)) << damage.what;
        EXPECT_TRUE(bytes.empty()) << damage.what;
        // The other entry is unharmed.
        EXPECT_EQ(Read(zip, 1 - damage.entry), damage.entry == 0 ? kBinary : kDocument)
            << damage.what;
    }
}

// Every truncation and every single-byte change: never a crash or a read outside the block
// (the sanitizers watch), and whatever still reads is one of the original contents.
TEST(ZipArchive, SurvivesTruncationAndCorruption) {
    ZipWriter writer;
    writer.Add("Orvana/doc.xml", kDocument.substr(1900)).Add("Orvana/raw.bin", kBinary, false);
    const Bytes archive = writer.Build("c");

    auto check = [&](const Bytes& block) {
        // A copy of exactly the block's size, so the sanitizer catches any overrun.
        std::unique_ptr<unsigned char[]> exact(new unsigned char[block.size() + 1]);
        if (!block.empty()) {
            std::memcpy(exact.get(), block.data(), block.size());
        }
        CZipArchive zip;
        int whole = 0;
        if (!zip.Open(exact.get(), block.size())) {
            return whole;
        }
        for (int i = 0; i < zip.GetEntryCount(); ++i) {
            zip.FindEntry(zip.GetEntryName(i).GetData());
            const std::string content = Read(zip, i);
            if (content != "<failed>") {
                EXPECT_TRUE(content == kDocument.substr(1900) || content == kBinary);
                ++whole;
            }
        }
        return whole;
    };
    ASSERT_EQ(check(archive), 2) << "the undamaged archive reads whole";
    for (std::size_t length = 0; length < archive.size(); ++length) {
        check(Bytes(archive.begin(), archive.begin() + static_cast<std::ptrdiff_t>(length)));
    }
    for (std::size_t at = 0; at < archive.size(); ++at) {
        for (unsigned char mask : {0x01, 0x80, 0xFF}) {
            Bytes damaged = archive;
            damaged[at] ^= mask;
            check(damaged);
        }
    }
}

TEST(ZipArchive, ReopeningReplacesTheArchive) {
    ZipWriter first;
    first.Add("one", "1");
    ZipWriter second;
    second.Add("two", "2").Add("three", "3");
    const Bytes a = first.Build();
    const Bytes b = second.Build();
    CZipArchive zip;
    ASSERT_TRUE(zip.Open(a.data(), a.size()));
    ASSERT_TRUE(zip.Open(b.data(), b.size()));
    EXPECT_EQ(zip.GetEntryCount(), 2);
    EXPECT_EQ(zip.FindEntry("one"), -1);
    EXPECT_EQ(Read(zip, zip.FindEntry("three")), "3");
    EXPECT_FALSE(zip.Open(b.data(), 5));
    EXPECT_EQ(zip.FindEntry("two"), -1);
}

} // namespace
