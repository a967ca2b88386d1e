// Conversions to and from the active ANSI code page that the whole framework
// works in: from UTF-8 (skin documents) and between it and UTF-16 (device
// names, text drawn with the wide-character calls).
#pragma once

#include <cstddef>
#include <string>

#include "ui/UiString.h"

namespace Ui {

// Converts `length` bytes of UTF-8 to text in the active ANSI code page. Characters the code
// page cannot hold become its default character. The native build has no code page and passes
// the bytes through unchanged.
CUiString Utf8ToAnsi(const char* utf8, std::size_t length);

#ifdef _WIN32
// UTF-16 to the active ANSI code page, with its default character where it has none, and back.
std::string WideToAnsi(const std::wstring& wide);
std::wstring AnsiToWide(const std::string& ansi);
#endif

} // namespace Ui
