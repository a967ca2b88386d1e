// The languages of the user interface and the skin file that shows each one.
#pragma once

#include <cstdint>

struct AppSettings;

// The skin used when nothing else decides.
extern const char kDefaultSkinFile[];

// The skin whose row accepts settingsValue ("French", "french" or "french\n"),
// compared exactly and case-sensitively; rows are tried in table order.
// Null when no row accepts the value (or the value is null).
const char* SkinFileForLanguage(const char* settingsValue);

// The language code (Windows primary language id; 0x7C04 for Traditional
// Chinese) of the row accepting settingsValue, or 0 when none does.
unsigned LanguageCodeForSettingsValue(const char* settingsValue);

// The code that a thread locale (LCID) stands for: Chinese for Taiwan, Hong
// Kong and Macao is Traditional Chinese, every other locale its primary language.
unsigned LanguageCodeForLocale(uint32_t threadLocale);

// The skin of the row with that code; any code outside the table gives English.
const char* SkinFileForLanguageCode(unsigned primaryOrFullCode);

// The whole choice made at start-up: the settings' Language value decides when
// the settings were read and it names a language, otherwise the thread locale.
// language may be null. Never returns null.
const char* ChooseSkinFile(bool settingsLoaded, const char* language, uint32_t threadLocale);

// The same for a settings record; reads Language only up to the field's end,
// so an unterminated field is safe.
const char* ChooseSkinFile(bool settingsLoaded, const AppSettings& settings, uint32_t threadLocale);
