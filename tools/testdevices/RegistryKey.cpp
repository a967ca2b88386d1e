#include "tools/testdevices/RegistryKey.h"

#include <algorithm>

namespace TestDevices {

RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept {
    if (this != &other) {
        Close();
        key_ = other.key_;
        other.key_ = nullptr;
    }
    return *this;
}

bool RegistryKey::Open(HKEY parent, const std::wstring& path, REGSAM access) {
    Close();
    return RegOpenKeyExW(parent, path.c_str(), 0, access, &key_) == ERROR_SUCCESS ||
           (key_ = nullptr, false);
}

bool RegistryKey::Create(HKEY parent, const std::wstring& path) {
    Close();
    return RegCreateKeyExW(parent, path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                           &key_, nullptr) == ERROR_SUCCESS ||
           (key_ = nullptr, false);
}

void RegistryKey::Close() {
    if (key_)
        RegCloseKey(key_);
    key_ = nullptr;
}

bool RegistryKey::ReadString(const wchar_t* name, std::wstring& value) const {
    DWORD type = 0, size = 0;
    if (!key_ || RegQueryValueExW(key_, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ || size > 65536) {
        return false;
    }
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    DWORD got = size;
    if (RegQueryValueExW(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                         &got) != ERROR_SUCCESS) {
        return false;
    }
    // The stored text need not be terminated; the buffer has a spare zero.
    value.assign(buffer.data());
    return true;
}

bool RegistryKey::ReadDword(const wchar_t* name, DWORD& value) const {
    DWORD type = 0, data = 0, size = sizeof(data);
    if (!key_ ||
        RegQueryValueExW(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD) {
        return false;
    }
    value = data;
    return true;
}

bool RegistryKey::WriteString(const wchar_t* name, const std::wstring& value) {
    return key_ && RegSetValueExW(
                       key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool RegistryKey::WriteDword(const wchar_t* name, DWORD value) {
    return key_ && RegSetValueExW(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                  sizeof(value)) == ERROR_SUCCESS;
}

bool RegistryKey::DeleteValue(const wchar_t* name) {
    return key_ && RegDeleteValueW(key_, name) == ERROR_SUCCESS;
}

std::vector<std::wstring> RegistryKey::SubkeyNames() const {
    std::vector<std::wstring> names;
    if (!key_)
        return names;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD length = 256;
        LONG result = RegEnumKeyExW(key_, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_MORE_DATA)
            continue;
        if (result != ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool DeleteKeyTree(HKEY parent, const std::wstring& path) {
    RegistryKey key;
    if (!key.Open(parent, path, KEY_READ | KEY_WRITE))
        return true;
    for (const auto& name : key.SubkeyNames()) {
        if (!DeleteKeyTree(key.Get(), name))
            return false;
    }
    key.Close();
    LONG result = RegDeleteKeyW(parent, path.c_str());
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

} // namespace TestDevices
