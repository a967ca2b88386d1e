#include "settings/AppSettings.h"

#include <cstring>

AppSettings CurrentSettings{};

void SetSettingsText(char* field, std::size_t width, const char* text) {
    std::memset(field, 0, width + 1);
    if (text == nullptr) {
        return;
    }
    std::size_t length = std::strlen(text);
    std::memcpy(field, text, length < width ? length : width);
}
