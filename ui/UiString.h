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
    char GetAt(std::size_t index) const { return index < m_text.size() ? m_text[index] : '\0'; }
    const std::string& Str() const { return m_text; }

    // Operations
    void Empty() { m_text.clear(); }
    void Assign(const char* text, std::ptrdiff_t length = -1);
    void Append(const char* text);
    void SetAt(std::size_t index, char c);
    int Format(const char* format, ...);
    int FormatV(const char* format, va_list args);
    int Compare(const char* text) const;
    int CompareNoCase(const char* text) const;
    CUiString Left(std::size_t length) const;
    CUiString Mid(std::size_t start, std::ptrdiff_t length = -1) const;
    CUiString Right(std::size_t length) const;
    // Position of the first match at or after `start`, or -1.
    int Find(char c, std::size_t start = 0) const;
    int Find(const char* text, std::size_t start = 0) const;
    int Replace(const char* from, const char* to);
    void MakeUpper();
    void MakeLower();

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
