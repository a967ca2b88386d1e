#include "ui/Render.h"

#include "ui/GdiOwners.h"
#include "ui/ImageDescription.h"
#include "ui/ImageSlicing.h"
#include "ui/PixelConversion.h"
#include "ui/ResourceCache.h"
#include "ui/WinGeometry.h"

namespace Ui {

namespace {

using AlphaBlendFunction = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int,
                                         BLENDFUNCTION);

AlphaBlendFunction AlphaBlendEntry() {
    static AlphaBlendFunction entry = [] {
        HMODULE module = ::LoadLibraryA("msimg32.dll");
        return module != nullptr
                   ? reinterpret_cast<AlphaBlendFunction>(::GetProcAddress(module, "AlphaBlend"))
                   : nullptr;
    }();
    return entry;
}

void CopyPiece(HDC target, HDC source, const UiRect& from, const UiRect& to, bool blend,
               BYTE fade) {
    if (from.empty() || to.empty()) {
        return;
    }
    if (blend) {
        AlphaBlendFunction alphaBlend = AlphaBlendEntry();
        if (alphaBlend != nullptr) {
            BLENDFUNCTION function{AC_SRC_OVER, 0, fade, AC_SRC_ALPHA};
            alphaBlend(target, to.left, to.top, to.width(), to.height(), source, from.left,
                       from.top, from.width(), from.height(), function);
            return;
        }
    }
    if (from.width() == to.width() && from.height() == to.height()) {
        ::BitBlt(target, to.left, to.top, to.width(), to.height(), source, from.left, from.top,
                 SRCCOPY);
    } else {
        int oldMode = ::SetStretchBltMode(target, COLORONCOLOR);
        ::StretchBlt(target, to.left, to.top, to.width(), to.height(), source, from.left, from.top,
                     from.width(), from.height(), SRCCOPY);
        ::SetStretchBltMode(target, oldMode);
    }
}

COLORREF ToColorRef(DWORD argb) {
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

} // namespace

CRender::ClipScope::ClipScope(HDC hdc, const RECT& rect, SIZE round)
    : m_hdc(hdc), m_saved(::SaveDC(hdc)) {
    if (round.cx > 0 || round.cy > 0) {
        UniqueRegion region(::CreateRoundRectRgn(rect.left, rect.top, rect.right + 1,
                                                 rect.bottom + 1, round.cx, round.cy));
        ::ExtSelectClipRgn(hdc, region, RGN_AND);
    } else {
        ::IntersectClipRect(hdc, rect.left, rect.top, rect.right, rect.bottom);
    }
}

CRender::ClipScope::~ClipScope() {
    ::RestoreDC(m_hdc, m_saved);
}

bool CRender::DrawImage(HDC hdc, CResourceCache* resources, const RECT& control, const RECT& paint,
                        const char* text) {
    if (resources == nullptr || text == nullptr || *text == '\0') {
        return false;
    }
    ImageDescription description = ParseImageDescription(text);
    if (description.file.IsEmpty()) {
        return false;
    }
    const TImageInfo* image =
        description.isColor
            ? resources->GetImageEx(description.file, "*COLOR*")
            : resources->GetImageEx(description.file,
                                    description.resType.IsEmpty() ? nullptr
                                                                  : description.resType.GetData(),
                                    description.hasMask ? description.mask : 0);
    if (image == nullptr || image->bitmap == nullptr) {
        return false;
    }
    UiRect controlRect = ToUiRect(control);
    UiRect dest = ImageDestRect(controlRect, description);
    UiRect clip = IntersectRect(controlRect, ToUiRect(paint));
    if (dest.empty() || clip.empty()) {
        return true;
    }
    UiRect source = ImageSourceRect(description, image->width, image->height);
    bool blend = image->alpha || description.fade < 255;
    MemoryDC selected(hdc, image->bitmap);
    for (const ImagePiece& piece : SliceImage(dest, source, description)) {
        ForEachTile(piece, clip, [&](const UiRect& from, const UiRect& to) {
            CopyPiece(hdc, selected.Get(), from, to, blend, description.fade);
        });
    }
    return true;
}

void CRender::FillColor(HDC hdc, const RECT& rect, DWORD color) {
    if (::IsRectEmpty(&rect)) {
        return;
    }
    BYTE alpha = static_cast<BYTE>(color >> 24);
    if (alpha == 255) {
        UniqueBrush brush(::CreateSolidBrush(ToColorRef(color)));
        ::FillRect(hdc, &rect, brush);
        return;
    }
    if (alpha == 0) {
        return;
    }
    // One premultiplied pixel stretched over the rectangle.
    uint8_t rgba[4] = {static_cast<uint8_t>(color >> 16), static_cast<uint8_t>(color >> 8),
                       static_cast<uint8_t>(color), alpha};
    ConvertedPixels pixel;
    if (!ConvertRgbaToPremultipliedBgra(rgba, 1, 1, 0, pixel)) {
        return;
    }
    std::unique_ptr<TImageInfo> image = MakeImageBitmap(pixel.pixels.data(), 1, 1, true, 0);
    if (!image) {
        return;
    }
    MemoryDC selected(hdc, image->bitmap);
    CopyPiece(hdc, selected.Get(), UiRect{0, 0, 1, 1}, ToUiRect(rect), true, 255);
}

void CRender::DrawBorder(HDC hdc, const RECT& rect, const RECT& widths, DWORD color) {
    FillColor(hdc, RECT{rect.left, rect.top, rect.left + widths.left, rect.bottom}, color);
    FillColor(hdc, RECT{rect.left, rect.top, rect.right, rect.top + widths.top}, color);
    FillColor(hdc, RECT{rect.right - widths.right, rect.top, rect.right, rect.bottom}, color);
    FillColor(hdc, RECT{rect.left, rect.bottom - widths.bottom, rect.right, rect.bottom}, color);
}

void CRender::DrawRoundRect(HDC hdc, const RECT& rect, int width, SIZE round, DWORD color) {
    if (width <= 0) {
        width = 1;
    }
    UniquePen pen(::CreatePen(PS_SOLID, width, ToColorRef(color)));
    SelectedObject penSelected(hdc, pen);
    SelectedObject brushSelected(hdc, ::GetStockObject(NULL_BRUSH));
    ::RoundRect(hdc, rect.left, rect.top, rect.right, rect.bottom, round.cx, round.cy);
}

void CRender::DrawText(HDC hdc, CResourceCache* resources, RECT rect, const char* text, DWORD color,
                       int font, UINT style) {
    if (text == nullptr || *text == '\0' || resources == nullptr) {
        return;
    }
    ::SetBkMode(hdc, TRANSPARENT);
    ::SetTextColor(hdc, ToColorRef(color));
    HGDIOBJ old = ::SelectObject(hdc, resources->GetFont(font));
    ::DrawTextA(hdc, text, -1, &rect, style | DT_NOPREFIX);
    ::SelectObject(hdc, old);
}

SIZE CRender::MeasureText(HDC hdc, CResourceCache* resources, RECT rect, const char* text, int font,
                          UINT style) {
    if (text == nullptr || *text == '\0' || resources == nullptr) {
        return SIZE{};
    }
    HGDIOBJ old = ::SelectObject(hdc, resources->GetFont(font));
    ::DrawTextA(hdc, text, -1, &rect, style | DT_CALCRECT | DT_NOPREFIX);
    ::SelectObject(hdc, old);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

} // namespace Ui
