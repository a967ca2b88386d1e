// CUiString: the framework's growing ANSI string (bytes in the active code
// page). Formatting has no fixed length limit.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>

namespace Ui {

class CUiString {
public:
    CUiString() = default;
    CUiString(const char* text); // NOLINT: implicit by design, like the C strings it replaces
    CUiString(const char* text, std::size_t length);
    CUiString(char c);
    CUiString(const std::string& text) : m_text(text) {}

    // Attributes
    std::size_t GetLength() const { return m_text.size(); }
    bool IsEmpty() const { return m_text.empty(); }
    const char* GetData() const { return m_text.c_str(); }
    operator const char*() const { return m_text.c_str(); }
    const std::string& Str() const { return m_text; }

    // Operations
    void Empty() { m_text.clear(); }
    void Assign(const char* text, std::ptrdiff_t length = -1);
    void Append(const char* text);
    int Format(const char* format, ...);
    int FormatV(const char* format, va_list args);
    int Compare(const char* text) const;
    // Position of the first match at or after `start`, or -1.
    int Find(char c, std::size_t start = 0) const;

    CUiString& operator=(const char* text);
    CUiString& operator+=(const char* text);
    CUiString& operator+=(char c);
    CUiString& operator+=(const CUiString& text);
    friend CUiString operator+(const CUiString& a, const CUiString& b);
    friend CUiString operator+(const CUiString& a, const char* b);
    bool operator==(const char* text) const { return Compare(text) == 0; }
    bool operator!=(const char* text) const { return Compare(text) != 0; }
    bool operator==(const CUiString& text) const { return m_text == text.m_text; }
    bool operator!=(const CUiString& text) const { return m_text != text.m_text; }
    bool operator<(const CUiString& text) const { return m_text < text.m_text; }

private:
    std::string m_text;
};

} // namespace Ui

using Ui::CUiString;
