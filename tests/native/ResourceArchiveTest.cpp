// The process-wide resource source: the archive in memory, the folder on disk, and the exact
// failure messages skin loading reports.
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>
#include <zlib.h>

#include "ui/ResourceArchive.h"
#include "ui/XmlDocument.h"

namespace {

using Bytes = std::vector<unsigned char>;

void Put16(Bytes& out, unsigned value) {
    out.push_back(static_cast<unsigned char>(value));
    out.push_back(static_cast<unsigned char>(value >> 8));
}

void Put32(Bytes& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

struct StoredFile {
    std::string name;
    std::string data;
    bool badCrc;
};

// A minimal archive of stored (uncompressed) entries.
Bytes StoredZip(const std::vector<StoredFile>& files) {
    Bytes out;
    Bytes directory;
    for (const StoredFile& file : files) {
        const std::uint32_t offset = static_cast<std::uint32_t>(out.size());
        std::uint32_t crc =
            static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(file.data.data()),
                                             static_cast<uInt>(file.data.size())));
        if (file.badCrc) {
            crc ^= 1;
        }
        const std::uint32_t size = static_cast<std::uint32_t>(file.data.size());
        const unsigned nameSize = static_cast<unsigned>(file.name.size());
        Put32(out, 0x04034b50);
        Put16(out, 20);
        Put16(out, 0);
        Put16(out, 0);
        Put32(out, 0);
        Put32(out, crc);
        Put32(out, size);
        Put32(out, size);
        Put16(out, nameSize);
        Put16(out, 0);
        out.insert(out.end(), file.name.begin(), file.name.end());
        out.insert(out.end(), file.data.begin(), file.data.end());

        Put32(directory, 0x02014b50);
        Put16(directory, 20);
        Put16(directory, 20);
        Put16(directory, 0);
        Put16(directory, 0);
        Put32(directory, 0);
        Put32(directory, crc);
        Put32(directory, size);
        Put32(directory, size);
        Put16(directory, nameSize);
        Put16(directory, 0);
        Put16(directory, 0);
        Put16(directory, 0);
        Put16(directory, 0);
        Put32(directory, 0);
        Put32(directory, offset);
        directory.insert(directory.end(), file.name.begin(), file.name.end());
    }
    const std::uint32_t directoryOffset = static_cast<std::uint32_t>(out.size());
    out.insert(out.end(), directory.begin(), directory.end());
    Put32(out, 0x06054b50);
    Put32(out, 0);
    Put16(out, static_cast<unsigned>(files.size()));
    Put16(out, static_cast<unsigned>(files.size()));
    Put32(out, static_cast<std::uint32_t>(directory.size()));
    Put32(out, directoryOffset);
    Put16(out, 0);
    return out;
}

std::string Text(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

class ResourceArchiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        Ui::ResetResourcesForTesting();
        char pattern[] = "/tmp/resarchXXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_folder = std::string(pattern) + "/";
    }
    void TearDown() override {
        for (const std::string& name : m_written) {
            std::remove((m_folder + name).c_str());
        }
        rmdir(m_folder.c_str());
        Ui::ResetResourcesForTesting();
    }
    void WriteFile(const std::string& name, const std::string& data) {
        std::FILE* file = std::fopen((m_folder + name).c_str(), "wb");
        ASSERT_NE(file, nullptr);
        ASSERT_EQ(std::fwrite(data.data(), 1, data.size(), file), data.size());
        std::fclose(file);
        m_written.push_back(name);
    }
    // Reads and answers the content, or the error message.
    static std::string Outcome(const char* name, std::size_t limit = 4194304) {
        Bytes bytes{'x'};
        Ui::CUiString error = "untouched";
        if (Ui::ReadResourceFile(name, bytes, &error, limit)) {
            return Text(bytes);
        }
        EXPECT_TRUE(bytes.empty());
        return std::string("! ") + error.GetData();
    }

    std::string m_folder;
    std::vector<std::string> m_written;
};

TEST_F(ResourceArchiveTest, ReadsFilesFromTheResourceFolder) {
    WriteFile("skin.xml", "<Window/>\r\n");
    WriteFile("empty.xml", "");
    WriteFile("four.bin", std::string("ab\0d", 4));

    EXPECT_STREQ(Ui::GetResourcePath(), "");
    EXPECT_EQ(Outcome("skin.xml"), "! Error opening file"); // not in the current folder
    Ui::SetResourcePath(m_folder.c_str());
    EXPECT_STREQ(Ui::GetResourcePath(), m_folder.c_str());
    EXPECT_FALSE(Ui::HasResourceZip());

    EXPECT_EQ(Outcome("skin.xml"), "<Window/>\r\n"); // binary: no newline translation
    EXPECT_EQ(Outcome("missing.xml"), "! Error opening file");
    EXPECT_EQ(Outcome(nullptr), "! Error opening file");
    EXPECT_EQ(Outcome("empty.xml"), "! File is empty");
    EXPECT_EQ(Outcome("four.bin", 4), std::string("ab\0d", 4));
    EXPECT_EQ(Outcome("four.bin", 3), "! File too large");

    Bytes bytes;
    EXPECT_FALSE(Ui::ReadResourceFile("missing.xml", bytes)); // no error text wanted
}

TEST_F(ResourceArchiveTest, DocumentsAreLimitedToFourMebibytes) {
    Ui::SetResourcePath(m_folder.c_str());
    WriteFile("limit.xml", std::string(4194304, ' '));
    WriteFile("over.xml", std::string(4194305, ' '));
    Bytes bytes;
    EXPECT_TRUE(Ui::ReadResourceFile("limit.xml", bytes));
    EXPECT_EQ(bytes.size(), 4194304u);
    EXPECT_EQ(Outcome("over.xml"), "! File too large");

    Ui::CXmlDocument doc;
    EXPECT_FALSE(doc.LoadFromFile("over.xml"));
    EXPECT_STREQ(doc.GetLastErrorMessage(), "File too large");
}

TEST_F(ResourceArchiveTest, ReadsFromTheArchiveOnceOneIsSet) {
    const Bytes archive =
        StoredZip({{"Orvana/Orvana_English.xml", "\xEF\xBB\xBF<Window a=\"1\"/>", false},
                   {"Orvana/logo.png", "png bytes", false},
                   {"Orvana/empty.txt", "", false},
                   {"Orvana/broken.png", "broken", true}});
    const Bytes other = StoredZip({{"Orvana/logo.png", "other bytes", false}});
    WriteFile("ondisk.xml", "<Window/>");
    Ui::SetResourcePath(m_folder.c_str());

    ASSERT_TRUE(Ui::SetResourceZip(archive.data(), archive.size()));
    EXPECT_TRUE(Ui::HasResourceZip());
    EXPECT_NE(Ui::GetResourceZip(), nullptr);
    EXPECT_EQ(Outcome("Orvana\\logo.png"), "png bytes");
    EXPECT_EQ(Outcome("orvana/LOGO.PNG"), "png bytes");
    EXPECT_EQ(Outcome("ondisk.xml"), "! Could not find ziped file"); // the disk is not asked
    EXPECT_EQ(Outcome(nullptr), "! Could not find ziped file");
    EXPECT_EQ(Outcome("Orvana/empty.txt"), "! File is empty");
    EXPECT_EQ(Outcome("Orvana/logo.png", 8), "! File too large");
    EXPECT_EQ(Outcome("Orvana/broken.png"), "! Could not unzip file");

    // The archive is handed over once; a second one is ignored.
    EXPECT_FALSE(Ui::SetResourceZip(other.data(), other.size()));
    EXPECT_EQ(Outcome("Orvana/logo.png"), "png bytes");

    Ui::CXmlDocument doc;
    ASSERT_TRUE(doc.LoadFromFile("Orvana\\Orvana_English.xml")) << doc.GetLastErrorMessage();
    EXPECT_STREQ(doc.GetRoot().GetAttributeValue("a"), "1");
    EXPECT_FALSE(doc.LoadFromFile("Orvana/broken.png"));
    EXPECT_STREQ(doc.GetLastErrorMessage(), "Could not unzip file");
    EXPECT_FALSE(doc.GetRoot().IsValid());

    Ui::ResetResourcesForTesting();
    EXPECT_FALSE(Ui::HasResourceZip());
    EXPECT_STREQ(Ui::GetResourcePath(), "");
    EXPECT_TRUE(Ui::SetResourceZip(other.data(), other.size()));
    EXPECT_EQ(Outcome("Orvana/logo.png"), "other bytes");
}

TEST_F(ResourceArchiveTest, AnArchiveThatDoesNotOpenStillTakesThePlaceOfTheDisk) {
    WriteFile("skin.xml", "<Window/>");
    Ui::SetResourcePath(m_folder.c_str());
    const std::string junk = "not an archive, but long enough to look for one";
    EXPECT_FALSE(Ui::SetResourceZip(junk.data(), junk.size()));
    EXPECT_TRUE(Ui::HasResourceZip());
    EXPECT_EQ(Ui::GetResourceZip(), nullptr);
    EXPECT_EQ(Outcome("skin.xml"), "! Error opening zip file");

    Ui::CXmlDocument doc;
    EXPECT_FALSE(doc.LoadFromFile("skin.xml"));
    EXPECT_STREQ(doc.GetLastErrorMessage(), "Error opening zip file");

    EXPECT_FALSE(Ui::SetResourceZip(nullptr, 10));
}

} // namespace
