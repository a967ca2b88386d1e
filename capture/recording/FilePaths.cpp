#include "capture/recording/FilePaths.h"

#include <windows.h>

namespace {

std::wstring Widen(const std::string& text, UINT codePage, DWORD flags) {
    const int length = ::MultiByteToWideChar(codePage, flags, text.c_str(), -1, nullptr, 0);
    if (length <= 0) {
        return std::wstring();
    }
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, flags, text.c_str(), -1, &wide[0], length);
    wide.resize(static_cast<size_t>(length - 1));
    return wide;
}

} // namespace

std::wstring WidePath(const std::string& path) {
    std::wstring wide = Widen(path, CP_UTF8, MB_ERR_INVALID_CHARS);
    return wide.empty() && !path.empty() ? Widen(path, CP_ACP, 0) : wide;
}

std::string Utf8Path(const std::wstring& path) {
    const int length =
        ::WideCharToMultiByte(CP_UTF8, 0, path.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        return std::string();
    }
    std::string text(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, path.c_str(), -1, &text[0], length, nullptr, nullptr);
    text.resize(static_cast<size_t>(length - 1));
    return text;
}

int64_t FreeDiskBytes(const std::string& path) {
    std::wstring folder = WidePath(path);
    // The query takes a folder: a file's volume is its folder's.
    const DWORD attributes = ::GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        const size_t slash = folder.find_last_of(L"\\/");
        folder = slash == std::wstring::npos ? L"." : folder.substr(0, slash + 1);
    }
    ULARGE_INTEGER available{};
    if (!::GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr)) {
        return -1;
    }
    return static_cast<int64_t>(available.QuadPart);
}
