#include "settings/SettingsFormat.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "ui/UiString.h"

namespace {

enum class Key { PhotoWidth, PhotoHeight, VideoWidth, VideoHeight, FileFormat, Language };

struct KeyName {
    const char* text;
    Key key;
};

const KeyName kKeys[] = {
    {"PhotoResolution_Width=", Key::PhotoWidth},
    {"PhotoResolution_Height=", Key::PhotoHeight},
    {"VideoResolution_Width=", Key::VideoWidth},
    {"VideoResolution_Height=", Key::VideoHeight},
    {"FileFormat=", Key::FileFormat},
    {"Language=", Key::Language},
};

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWithNoCase(const char* line, std::size_t length, const char* key) {
    std::size_t keyLength = std::strlen(key);
    if (length < keyLength) {
        return false;
    }
    for (std::size_t i = 0; i < keyLength; ++i) {
        if (AsciiLower(line[i]) != AsciiLower(key[i])) {
            return false;
        }
    }
    return true;
}

// Decimal conversion as atoi does it, clamped to 32 bits instead of overflowing.
int32_t ToInt32(const char* value) {
    errno = 0;
    long long parsed = std::strtoll(value, nullptr, 10);
    if (parsed > INT32_MAX) {
        return INT32_MAX;
    }
    if (parsed < INT32_MIN) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(parsed);
}

// A value that fits is copied over the start of the field without a
// terminator (the rest keeps what it had); one that does not fit empties it.
void CopyTextValue(char* field, std::size_t width, const char* value, std::size_t length) {
    if (length == 0) {
        return;
    }
    if (length > width) {
        std::memset(field, 0, width + 1);
        return;
    }
    std::memcpy(field, value, length);
    field[width] = '\0';
}

bool WriteAll(std::FILE* stream, const CUiString& text) {
    const std::size_t length = text.GetLength();
    return length == 0 || std::fwrite(text.GetData(), 1, length, stream) == length;
}

const char kLanguageComments[] = "//select lanauage\n"
                                 "//Language=english\n"
                                 "//Language=french\n"
                                 "//Language=spanish\n"
                                 "//Language=arabic\n"
                                 "//Language=korean\n"
                                 "//Language=russian\n"
                                 "//Language=japanese\n"
                                 "//Language=simplified chinese\n"
                                 "//Language=traditional chinese\n"
                                 "//Language=portuguese\n"
                                 "//Language=italian\n";

} // namespace

void ApplySettingsLine(AppSettings& settings, const char* line, std::size_t length) {
    for (const KeyName& entry : kKeys) {
        if (!StartsWithNoCase(line, length, entry.text)) {
            continue;
        }
        std::size_t keyLength = std::strlen(entry.text);
        std::size_t valueLength = length - keyLength;
        if (valueLength > kSettingsValueBytes) {
            valueLength = kSettingsValueBytes;
        }
        char value[kSettingsValueBytes + 1];
        std::memcpy(value, line + keyLength, valueLength);
        value[valueLength] = '\0';

        switch (entry.key) {
        case Key::PhotoWidth:
            settings.PhotoResolution_Width = ToInt32(value);
            break;
        case Key::PhotoHeight:
            settings.PhotoResolution_Height = ToInt32(value);
            break;
        case Key::VideoWidth:
            settings.VideoResolution_Width = ToInt32(value);
            break;
        case Key::VideoHeight:
            settings.VideoResolution_Height = ToInt32(value);
            break;
        case Key::FileFormat:
            CopyTextValue(settings.FileFormat, kFileFormatWidth, value, valueLength);
            break;
        case Key::Language:
            CopyTextValue(settings.Language, kLanguageWidth, value, valueLength);
            break;
        }
        return;
    }
}

void ReadSettingsStream(std::FILE* stream, AppSettings& settings) {
    char line[kSettingsLineBytes + 1];
    while (std::fgets(line, sizeof line, stream) != nullptr) {
        // Bytes after an embedded zero are not part of the line as read.
        ApplySettingsLine(settings, line, std::strlen(line));
    }
}

bool WriteSettingsStream(std::FILE* stream, const AppSettings& settings, const char* language) {
    CUiString text;
    bool ok = true;
    text.Format("PhotoResolution_Width=%d\n", settings.PhotoResolution_Width);
    ok = WriteAll(stream, text) && ok;
    text.Format("PhotoResolution_Height=%d\n", settings.PhotoResolution_Height);
    ok = WriteAll(stream, text) && ok;
    text.Format("VideoResolution_Width=%d\n", settings.VideoResolution_Width);
    ok = WriteAll(stream, text) && ok;
    text.Format("VideoResolution_Height=%d\n", settings.VideoResolution_Height);
    ok = WriteAll(stream, text) && ok;
    text.Format("FileFormat=%s\n", settings.FileFormat);
    ok = WriteAll(stream, text) && ok;
    ok = WriteAll(stream, CUiString("\n")) && ok;
    ok = WriteAll(stream, CUiString(kLanguageComments)) && ok;
    text.Format("Language=%s\n", language != nullptr ? language : "");
    ok = WriteAll(stream, text) && ok;
    return ok;
}
