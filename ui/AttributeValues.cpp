#include "ui/AttributeValues.h"

#include <climits>
#include <cstring>

namespace Ui {

namespace {

bool IsSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Steps over the one separator that follows a number, but never over the
// terminating zero: a short value such as "10" must not be read beyond its end.
const char* SkipSeparator(const char* p) {
    return *p != '\0' ? p + 1 : p;
}

} // namespace

namespace detail {

int ReadDecimal(const char* text, const char** end) {
    const char* p = text;
    while (IsSpace(*p)) {
        ++p;
    }
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    if (*p < '0' || *p > '9') {
        *end = text;
        return 0;
    }
    // Accumulate the magnitude with a ceiling so that long digit runs cannot
    // overflow; the sign is applied once at the end.
    const int64_t limit = negative ? -static_cast<int64_t>(INT_MIN) : INT_MAX;
    int64_t magnitude = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (magnitude <= limit) {
            magnitude = magnitude * 10 + (*p - '0');
        }
    }
    *end = p;
    if (magnitude > limit) {
        magnitude = limit;
    }
    return static_cast<int>(negative ? -magnitude : magnitude);
}

} // namespace detail

uint32_t ParseColor(const char* value) {
    if (value == nullptr) {
        return 0;
    }
    const char* p = value;
    while (IsSpace(*p)) {
        ++p;
    }
    if (*p == '#') {
        ++p;
    }
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && HexDigit(p[2]) >= 0) {
        p += 2;
    }
    uint64_t color = 0;
    for (int digit; (digit = HexDigit(*p)) >= 0; ++p) {
        color = (color << 4) | static_cast<uint64_t>(digit);
        if (color > UINT32_MAX) {
            return UINT32_MAX;
        }
    }
    return static_cast<uint32_t>(color);
}

UiRect ParseRect(const char* value) {
    UiRect rect;
    if (value == nullptr) {
        return rect;
    }
    const char* p = value;
    int* const fields[] = {&rect.left, &rect.top, &rect.right, &rect.bottom};
    for (int* field : fields) {
        *field = detail::ReadDecimal(p, &p);
        p = SkipSeparator(p);
    }
    return rect;
}

UiSize ParseSize(const char* value) {
    UiSize size;
    if (value == nullptr) {
        return size;
    }
    const char* p = value;
    size.cx = detail::ReadDecimal(p, &p);
    p = SkipSeparator(p);
    size.cy = detail::ReadDecimal(p, &p);
    return size;
}

int ParseInt(const char* value) {
    if (value == nullptr) {
        return 0;
    }
    const char* end = nullptr;
    return detail::ReadDecimal(value, &end);
}

bool ParseBool(const char* value) {
    return value != nullptr && std::strcmp(value, "true") == 0;
}

namespace {

ChildAlignment LastAlignWord(const char* value, const char* const (&words)[3],
                             ChildAlignment absent) {
    constexpr ChildAlignment kPlaces[] = {ChildAlignment::Start, ChildAlignment::Center,
                                          ChildAlignment::End};
    ChildAlignment found = absent;
    for (int i = 0; value != nullptr && i < 3; ++i) {
        if (std::strstr(value, words[i]) != nullptr) {
            found = kPlaces[i];
        }
    }
    return found;
}

} // namespace

ChildAlignment ParseHorizontalAlign(const char* value, ChildAlignment absent) {
    static const char* const kWords[] = {"left", "center", "right"};
    return LastAlignWord(value, kWords, absent);
}

ChildAlignment ParseVerticalAlign(const char* value, ChildAlignment absent) {
    static const char* const kWords[] = {"top", "vcenter", "bottom"};
    return LastAlignWord(value, kWords, absent);
}

std::vector<std::pair<CUiString, CUiString>> ParseAttributeList(const char* list) {
    std::vector<std::pair<CUiString, CUiString>> pairs;
    if (list == nullptr) {
        return pairs;
    }
    const char* p = list;
    while (*p != '\0') {
        const char* name = p;
        while (*p != '\0' && *p != '=') {
            ++p;
        }
        const char* nameEnd = p;
        if (*p != '=' || p[1] != '"') {
            break;
        }
        p += 2;
        const char* text = p;
        while (*p != '\0' && *p != '"') {
            ++p;
        }
        if (*p != '"') {
            break; // unterminated value: the pair is not kept
        }
        pairs.emplace_back(CUiString(name, static_cast<std::size_t>(nameEnd - name)),
                           CUiString(text, static_cast<std::size_t>(p - text)));
        ++p;
        if (*p != ' ') {
            break;
        }
        ++p;
    }
    return pairs;
}

} // namespace Ui
