#include "preview/PreviewMessage.h"

#include <algorithm>
#include <vector>

#include "preview/MessageLines.h"
#include "ui/GdiOwners.h"
#include "ui/TextEncoding.h"

namespace {

struct Message {
    HWND window = nullptr;
    std::string text;
    std::wstring wide;
    std::string faceName;
};

// One preview window per process; the words live as long as the process.
Message& Shown() {
    static Message message;
    return message;
}

std::u16string ToU16(const std::wstring& text) {
    return std::u16string(text.begin(), text.end());
}
std::wstring FromU16(const std::u16string& text) {
    return std::wstring(text.begin(), text.end());
}

// A font of the skin's face whose letters are `pixels` high (the em height).
HFONT MakeFont(const std::string& faceName, int pixels) {
    return ::CreateFontA(-pixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                         DEFAULT_PITCH | FF_SWISS, faceName.empty() ? nullptr : faceName.c_str());
}

struct Layout {
    int pixels = 0;
    int lineHeight = 0;
    std::vector<std::u16string> lines;
};

// The largest letters, from a size that reads well down to the smallest
// allowed, whose lines fit the area; at the smallest size the lines are
// kept even when they do not all fit (the last ones are then left out).
Layout FitText(HDC dc, const Message& message, int areaWidth, int areaHeight) {
    Layout layout;
    for (int pixels = 26; pixels >= kSmallestFontPx; pixels -= 2) {
        Ui::UniqueFont font(MakeFont(message.faceName, pixels));
        HGDIOBJ old = ::SelectObject(dc, font);
        TEXTMETRICW metrics{};
        ::GetTextMetricsW(dc, &metrics);
        auto width = [dc](const std::u16string& text) {
            SIZE size{};
            const std::wstring wide = FromU16(text);
            ::GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
            return static_cast<int>(size.cx);
        };
        layout.pixels = pixels;
        layout.lineHeight = metrics.tmHeight + metrics.tmExternalLeading;
        layout.lines = BreakIntoLines(ToU16(message.wide), areaWidth, width);
        ::SelectObject(dc, old);
        if (static_cast<int>(layout.lines.size()) * layout.lineHeight <= areaHeight) {
            break;
        }
    }
    return layout;
}

} // namespace

void SetPreviewMessage(HWND window, const std::string& text, const std::string& faceName) {
    Message& message = Shown();
    if (message.window == window && message.text == text && message.faceName == faceName) {
        return;
    }
    message.window = window;
    message.text = text;
    message.wide = Ui::AnsiToWide(text);
    message.faceName = faceName;
    if (window != nullptr) {
        ::InvalidateRect(window, nullptr, TRUE);
    }
}

std::string PreviewMessageText(HWND window) {
    const Message& message = Shown();
    return message.window == window ? message.text : std::string();
}

bool PaintPreviewMessage(HWND window) {
    const Message& message = Shown();
    if (message.window != window || message.wide.empty()) {
        return false;
    }
    PAINTSTRUCT paint{};
    HDC dc = ::BeginPaint(window, &paint);
    RECT client{};
    ::GetClientRect(window, &client);
    ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    const int margin = std::max(4, static_cast<int>(client.right - client.left) / 24);
    const int areaWidth = client.right - client.left - 2 * margin;
    const int areaHeight = client.bottom - client.top - 2 * margin;
    if (areaWidth > 0 && areaHeight > 0) {
        const Layout layout = FitText(dc, message, areaWidth, areaHeight);
        Ui::UniqueFont font(MakeFont(message.faceName, layout.pixels));
        HGDIOBJ old = ::SelectObject(dc, font);
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, RGB(255, 255, 255));
        const int shown = std::min(static_cast<int>(layout.lines.size()),
                                   std::max(1, areaHeight / std::max(1, layout.lineHeight)));
        int top = client.top + margin + (areaHeight - shown * layout.lineHeight) / 2;
        for (int i = 0; i < shown; ++i) {
            const std::wstring line = FromU16(layout.lines[static_cast<std::size_t>(i)]);
            RECT row{client.left + margin, top, client.right - margin, top + layout.lineHeight};
            ::DrawTextW(dc, line.c_str(), static_cast<int>(line.size()), &row,
                        DT_CENTER | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
            top += layout.lineHeight;
        }
        ::SelectObject(dc, old);
    }
    ::EndPaint(window, &paint);
    return true;
}
