#include "ui/UiString.h"

#include <cstdio>
#include <cstring>

namespace Ui {

CUiString::CUiString(const char* text) : m_text(text != nullptr ? text : "") {}

CUiString::CUiString(const char* text, std::size_t length) {
    if (text != nullptr) {
        m_text.assign(text, length);
    }
}

CUiString::CUiString(char c) : m_text(1, c) {
    if (c == '\0') {
        m_text.clear();
    }
}

void CUiString::Assign(const char* text, std::ptrdiff_t length) {
    if (text == nullptr) {
        m_text.clear();
    } else if (length < 0) {
        m_text.assign(text);
    } else {
        m_text.assign(text, strnlen(text, static_cast<std::size_t>(length)));
    }
}

void CUiString::Append(const char* text) {
    if (text != nullptr) {
        m_text.append(text);
    }
}

int CUiString::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    int length = FormatV(format, args);
    va_end(args);
    return length;
}

int CUiString::FormatV(const char* format, va_list args) {
    va_list measure;
    va_copy(measure, args);
    int needed = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (needed < 0) {
        m_text.clear();
        return -1;
    }
    std::string buffer(static_cast<std::size_t>(needed) + 1, '\0');
    std::vsnprintf(&buffer[0], buffer.size(), format, args);
    buffer.resize(static_cast<std::size_t>(needed));
    m_text.swap(buffer);
    return needed;
}

int CUiString::Compare(const char* text) const {
    return std::strcmp(m_text.c_str(), text != nullptr ? text : "");
}

int CUiString::Find(char c, std::size_t start) const {
    std::size_t at = m_text.find(c, start);
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

CUiString& CUiString::operator=(const char* text) {
    Assign(text);
    return *this;
}

CUiString& CUiString::operator+=(const char* text) {
    Append(text);
    return *this;
}

CUiString& CUiString::operator+=(char c) {
    if (c != '\0') {
        m_text.push_back(c);
    }
    return *this;
}

CUiString& CUiString::operator+=(const CUiString& text) {
    m_text += text.m_text;
    return *this;
}

CUiString operator+(const CUiString& a, const CUiString& b) {
    return CUiString(a.m_text + b.m_text);
}

CUiString operator+(const CUiString& a, const char* b) {
    CUiString result(a);
    result.Append(b);
    return result;
}

} // namespace Ui
