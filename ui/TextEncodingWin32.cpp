// UTF-8 to the active ANSI code page, through UTF-16.
#include "ui/TextEncoding.h"

#include <windows.h>

#include <climits>
#include <string>

namespace Ui {

CUiString Utf8ToAnsi(const char* utf8, std::size_t length) {
    // The Win32 conversions take int lengths; documents are far below that limit.
    if (utf8 == nullptr || length == 0 || length > static_cast<std::size_t>(INT_MAX)) {
        return CUiString();
    }
    const int utf8Length = static_cast<int>(length);
    int wideLength = MultiByteToWideChar(CP_UTF8, 0, utf8, utf8Length, nullptr, 0);
    if (wideLength <= 0) {
        return CUiString();
    }
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    wideLength = MultiByteToWideChar(CP_UTF8, 0, utf8, utf8Length, &wide[0], wideLength);
    if (wideLength <= 0) {
        return CUiString();
    }
    // Without flags, characters the code page cannot hold become its default character.
    int ansiLength =
        WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (ansiLength <= 0) {
        return CUiString();
    }
    std::string ansi(static_cast<std::size_t>(ansiLength), '\0');
    ansiLength = WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, &ansi[0], ansiLength,
                                     nullptr, nullptr);
    if (ansiLength <= 0) {
        return CUiString();
    }
    ansi.resize(static_cast<std::size_t>(ansiLength));
    return CUiString(ansi);
}

} // namespace Ui
