// Conversion of UTF-8 text (skin documents) to the active ANSI code page that
// the whole framework works in.
#pragma once

#include <cstddef>

#include "ui/UiString.h"

namespace Ui {

// Converts `length` bytes of UTF-8 to text in the active ANSI code page. Characters the code
// page cannot hold become its default character. The native build has no code page and passes
// the bytes through unchanged.
CUiString Utf8ToAnsi(const char* utf8, std::size_t length);

} // namespace Ui
