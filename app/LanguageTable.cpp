#include "app/LanguageTable.h"

#include <cstring>
#include <string>

#include "settings/AppSettings.h"

namespace {

struct LanguageRow {
    const char* accepted[3]; // capitalised, lower case, lower case + line feed
    unsigned code;
    const char* skinFile;
};

// Order matters: the first row that accepts a value wins.
const LanguageRow kLanguages[] = {
    {{"English", "english", "english\n"}, 9, "Orvana/Orvana_English.xml"},
    {{"French", "french", "french\n"}, 12, "Orvana/Orvana_French.xml"},
    {{"German", "german", "german\n"}, 7, "Orvana/Orvana_German.xml"},
    {{"Spanish", "spanish", "spanish\n"}, 10, "Orvana/Orvana_Spanish.xml"},
    {{"Arabic", "arabic", "arabic\n"}, 1, "Orvana/Orvana_Arabic.xml"},
    {{"Korean", "korean", "korean\n"}, 18, "Orvana/Orvana_Korean.xml"},
    {{"Russian", "russian", "russian\n"}, 25, "Orvana/Orvana_Russian.xml"},
    {{"Japanese", "japanese", "japanese\n"}, 17, "Orvana/Orvana_Japanese.xml"},
    {{"Simplified Chinese", "simplified chinese", "simplified chinese\n"},
     4,
     "Orvana/Orvana_Simplified.xml"},
    {{"Traditional Chinese", "traditional chinese", "traditional chinese\n"},
     0x7C04,
     "Orvana/Orvana_Traditional.xml"},
    {{"Portuguese", "portuguese", "portuguese\n"}, 22, "Orvana/Orvana_Portuguese.xml"},
    {{"Italian", "italian", "italian\n"}, 16, "Orvana/Orvana_Italian.xml"},
};

const LanguageRow* RowForValue(const char* value) {
    if (value == nullptr) {
        return nullptr;
    }
    for (const LanguageRow& row : kLanguages) {
        for (const char* accepted : row.accepted) {
            if (std::strcmp(value, accepted) == 0) {
                return &row;
            }
        }
    }
    return nullptr;
}

} // namespace

const char kDefaultSkinFile[] = "Orvana/Orvana_English.xml";

const char* SkinFileForLanguage(const char* settingsValue) {
    const LanguageRow* row = RowForValue(settingsValue);
    return row != nullptr ? row->skinFile : nullptr;
}

unsigned LanguageCodeForSettingsValue(const char* settingsValue) {
    const LanguageRow* row = RowForValue(settingsValue);
    return row != nullptr ? row->code : 0;
}

unsigned LanguageCodeForLocale(uint32_t threadLocale) {
    // Only the exact Taiwan, Hong Kong and Macao locales use traditional
    // characters; the mainland and Singapore fall through to primary id 4.
    if (threadLocale == 0x0404 || threadLocale == 0x0C04 || threadLocale == 0x1404) {
        return 0x7C04;
    }
    return threadLocale & 0x3FF;
}

const char* SkinFileForLanguageCode(unsigned primaryOrFullCode) {
    for (const LanguageRow& row : kLanguages) {
        if (row.code == primaryOrFullCode) {
            return row.skinFile;
        }
    }
    return kDefaultSkinFile;
}

const char* ChooseSkinFile(bool settingsLoaded, const char* language, uint32_t threadLocale) {
    unsigned code = settingsLoaded ? LanguageCodeForSettingsValue(language) : 0;
    if (code == 0) {
        code = LanguageCodeForLocale(threadLocale);
    }
    return SkinFileForLanguageCode(code);
}

const char* ChooseSkinFile(bool settingsLoaded, const AppSettings& settings,
                           uint32_t threadLocale) {
    const void* end = std::memchr(settings.Language, 0, sizeof settings.Language);
    const std::size_t length =
        end != nullptr ? static_cast<std::size_t>(static_cast<const char*>(end) - settings.Language)
                       : sizeof settings.Language;
    const std::string language(settings.Language, length);
    return ChooseSkinFile(settingsLoaded, language.c_str(), threadLocale);
}
