#include "preview/MessageLines.h"

namespace {

// Chinese and Japanese characters, which may be broken between.
bool IsIdeographic(char16_t c) {
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFF00 && c <= 0xFFEF);
}

// Punctuation that never starts a line.
bool ClosesText(char16_t c) {
    static const std::u16string closing = u"\u3001\u3002\uFF0C\uFF0E\uFF09\u300D\u300F\uFF01"
                                          u"\uFF1F\uFF1A\uFF1B.,;:!?)";
    return closing.find(c) != std::u16string::npos;
}

// The text cut into pieces that may stand at a line's end: a piece ends with
// its spaces, or after an ideograph.
std::vector<std::u16string> Pieces(const std::u16string& text) {
    std::vector<std::u16string> pieces;
    std::u16string piece;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        piece += c;
        const char16_t next = i + 1 < text.size() ? text[i + 1] : u'\0';
        const bool breakAfter =
            next != u'\0' &&
            ((c == u' ' && next != u' ') ||
             ((IsIdeographic(c) || IsIdeographic(next)) && next != u' ' && !ClosesText(next)));
        if (breakAfter) {
            pieces.push_back(piece);
            piece.clear();
        }
    }
    if (!piece.empty()) {
        pieces.push_back(piece);
    }
    return pieces;
}

std::u16string TrimEnd(std::u16string text) {
    while (!text.empty() && text.back() == u' ') {
        text.pop_back();
    }
    return text;
}

} // namespace

std::vector<std::u16string> BreakIntoLines(const std::u16string& text, int maxWidth,
                                           const std::function<int(const std::u16string&)>& width) {
    std::vector<std::u16string> lines;
    std::u16string line;
    for (const std::u16string& piece : Pieces(text)) {
        if (width(TrimEnd(line + piece)) <= maxWidth) {
            line += piece;
            continue;
        }
        if (!TrimEnd(line).empty()) {
            lines.push_back(TrimEnd(line));
        }
        line.clear();
        // A piece wider than a whole line is cut character by character.
        for (char16_t c : piece) {
            if (!line.empty() && width(TrimEnd(line + c)) > maxWidth) {
                lines.push_back(TrimEnd(line));
                line.clear();
            }
            if (!(line.empty() && c == u' ')) {
                line += c;
            }
        }
    }
    if (!TrimEnd(line).empty()) {
        lines.push_back(TrimEnd(line));
    }
    return lines;
}
