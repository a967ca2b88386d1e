// Reading and writing the lines of setting.ini (without the file system's
// text-mode translation; the Wine tests check the bytes on disk).
#include <cstdio>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "settings/SettingsFormat.h"

namespace {

AppSettings Read(const std::string& text) {
    AppSettings settings{};
    std::FILE* stream = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    if (text.empty()) {
        stream = std::tmpfile();
    }
    EXPECT_NE(stream, nullptr);
    ReadSettingsStream(stream, settings);
    std::fclose(stream);
    return settings;
}

std::string Write(const AppSettings& settings, const char* language) {
    std::FILE* stream = std::tmpfile();
    EXPECT_TRUE(WriteSettingsStream(stream, settings, language));
    std::string out;
    std::rewind(stream);
    for (int c; (c = std::fgetc(stream)) != EOF;) {
        out.push_back(static_cast<char>(c));
    }
    std::fclose(stream);
    return out;
}

const char kCommentBlock[] =
    "\n//select lanauage\n//Language=english\n//Language=french\n//Language=spanish\n"
    "//Language=arabic\n//Language=korean\n//Language=russian\n//Language=japanese\n"
    "//Language=simplified chinese\n//Language=traditional chinese\n//Language=portuguese\n"
    "//Language=italian\n";

} // namespace

TEST(SettingsRead, KeysAreCaseInsensitiveAndMustStartTheLine) {
    AppSettings s = Read("photoresolution_width=640\n"
                         "PHOTORESOLUTION_HEIGHT=480\n"
                         " VideoResolution_Width=1280\n"
                         "VideoResolution_Height=720\n");
    EXPECT_EQ(s.PhotoResolution_Width, 640);
    EXPECT_EQ(s.PhotoResolution_Height, 480);
    EXPECT_EQ(s.VideoResolution_Width, 0) << "a leading blank hides the key";
    EXPECT_EQ(s.VideoResolution_Height, 720);
}

TEST(SettingsRead, NumbersConvertLikeAtoi) {
    EXPECT_EQ(Read("PhotoResolution_Width= 640\n").PhotoResolution_Width, 640);
    EXPECT_EQ(Read("PhotoResolution_Width=abc\n").PhotoResolution_Width, 0);
    EXPECT_EQ(Read("PhotoResolution_Width=-12px\n").PhotoResolution_Width, -12);
    EXPECT_EQ(Read("PhotoResolution_Width=99999999999\n").PhotoResolution_Width, INT32_MAX);
    EXPECT_EQ(
        Read("VideoResolution_Width=1280\nVideoResolution_Width=1920\n").VideoResolution_Width,
        1920)
        << "the last occurrence wins";
}

TEST(SettingsRead, TextValuesKeepTheirLineFeed) {
    AppSettings s = Read("FileFormat=H264\nLanguage=english\n");
    EXPECT_STREQ(s.FileFormat, "H264\n");
    EXPECT_STREQ(s.Language, "english\n");
    // The last line without a line end is taken as it stands.
    EXPECT_STREQ(Read("Language=korean").Language, "korean");
}

TEST(SettingsRead, CommentedAndBlankedLanguageLinesAreIgnored) {
    AppSettings s = Read("//Language=korean\n Language=french\nLanguage=italian\n");
    EXPECT_STREQ(s.Language, "italian\n");
}

TEST(SettingsRead, TextValueLongerThanItsFieldEmptiesIt) {
    AppSettings s = Read("FileFormat=MJPG\nFileFormat=ABCDEFGHIJK\n");
    EXPECT_STREQ(s.FileFormat, "") << "eleven letters and a line feed do not fit ten bytes";
    std::string longLanguage = "Language=" + std::string(100, 'x') + "\n";
    EXPECT_STREQ(Read("Language=english\n" + longLanguage).Language, "");
}

TEST(SettingsRead, ValueThatFillsTheFieldExactlyStaysTerminated) {
    // Nine letters plus the line feed: exactly ten bytes.
    AppSettings s = Read("FileFormat=ABCDEFGHI\n");
    EXPECT_EQ(std::strlen(s.FileFormat), kFileFormatWidth);
    EXPECT_EQ(std::string(s.FileFormat), "ABCDEFGHI\n");
    std::string language(kLanguageWidth - 1, 'y');
    s = Read("Language=" + language + "\n");
    EXPECT_EQ(std::strlen(s.Language), kLanguageWidth);
}

TEST(SettingsRead, ShorterSecondValueOverwritesOnlyTheStart) {
    AppSettings s = Read("Language=english\nLanguage=it\n");
    EXPECT_STREQ(s.Language, "it\nlish\n");
}

TEST(SettingsRead, EmptyValueAtEndOfFileLeavesTheField) {
    AppSettings s = Read("Language=french\nLanguage=");
    EXPECT_STREQ(s.Language, "french\n");
}

TEST(SettingsRead, EmptyInputChangesNothing) {
    AppSettings s = Read("");
    AppSettings zero{};
    EXPECT_EQ(std::memcmp(&s, &zero, sizeof s), 0);
}

TEST(SettingsRead, OverlongLineIsReadInPieces) {
    // The first 1023 bytes are one piece whose value is too long; the rest
    // is a line of its own and here happens to carry a key.
    std::string line =
        "Language=" + std::string(kSettingsLineBytes - 9, 'z') + "Language=spanish\n";
    AppSettings s = Read("Language=english\n" + line);
    EXPECT_STREQ(s.Language, "spanish\n");

    std::string numeric = "PhotoResolution_Width=" + std::string(3000, '7') + "\n";
    EXPECT_EQ(Read(numeric).PhotoResolution_Width, INT32_MAX);
}

TEST(SettingsWrite, NineteenLinesInOrder) {
    AppSettings s{};
    s.PhotoResolution_Width = 1920;
    s.PhotoResolution_Height = 1080;
    s.VideoResolution_Width = 1280;
    s.VideoResolution_Height = 720;
    SetSettingsText(s.FileFormat, kFileFormatWidth, "MJPG");
    SetSettingsText(s.Language, kLanguageWidth, "ignored");
    std::string expected = std::string("PhotoResolution_Width=1920\nPhotoResolution_Height=1080\n"
                                       "VideoResolution_Width=1280\nVideoResolution_Height=720\n"
                                       "FileFormat=MJPG\n") +
                           kCommentBlock + "Language=english\n\n";
    EXPECT_EQ(Write(s, "english\n"), expected);
}

TEST(SettingsWrite, RoundTripKeepsTheLanguageAndFormat) {
    AppSettings first = Read("FileFormat=YUY2\nLanguage=english\n");
    std::string text = Write(first, first.Language);
    AppSettings second = Read(text);
    EXPECT_STREQ(second.Language, "english\n");
    EXPECT_STREQ(second.FileFormat, "YUY2\n");
    EXPECT_EQ(text.substr(text.size() - 18), "Language=english\n\n");
}

TEST(SettingsText, UiValuesAreCutToTheField) {
    AppSettings s{};
    SetSettingsText(s.FileFormat, kFileFormatWidth, "0123456789ABCDEF");
    EXPECT_STREQ(s.FileFormat, "0123456789");
    SetSettingsText(s.FileFormat, kFileFormatWidth, nullptr);
    EXPECT_STREQ(s.FileFormat, "");
}
