// Native stand-in: Linux has no ANSI code page, so UTF-8 is already the text
// the framework works in.
#include "ui/TextEncoding.h"

namespace Ui {

CUiString Utf8ToAnsi(const char* utf8, std::size_t length) {
    if (utf8 == nullptr || length == 0) {
        return CUiString();
    }
    return CUiString(utf8, length);
}

} // namespace Ui
