// Conversions between UTF-8, UTF-16 and the active ANSI code page.
#include "ui/TextEncoding.h"

#include <windows.h>

#include <algorithm>
#include <climits>

namespace Ui {

namespace {

// The Win32 conversions take int lengths; texts here are far below that limit.
bool FitsInt(std::size_t length) {
    return length <= static_cast<std::size_t>(INT_MAX);
}

std::wstring Widen(UINT codePage, const char* text, std::size_t length) {
    if (text == nullptr || length == 0 || !FitsInt(length)) {
        return std::wstring();
    }
    const int textLength = static_cast<int>(length);
    int wideLength = MultiByteToWideChar(codePage, 0, text, textLength, nullptr, 0);
    if (wideLength <= 0) {
        return std::wstring();
    }
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    wideLength = MultiByteToWideChar(codePage, 0, text, textLength, &wide[0], wideLength);
    wide.resize(static_cast<std::size_t>(std::max(wideLength, 0)));
    return wide;
}

// Without flags, characters the code page cannot hold become its default character.
std::string Narrow(UINT codePage, const wchar_t* wide, std::size_t length) {
    if (wide == nullptr || length == 0 || !FitsInt(length)) {
        return std::string();
    }
    const int wideLength = static_cast<int>(length);
    int textLength =
        WideCharToMultiByte(codePage, 0, wide, wideLength, nullptr, 0, nullptr, nullptr);
    if (textLength <= 0) {
        return std::string();
    }
    std::string text(static_cast<std::size_t>(textLength), '\0');
    textLength =
        WideCharToMultiByte(codePage, 0, wide, wideLength, &text[0], textLength, nullptr, nullptr);
    text.resize(static_cast<std::size_t>(std::max(textLength, 0)));
    return text;
}

} // namespace

CUiString Utf8ToAnsi(const char* utf8, std::size_t length) {
    const std::wstring wide = Widen(CP_UTF8, utf8, length);
    const std::string ansi = Narrow(CP_ACP, wide.data(), wide.size());
    return ansi.empty() ? CUiString() : CUiString(ansi);
}

std::string WideToAnsi(const std::wstring& wide) {
    return Narrow(CP_ACP, wide.data(), wide.size());
}

std::wstring AnsiToWide(const std::string& ansi) {
    return Widen(CP_ACP, ansi.data(), ansi.size());
}

} // namespace Ui
