#include "ui/ResourceCache.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "ui/AttributeValues.h"
#include "ui/ImageDecoder.h"
#include "ui/PixelConversion.h"
#include "ui/ResourceArchive.h"

namespace Ui {

namespace {

// Images may be larger than skin documents.
constexpr std::size_t kMaxImageFileSize = 64u * 1024u * 1024u;

HINSTANCE& Instance() {
    static HINSTANCE instance = nullptr;
    return instance;
}

std::map<CUiString, TFontInfo>& SharedFonts() {
    static std::map<CUiString, TFontInfo> fonts;
    return fonts;
}

std::map<CUiString, std::unique_ptr<TImageInfo>>& SharedImages() {
    static std::map<CUiString, std::unique_ptr<TImageInfo>> images;
    return images;
}

std::map<CUiString, CUiString>& SharedDefaultAttributes() {
    static std::map<CUiString, CUiString> lists;
    return lists;
}

CUiString FontKey(int id) {
    CUiString key;
    key.Format("%d", id);
    return key;
}

bool ReadWholeFile(const char* path, std::vector<unsigned char>& bytes) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return false;
    }
    bytes.clear();
    unsigned char chunk[8192];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        if (bytes.size() + got > kMaxImageFileSize) {
            std::fclose(file);
            return false;
        }
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    std::fclose(file);
    return !bytes.empty();
}

std::unique_ptr<TImageInfo> LoadImageBitmap(const char* name, const char* type, DWORD mask) {
    if (name == nullptr || *name == '\0') {
        return nullptr;
    }
    if (type != nullptr && std::strcmp(type, "*COLOR*") == 0) {
        uint32_t color = ParseColor(name);
        uint8_t rgba[4] = {static_cast<uint8_t>(color >> 16), static_cast<uint8_t>(color >> 8),
                           static_cast<uint8_t>(color), static_cast<uint8_t>(color >> 24)};
        ConvertedPixels pixel;
        if (!ConvertRgbaToPremultipliedBgra(rgba, 1, 1, 0, pixel)) {
            return nullptr;
        }
        return MakeImageBitmap(pixel.pixels.data(), 1, 1, pixel.hasTransparency, 0);
    }

    std::vector<unsigned char> bytes;
    bool found = false;
    if (type != nullptr && *type != '\0') {
        found = CResourceCache::ReadModuleResource(name, type, bytes);
    } else {
        found = ReadResourceFile(name, bytes, nullptr, kMaxImageFileSize);
    }
    if (!found) {
        found = ReadWholeFile(name, bytes);
    }
    if (!found) {
        return nullptr;
    }

    std::vector<uint8_t> rgba;
    int width = 0;
    int height = 0;
    if (!DecodeImage(bytes.data(), bytes.size(), rgba, width, height)) {
        return nullptr;
    }
    ConvertedPixels converted;
    if (!ConvertRgbaToPremultipliedBgra(rgba.data(), width, height, mask, converted)) {
        return nullptr;
    }
    return MakeImageBitmap(converted.pixels.data(), width, height, converted.hasTransparency, mask);
}

} // namespace

CResourceCache::CResourceCache() {
    LOGFONTA lf{};
    ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    m_defaultFont.faceName = lf.lfFaceName;
    m_defaultFont.size = -lf.lfHeight;
}

CResourceCache::~CResourceCache() {
    ReleaseFonts();
}

// --- the module ------------------------------------------------------------

void CResourceCache::SetInstance(HINSTANCE instance) {
    Instance() = instance;
}

HINSTANCE CResourceCache::GetInstance() {
    return Instance();
}

CUiString CResourceCache::GetInstancePath() {
    char path[MAX_PATH + 1] = {};
    ::GetModuleFileNameA(Instance(), path, MAX_PATH);
    char* slash = std::strrchr(path, '\\');
    if (slash != nullptr) {
        slash[1] = '\0';
    }
    return CUiString(path);
}

void CResourceCache::SetResourcePath(const char* path) {
    Ui::SetResourcePath(path);
}

const char* CResourceCache::GetResourcePath() {
    return Ui::GetResourcePath();
}

HINSTANCE CResourceCache::GetResourceDll() {
    return Instance();
}

void CResourceCache::SetResourceZip(const void* data, unsigned int size) {
    Ui::SetResourceZip(data, size);
}

bool CResourceCache::ReadModuleResource(const char* name, const char* type,
                                        std::vector<unsigned char>& bytes) {
    HINSTANCE module = GetResourceDll();
    HRSRC resource = ::FindResourceA(module, name, type);
    if (resource == nullptr) {
        return false;
    }
    HGLOBAL loaded = ::LoadResource(module, resource);
    DWORD size = ::SizeofResource(module, resource);
    const void* data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    if (data == nullptr || size == 0) {
        return false;
    }
    const auto* begin = static_cast<const unsigned char*>(data);
    bytes.assign(begin, begin + size);
    return true;
}

// --- fonts -----------------------------------------------------------------

TFontInfo CResourceCache::MakeFont(const char* faceName, int size, bool bold, bool underline,
                                   bool italic) const {
    HDC dc = m_measureDC;
    LOGFONTA lf{};
    ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    std::snprintf(lf.lfFaceName, sizeof lf.lfFaceName, "%s", faceName != nullptr ? faceName : "");
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfHeight = -size;
    if (bold) {
        lf.lfWeight = std::min<LONG>(lf.lfWeight + FW_BOLD, FW_HEAVY);
    }
    lf.lfUnderline = underline ? TRUE : FALSE;
    lf.lfItalic = italic ? TRUE : FALSE;

    TFontInfo info;
    info.font.Reset(::CreateFontIndirectA(&lf));
    info.faceName = lf.lfFaceName;
    info.size = size;
    info.bold = bold;
    info.underline = underline;
    info.italic = italic;
    if (info.font != nullptr && dc != nullptr) {
        HGDIOBJ old = ::SelectObject(dc, info.font);
        ::GetTextMetricsA(dc, &info.metrics);
        ::SelectObject(dc, old);
    }
    return info;
}

HFONT CResourceCache::AddFont(int id, const char* faceName, int size, bool bold, bool underline,
                              bool italic, bool shared) {
    TFontInfo info = MakeFont(faceName, size, bold, underline, italic);
    const HFONT font = info.font;
    if (font == nullptr) {
        return nullptr;
    }
    auto& table = shared ? SharedFonts() : m_fonts;
    table[FontKey(id)] = std::move(info);
    return font;
}

void CResourceCache::SetDefaultFont(const char* faceName, int size, bool bold, bool underline,
                                    bool italic, bool) {
    TFontInfo info = MakeFont(faceName, size, bold, underline, italic);
    if (info.font == nullptr) {
        return;
    }
    m_defaultFont = std::move(info);
}

const TFontInfo* CResourceCache::GetDefaultFontInfo() {
    if (m_defaultFont.font == nullptr) {
        m_defaultFont = MakeFont(m_defaultFont.faceName, m_defaultFont.size, false, false, false);
    }
    return &m_defaultFont;
}

const TFontInfo* CResourceCache::GetFontInfo(int id) {
    if (id >= 0) {
        CUiString key = FontKey(id);
        auto found = m_fonts.find(key);
        if (found != m_fonts.end()) {
            return &found->second;
        }
        found = SharedFonts().find(key);
        if (found != SharedFonts().end()) {
            return &found->second;
        }
    }
    return GetDefaultFontInfo();
}

std::vector<int> CResourceCache::GetFontIds() const {
    std::vector<int> ids;
    for (const auto& entry : m_fonts) {
        ids.push_back(std::atoi(entry.first.GetData()));
    }
    for (const auto& entry : SharedFonts()) {
        // An own font of the same id is the one drawn with.
        if (m_fonts.count(entry.first) == 0) {
            ids.push_back(std::atoi(entry.first.GetData()));
        }
    }
    return ids;
}

HFONT CResourceCache::GetFont(int id) {
    return GetFontInfo(id)->font;
}

void CResourceCache::ReleaseFonts() {
    m_fonts.clear();
    m_defaultFont.font.Reset();
}

// --- images ----------------------------------------------------------------

const TImageInfo* CResourceCache::GetImage(const char* name) {
    auto found = m_images.find(CUiString(name));
    if (found != m_images.end()) {
        return found->second.get();
    }
    found = SharedImages().find(CUiString(name));
    return found == SharedImages().end() ? nullptr : found->second.get();
}

const TImageInfo* CResourceCache::GetImageEx(const char* name, const char* type, DWORD mask,
                                             bool shared) {
    if (const TImageInfo* image = GetImage(name)) {
        return image;
    }
    return AddImage(name, type, mask, shared);
}

const TImageInfo* CResourceCache::AddImage(const char* name, const char* type, DWORD mask,
                                           bool shared) {
    if (name == nullptr || *name == '\0') {
        return nullptr;
    }
    std::unique_ptr<TImageInfo> image = LoadImageBitmap(name, type, mask);
    if (!image) {
        return nullptr;
    }
    auto& table = shared ? SharedImages() : m_images;
    TImageInfo* result = image.get();
    table[CUiString(name)] = std::move(image);
    return result;
}

// --- default attribute lists -----------------------------------------------

void CResourceCache::AddDefaultAttributeList(const char* controlName, const char* list,
                                             bool shared) {
    (shared ? SharedDefaultAttributes() : m_defaultAttributes)[CUiString(controlName)] = list;
}

const char* CResourceCache::GetDefaultAttributeList(const char* controlName) const {
    auto found = m_defaultAttributes.find(CUiString(controlName));
    if (found != m_defaultAttributes.end()) {
        return found->second.GetData();
    }
    found = SharedDefaultAttributes().find(CUiString(controlName));
    return found == SharedDefaultAttributes().end() ? nullptr : found->second.GetData();
}

} // namespace Ui
