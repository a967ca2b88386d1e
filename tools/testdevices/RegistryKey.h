// Owning wrapper of a registry key handle with the few reads and writes the devices need.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace TestDevices {

class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey() { Close(); }
    RegistryKey(RegistryKey&& other) noexcept : key_(other.key_) { other.key_ = nullptr; }
    RegistryKey& operator=(RegistryKey&& other) noexcept;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    bool Open(HKEY parent, const std::wstring& path, REGSAM access = KEY_READ);
    bool Create(HKEY parent, const std::wstring& path);
    void Close();
    bool IsOpen() const { return key_ != nullptr; }
    HKEY Get() const { return key_; }

    bool ReadString(const wchar_t* name, std::wstring& value) const;
    bool ReadDword(const wchar_t* name, DWORD& value) const;
    bool WriteString(const wchar_t* name, const std::wstring& value);
    bool WriteDword(const wchar_t* name, DWORD value);
    bool DeleteValue(const wchar_t* name);
    std::vector<std::wstring> SubkeyNames() const;

private:
    HKEY key_ = nullptr;
};

// Deletes a key with everything below it; true also when it did not exist.
bool DeleteKeyTree(HKEY parent, const std::wstring& path);

} // namespace TestDevices
