// Choice of the skin file from the settings' language line and the thread locale.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "app/LanguageTable.h"
#include "settings/AppSettings.h"
#include "settings/SettingsFormat.h"

namespace {

struct Expected {
    const char* capitalised;
    const char* lower;
    unsigned code;
    const char* file;
};

const Expected kRows[] = {
    {"English", "english", 9, "Orvana/Orvana_English.xml"},
    {"French", "french", 12, "Orvana/Orvana_French.xml"},
    {"German", "german", 7, "Orvana/Orvana_German.xml"},
    {"Spanish", "spanish", 10, "Orvana/Orvana_Spanish.xml"},
    {"Arabic", "arabic", 1, "Orvana/Orvana_Arabic.xml"},
    {"Korean", "korean", 18, "Orvana/Orvana_Korean.xml"},
    {"Russian", "russian", 25, "Orvana/Orvana_Russian.xml"},
    {"Japanese", "japanese", 17, "Orvana/Orvana_Japanese.xml"},
    {"Simplified Chinese", "simplified chinese", 4, "Orvana/Orvana_Simplified.xml"},
    {"Traditional Chinese", "traditional chinese", 0x7C04, "Orvana/Orvana_Traditional.xml"},
    {"Portuguese", "portuguese", 22, "Orvana/Orvana_Portuguese.xml"},
    {"Italian", "italian", 16, "Orvana/Orvana_Italian.xml"},
};

const uint32_t kDutch = 0x0413;
const uint32_t kGermanGermany = 0x0407;

// The settings exactly as the reader leaves them for a file's bytes.
AppSettings ReadSettings(const std::string& text) {
    AppSettings settings{};
    std::string copy = text;
    std::FILE* stream = fmemopen(copy.data(), copy.size(), "r");
    EXPECT_NE(stream, nullptr);
    ReadSettingsStream(stream, settings);
    std::fclose(stream);
    return settings;
}

} // namespace

TEST(LanguageTable, EveryRowAcceptsItsThreeSpellings) {
    for (const Expected& row : kRows) {
        const std::string withLineFeed = std::string(row.lower) + "\n";
        for (const char* value : {row.capitalised, row.lower, withLineFeed.c_str()}) {
            SCOPED_TRACE(value);
            ASSERT_NE(SkinFileForLanguage(value), nullptr);
            EXPECT_STREQ(SkinFileForLanguage(value), row.file);
            EXPECT_EQ(LanguageCodeForSettingsValue(value), row.code);
        }
        EXPECT_STREQ(SkinFileForLanguageCode(row.code), row.file);
    }
}

TEST(LanguageTable, ValuesMatchOnlyExactlyAndOverTheirWholeLength) {
    const char* rejected[] = {
        "French\n",   // the capitalised name never carries a line feed
        " french",    // leading blank
        "FRENCH",     // capitals throughout
        "french\r\n", // a line end from a text-mode editor
        "french\n\n",
        "frenc",
        "frenchy",
        "french ",
        "Simplified chinese",
        "simplified Chinese",
        "chinese",
        "",
        "english\nfrench",
    };
    for (const char* value : rejected) {
        SCOPED_TRACE(value);
        EXPECT_EQ(SkinFileForLanguage(value), nullptr);
        EXPECT_EQ(LanguageCodeForSettingsValue(value), 0u);
    }
    EXPECT_EQ(SkinFileForLanguage(nullptr), nullptr);
}

TEST(LanguageTable, CodesOutsideTheTableGiveEnglish) {
    EXPECT_STREQ(SkinFileForLanguageCode(0), "Orvana/Orvana_English.xml");
    EXPECT_STREQ(SkinFileForLanguageCode(19), "Orvana/Orvana_English.xml"); // Dutch
    EXPECT_STREQ(SkinFileForLanguageCode(0xFFFFFFFFu), "Orvana/Orvana_English.xml");
    // Traditional Chinese is known by its full id only; its locales are not codes.
    EXPECT_STREQ(SkinFileForLanguageCode(0x0404), "Orvana/Orvana_English.xml");
    EXPECT_STREQ(SkinFileForLanguageCode(0x0C04), "Orvana/Orvana_English.xml");
    EXPECT_STREQ(SkinFileForLanguageCode(0x0804), "Orvana/Orvana_English.xml");
}

TEST(LanguageTable, LocalesMapToTheirPrimaryLanguageExceptTraditionalChinese) {
    EXPECT_EQ(LanguageCodeForLocale(0x0404), 0x7C04u); // Taiwan
    EXPECT_EQ(LanguageCodeForLocale(0x0C04), 0x7C04u); // Hong Kong
    EXPECT_EQ(LanguageCodeForLocale(0x1404), 0x7C04u); // Macao
    EXPECT_EQ(LanguageCodeForLocale(0x0804), 4u);      // mainland
    EXPECT_EQ(LanguageCodeForLocale(0x1004), 4u);      // Singapore
    EXPECT_EQ(LanguageCodeForLocale(0x0419), 25u);
    EXPECT_EQ(LanguageCodeForLocale(0x0C0A), 10u); // Spanish, modern sort
    // A locale with a sort id is not one of the exact traditional locales.
    EXPECT_EQ(LanguageCodeForLocale(0x00020404), 4u);
}

TEST(ChooseSkinFile, WithoutUsableSettingsTheLocaleDecides) {
    struct Case {
        uint32_t locale;
        const char* file;
    };
    const Case cases[] = {
        {0x0804, "Orvana/Orvana_Simplified.xml"},     {0x0C04, "Orvana/Orvana_Traditional.xml"},
        {0x0419, "Orvana/Orvana_Russian.xml"},        {kDutch, "Orvana/Orvana_English.xml"},
        {kGermanGermany, "Orvana/Orvana_German.xml"}, {0x0411, "Orvana/Orvana_Japanese.xml"},
        {0x0000, "Orvana/Orvana_English.xml"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale);
        EXPECT_STREQ(ChooseSkinFile(false, nullptr, c.locale), c.file);
        EXPECT_STREQ(ChooseSkinFile(true, "", c.locale), c.file);
        EXPECT_STREQ(ChooseSkinFile(true, "Klingon", c.locale), c.file);
    }
}

TEST(ChooseSkinFile, AFailedSettingsLoadIgnoresTheLanguageField) {
    EXPECT_STREQ(ChooseSkinFile(false, "french", kDutch), "Orvana/Orvana_English.xml");
    EXPECT_STREQ(ChooseSkinFile(true, "french", kDutch), "Orvana/Orvana_French.xml");
}

TEST(ChooseSkinFile, AMatchingLanguageOverridesTheLocale) {
    EXPECT_STREQ(ChooseSkinFile(true, "traditional chinese\n", 0x0804),
                 "Orvana/Orvana_Traditional.xml");
    EXPECT_STREQ(ChooseSkinFile(true, "simplified chinese", 0x0C04),
                 "Orvana/Orvana_Simplified.xml");
    EXPECT_STREQ(ChooseSkinFile(true, "English", 0x0419), "Orvana/Orvana_English.xml");
}

TEST(ChooseSkinFile, LanguageLinesAsReadFromTheSettingsFile) {
    // Lower case with a line end reads as "french\n", which matches.
    AppSettings settings = ReadSettings("Language=french\n");
    EXPECT_STREQ(ChooseSkinFile(true, settings, kDutch), "Orvana/Orvana_French.xml");
    // Capitalised with a line end reads as "French\n": no row, the locale decides.
    settings = ReadSettings("Language=French\n");
    EXPECT_STREQ(ChooseSkinFile(true, settings, kGermanGermany), "Orvana/Orvana_German.xml");
    // Capitalised as the very last bytes of the file has no line feed and matches.
    settings = ReadSettings("FileFormat=MJPG\nLanguage=French");
    EXPECT_STREQ(ChooseSkinFile(true, settings, kDutch), "Orvana/Orvana_French.xml");
    settings = ReadSettings("Language=russian\n");
    EXPECT_STREQ(ChooseSkinFile(true, settings, kDutch), "Orvana/Orvana_Russian.xml");
    settings = ReadSettings("Language= russian\n");
    EXPECT_STREQ(ChooseSkinFile(true, settings, kDutch), "Orvana/Orvana_English.xml");
}

TEST(ChooseSkinFile, AFullLanguageFieldIsReadOnlyUpToItsEnd) {
    AppSettings settings{};
    // Every byte set, including the spare one that normally terminates the
    // field: the choice must not read past the record.
    std::memset(settings.Language, 'x', sizeof settings.Language);
    EXPECT_STREQ(ChooseSkinFile(true, settings, 0x0419), "Orvana/Orvana_Russian.xml");

    // A value followed by the zero fill is the value alone.
    AppSettings zeroFilled{};
    std::memcpy(zeroFilled.Language, "korean", 6);
    EXPECT_STREQ(ChooseSkinFile(true, zeroFilled, kDutch), "Orvana/Orvana_Korean.xml");
}
