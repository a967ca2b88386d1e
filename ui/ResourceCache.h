// CResourceCache: what a window draws with: the skin's fonts, images and
// default attribute lists, each backed by a process-wide table for the
// entries the skin marks shared; and the module the program runs from, whose
// resources (the skin archive, images of a resource type) are read here.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <vector>

#include "ui/GdiOwners.h"
#include "ui/ImageBitmap.h"
#include "ui/UiString.h"

namespace Ui {

// A font of the skin's font table.
struct TFontInfo {
    UniqueFont font;
    CUiString faceName;
    int size = 0;
    bool bold = false;
    bool underline = false;
    bool italic = false;
    TEXTMETRICA metrics{};
};

class CResourceCache {
public:
    CResourceCache();
    ~CResourceCache();
    CResourceCache(const CResourceCache&) = delete;
    CResourceCache& operator=(const CResourceCache&) = delete;

    // The program's module: window classes, icons and resources come from it.
    static void SetInstance(HINSTANCE instance);
    static HINSTANCE GetInstance();
    // The module's folder with a trailing backslash.
    static CUiString GetInstancePath();
    static void SetResourcePath(const char* path);
    static const char* GetResourcePath();
    static HINSTANCE GetResourceDll();
    static void SetResourceZip(const void* data, unsigned int size);
    // Copies a resource of the resource module; false when absent or empty.
    static bool ReadModuleResource(const char* name, const char* type,
                                   std::vector<unsigned char>& bytes);

    // The device context fonts are measured in (the window's); null measures nothing.
    void SetMeasureDC(HDC dc) { m_measureDC = dc; }

    // Fonts: ids are kept as decimal text; -1 or an unknown id means the default font.
    HFONT AddFont(int id, const char* faceName, int size, bool bold, bool underline, bool italic,
                  bool shared);
    void SetDefaultFont(const char* faceName, int size, bool bold, bool underline, bool italic,
                        bool shared);
    HFONT GetFont(int id);
    const TFontInfo* GetFontInfo(int id);
    const TFontInfo* GetDefaultFontInfo();
    // Ids of the fonts this window can draw with: its own and the shared ones.
    std::vector<int> GetFontIds() const;

    // Images: loaded on first use and cached (shared ones process-wide).
    // name: file name (archive, disk, then the current folder), a resource
    // name when `type` is given, or colour text when `type` is "*COLOR*".
    const TImageInfo* GetImage(const char* name);
    const TImageInfo* GetImageEx(const char* name, const char* type = nullptr, DWORD mask = 0,
                                 bool shared = false);
    const TImageInfo* AddImage(const char* name, const char* type, DWORD mask, bool shared);

    // Default attribute lists by element name (shared ones process-wide).
    void AddDefaultAttributeList(const char* controlName, const char* list, bool shared);
    const char* GetDefaultAttributeList(const char* controlName) const;

private:
    TFontInfo MakeFont(const char* faceName, int size, bool bold, bool underline,
                       bool italic) const;
    void ReleaseFonts();

    HDC m_measureDC = nullptr;
    std::map<CUiString, TFontInfo> m_fonts;
    TFontInfo m_defaultFont;
    std::map<CUiString, std::unique_ptr<TImageInfo>> m_images;
    std::map<CUiString, CUiString> m_defaultAttributes;
};

} // namespace Ui
