// The resource source: the archive in memory, the folder on disk, and the exact
// failure messages skin loading reports.
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>
#include <zlib.h>

#include "tests/native/ZipWriter.h"
#include "ui/ResourceArchive.h"
#include "ui/XmlDocument.h"

namespace {

using TestSupport::Bytes;
using TestSupport::ZipWriter;

struct StoredFile {
    std::string name;
    std::string data;
    bool badCrc;
};

// An archive of stored (uncompressed) entries; a bad CRC is written into both headers.
Bytes StoredZip(const std::vector<StoredFile>& files) {
    ZipWriter writer;
    for (const StoredFile& file : files) {
        writer.Add(file.name, file.data, false);
    }
    Bytes out = writer.Build();
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (files[i].badCrc) {
            out[writer.localHeaders[i] + 14] ^= 1;
            out[writer.centralHeaders[i] + 16] ^= 1;
        }
    }
    return out;
}

std::string Text(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

class ResourceArchiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/resarchXXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_folder = std::string(pattern) + "/";
    }
    void TearDown() override {
        for (const std::string& name : m_written) {
            std::remove((m_folder + name).c_str());
        }
        rmdir(m_folder.c_str());
    }
    void WriteFile(const std::string& name, const std::string& data) {
        std::FILE* file = std::fopen((m_folder + name).c_str(), "wb");
        ASSERT_NE(file, nullptr);
        ASSERT_EQ(std::fwrite(data.data(), 1, data.size(), file), data.size());
        std::fclose(file);
        m_written.push_back(name);
    }
    // Reads from source and answers the content, or the error message.
    static std::string Outcome(const Ui::ResourceSource& source, const char* name,
                               std::size_t limit = 4194304) {
        Bytes bytes{'x'};
        Ui::CUiString error = "untouched";
        if (source.Read(name, bytes, &error, limit)) {
            return Text(bytes);
        }
        EXPECT_TRUE(bytes.empty());
        return std::string("! ") + error.GetData();
    }

    std::string Outcome(const char* name, std::size_t limit = 4194304) const {
        return Outcome(m_resources, name, limit);
    }

    Ui::ResourceSource m_resources;
    std::string m_folder;
    std::vector<std::string> m_written;
};

TEST_F(ResourceArchiveTest, ReadsFilesFromTheResourceFolder) {
    WriteFile("skin.xml", "<Window/>\r\n");
    WriteFile("empty.xml", "");
    WriteFile("four.bin", std::string("ab\0d", 4));

    EXPECT_STREQ(m_resources.Path(), "");
    EXPECT_EQ(Outcome("skin.xml"), "! Error opening file"); // not in the current folder
    m_resources.SetPath(m_folder.c_str());
    EXPECT_STREQ(m_resources.Path(), m_folder.c_str());
    EXPECT_FALSE(m_resources.HasZip());

    EXPECT_EQ(Outcome("skin.xml"), "<Window/>\r\n"); // binary: no newline translation
    EXPECT_EQ(Outcome("missing.xml"), "! Error opening file");
    EXPECT_EQ(Outcome(nullptr), "! Error opening file");
    EXPECT_EQ(Outcome("empty.xml"), "! File is empty");
    EXPECT_EQ(Outcome("four.bin", 4), std::string("ab\0d", 4));
    EXPECT_EQ(Outcome("four.bin", 3), "! File too large");

    Bytes bytes;
    EXPECT_FALSE(m_resources.Read("missing.xml", bytes)); // no error text wanted
}

TEST_F(ResourceArchiveTest, DocumentsAreLimitedToFourMebibytes) {
    m_resources.SetPath(m_folder.c_str());
    WriteFile("limit.xml", std::string(4194304, ' '));
    WriteFile("over.xml", std::string(4194305, ' '));
    Bytes bytes;
    EXPECT_TRUE(m_resources.Read("limit.xml", bytes));
    EXPECT_EQ(bytes.size(), 4194304u);
    EXPECT_EQ(Outcome("over.xml"), "! File too large");

    Ui::CXmlDocument doc;
    EXPECT_FALSE(doc.LoadFromFile("over.xml", m_resources));
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
    m_resources.SetPath(m_folder.c_str());

    ASSERT_TRUE(m_resources.SetZip(archive.data(), archive.size()));
    EXPECT_TRUE(m_resources.HasZip());
    EXPECT_NE(m_resources.Zip(), nullptr);
    EXPECT_EQ(Outcome("Orvana\\logo.png"), "png bytes");
    EXPECT_EQ(Outcome("orvana/LOGO.PNG"), "png bytes");
    EXPECT_EQ(Outcome("ondisk.xml"), "! Could not find ziped file"); // the disk is not asked
    EXPECT_EQ(Outcome(nullptr), "! Could not find ziped file");
    EXPECT_EQ(Outcome("Orvana/empty.txt"), "! File is empty");
    EXPECT_EQ(Outcome("Orvana/logo.png", 8), "! File too large");
    EXPECT_EQ(Outcome("Orvana/broken.png"), "! Could not unzip file");

    // The archive is handed over once; a second one is ignored.
    EXPECT_FALSE(m_resources.SetZip(other.data(), other.size()));
    EXPECT_EQ(Outcome("Orvana/logo.png"), "png bytes");

    Ui::CXmlDocument doc;
    ASSERT_TRUE(doc.LoadFromFile("Orvana\\Orvana_English.xml", m_resources))
        << doc.GetLastErrorMessage();
    EXPECT_STREQ(doc.GetRoot().GetAttributeValue("a"), "1");
    EXPECT_FALSE(doc.LoadFromFile("Orvana/broken.png", m_resources));
    EXPECT_STREQ(doc.GetLastErrorMessage(), "Could not unzip file");
    EXPECT_FALSE(doc.GetRoot().IsValid());

    Ui::ResourceSource fresh;
    EXPECT_FALSE(fresh.HasZip());
    EXPECT_STREQ(fresh.Path(), "");
    EXPECT_TRUE(fresh.SetZip(other.data(), other.size()));
    EXPECT_EQ(Outcome(fresh, "Orvana/logo.png"), "other bytes");
}

TEST_F(ResourceArchiveTest, AnArchiveThatDoesNotOpenStillTakesThePlaceOfTheDisk) {
    WriteFile("skin.xml", "<Window/>");
    m_resources.SetPath(m_folder.c_str());
    const std::string junk = "not an archive, but long enough to look for one";
    EXPECT_FALSE(m_resources.SetZip(junk.data(), junk.size()));
    EXPECT_TRUE(m_resources.HasZip());
    EXPECT_EQ(m_resources.Zip(), nullptr);
    EXPECT_EQ(Outcome("skin.xml"), "! Error opening zip file");

    Ui::CXmlDocument doc;
    EXPECT_FALSE(doc.LoadFromFile("skin.xml", m_resources));
    EXPECT_STREQ(doc.GetLastErrorMessage(), "Error opening zip file");

    EXPECT_FALSE(m_resources.SetZip(nullptr, 10));
}

} // namespace
