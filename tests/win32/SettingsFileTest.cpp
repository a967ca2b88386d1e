// setting.ini on disk: its place beside the executable and its exact bytes
// through the C runtime's text mode.
#include <windows.h>

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "settings/SettingsFile.h"
#include "tests/support/WholeFile.h"

namespace {

using TestSupport::WholeFile;
using TestSupport::WriteWholeFile;

const char kCommentBlock[] =
    "\r\n//select lanauage\r\n//Language=english\r\n//Language=french\r\n//Language=spanish\r\n"
    "//Language=arabic\r\n//Language=korean\r\n//Language=russian\r\n//Language=japanese\r\n"
    "//Language=simplified chinese\r\n//Language=traditional chinese\r\n"
    "//Language=portuguese\r\n//Language=italian\r\n";

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = SettingsFilePath();
        ::DeleteFileW(path.c_str());
        // The folder of an interrupted run would fail every later one.
        ::RemoveDirectoryW(path.c_str());
    }
    void TearDown() override { ::DeleteFileW(path.c_str()); }

    AppSettings Sample() const {
        AppSettings s{};
        s.PhotoResolution_Width = 1920;
        s.PhotoResolution_Height = 1080;
        s.VideoResolution_Width = 640;
        s.VideoResolution_Height = 480;
        SetSettingsText(s.FileFormat, kFileFormatWidth, "YUY2");
        SetSettingsText(s.Language, kLanguageWidth, "german");
        return s;
    }

    std::wstring path;
};

} // namespace

TEST_F(SettingsFileTest, LivesBesideTheExecutable) {
    wchar_t module[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring folder(module);
    folder.resize(folder.rfind(L'\\') + 1);
    EXPECT_EQ(path, folder + L"setting.ini");
}

TEST_F(SettingsFileTest, MissingFileLeavesTheRecordAlone) {
    AppSettings s{};
    s.PhotoResolution_Width = 77;
    EXPECT_FALSE(LoadSettings(s));
    EXPECT_EQ(s.PhotoResolution_Width, 77);
}

TEST_F(SettingsFileTest, SaveOverMissingFileWritesNineteenCrLfLines) {
    ASSERT_TRUE(SaveSettings(Sample()));
    std::string expected =
        std::string("PhotoResolution_Width=1920\r\nPhotoResolution_Height=1080\r\n"
                    "VideoResolution_Width=640\r\nVideoResolution_Height=480\r\n"
                    "FileFormat=YUY2\r\n") +
        kCommentBlock + "Language=\r\n";
    EXPECT_EQ(WholeFile(path), expected) << "the record's own language is never written";
}

TEST_F(SettingsFileTest, SaveOverHandEditedFileKeepsItsLanguage) {
    WriteWholeFile(path, "photoresolution_width=320\r\n"
                         "// my notes\r\n"
                         "Language=japanese\r\n"
                         "FileFormat=MJPG\r\n");
    AppSettings loaded{};
    ASSERT_TRUE(LoadSettings(loaded));
    EXPECT_EQ(loaded.PhotoResolution_Width, 320);
    EXPECT_STREQ(loaded.Language, "japanese\n");
    EXPECT_STREQ(loaded.FileFormat, "MJPG\n");

    ASSERT_TRUE(SaveSettings(Sample()));
    std::string expected =
        std::string("PhotoResolution_Width=1920\r\nPhotoResolution_Height=1080\r\n"
                    "VideoResolution_Width=640\r\nVideoResolution_Height=480\r\n"
                    "FileFormat=YUY2\r\n") +
        kCommentBlock + "Language=japanese\r\n\r\n";
    EXPECT_EQ(WholeFile(path), expected);

    // Saving what was read keeps the line feed of the file format too.
    ASSERT_TRUE(SaveSettings(loaded));
    std::string again = WholeFile(path);
    EXPECT_NE(again.find("FileFormat=MJPG\r\n\r\n"), std::string::npos);
    AppSettings reread{};
    ASSERT_TRUE(LoadSettings(reread));
    EXPECT_STREQ(reread.Language, "japanese\n");
}

TEST_F(SettingsFileTest, EmptyFileReadsSuccessfully) {
    WriteWholeFile(path, "");
    AppSettings s{};
    EXPECT_TRUE(LoadSettings(s));
    EXPECT_EQ(s.VideoResolution_Width, 0);
}

// The lines of a save on a disk that fills partway: the first reach the new
// file, then a write fails.
bool WriteUntilTheDiskIsFull(std::FILE* stream, const AppSettings&, const char*) {
    std::fputs("PhotoResolution_Width=1920\nPhotoResolution_Height=1080\nVideoResolution_Wid",
               stream);
    return false;
}

// A save cut off (a full disk here; a crash or a power cut alike) leaves the
// file as it was, the user's language line included, and nothing beside it.
TEST_F(SettingsFileTest, ASaveThatFailsHalfwayLeavesTheOldFileWhole) {
    const std::string old = "PhotoResolution_Width=320\r\nFileFormat=MJPG\r\nLanguage=german\r\n";
    WriteWholeFile(path, old);
    EXPECT_FALSE(SaveSettings(Sample(), &WriteUntilTheDiskIsFull));
    EXPECT_EQ(WholeFile(path), old);
    const std::wstring folder = path.substr(0, path.rfind(L'\\') + 1);
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW((folder + L"*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do {
        const std::wstring name = found.cFileName;
        EXPECT_TRUE(name == L"setting.ini" || name.compare(0, 11, L"setting.ini") != 0)
            << "left behind: " << std::string(name.begin(), name.end());
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);

    ASSERT_TRUE(SaveSettings(Sample()));
    const std::string saved = WholeFile(path);
    EXPECT_EQ(saved.substr(saved.size() - 19), "Language=german\r\n\r\n");
}

TEST_F(SettingsFileTest, UnwritableFileFailsTheSave) {
    // A folder in the file's place cannot be opened for writing (read-only
    // attributes do not stop the root user the tests may run as).
    ASSERT_TRUE(::CreateDirectoryW(path.c_str(), nullptr));
    EXPECT_FALSE(SaveSettings(Sample()));
    AppSettings s{};
    EXPECT_FALSE(LoadSettings(s));
    ::RemoveDirectoryW(path.c_str());
}
