#include "ui/ImageDescription.h"

#include <cstring>

#include "ui/AttributeValues.h"

namespace Ui {

namespace {

// Blanks as the markup reader knows them: every character up to the space.
bool IsBlank(char c) {
    return c != '\0' && static_cast<unsigned char>(c) <= ' ';
}

const char* SkipBlanks(const char* p) {
    while (IsBlank(*p)) {
        ++p;
    }
    return p;
}

bool Is(const CUiString& key, const char* name) {
    return std::strcmp(key.GetData(), name) == 0;
}

void ApplyKey(ImageDescription& description, const CUiString& key, const CUiString& value) {
    if (value.IsEmpty()) {
        return;
    }
    const char* text = value.GetData();
    if (Is(key, "file") || Is(key, "res")) {
        description.file = value;
        description.isColor = false;
    } else if (Is(key, "restype")) {
        description.resType = value;
    } else if (Is(key, "color")) {
        // The colour text doubles as the cache name of its one-pixel image.
        description.file = value;
        description.isColor = true;
        description.color = ParseColor(text);
    } else if (Is(key, "dest")) {
        description.hasDest = true;
        description.dest = ParseRect(text);
    } else if (Is(key, "source")) {
        description.hasSource = true;
        description.source = ParseRect(text);
    } else if (Is(key, "corner") || Is(key, "scale9")) {
        description.corner = ParseRect(text);
    } else if (Is(key, "mask")) {
        description.hasMask = true;
        description.mask = ParseColor(text);
    } else if (Is(key, "fade")) {
        // Out-of-range opacities are limited rather than wrapped to a byte.
        const int fade = ParseInt(text);
        description.fade = static_cast<uint8_t>(fade < 0 ? 0 : (fade > 255 ? 255 : fade));
    } else if (Is(key, "hole")) {
        description.hole = ParseBool(text);
    } else if (Is(key, "xtiled")) {
        description.xtiled = ParseBool(text);
    } else if (Is(key, "ytiled")) {
        description.ytiled = ParseBool(text);
    } else if (Is(key, "hsl")) {
        description.hsl = ParseBool(text);
    }
}

} // namespace

ImageDescription ParseImageDescription(const char* text) {
    ImageDescription description;
    if (text == nullptr) {
        return description;
    }
    description.file = text;
    const char* p = text;
    while (*p != '\0') {
        p = SkipBlanks(p);
        const char* key = p;
        while (*p != '\0' && *p != '=' && !IsBlank(*p)) {
            ++p;
        }
        const char* keyEnd = p;
        p = SkipBlanks(p);
        if (*p != '=') {
            break;
        }
        p = SkipBlanks(p + 1);
        if (*p != '\'') {
            break;
        }
        const char* value = ++p;
        while (*p != '\0' && *p != '\'') {
            ++p;
        }
        if (*p != '\'') {
            break;
        }
        ApplyKey(description, CUiString(key, static_cast<std::size_t>(keyEnd - key)),
                 CUiString(value, static_cast<std::size_t>(p - value)));
        ++p;
        if (!IsBlank(*p)) {
            break;
        }
        ++p;
    }
    return description;
}

} // namespace Ui
