#include "ui/SkinBuilder.h"

#include <mbstring.h>

#include <cstring>
#include <vector>

#include "ui/AttributeValues.h"
#include "ui/ContainerUI.h"
#include "ui/ControlFactory.h"
#include "ui/ControlUI.h"
#include "ui/PaintManager.h"

namespace Ui {

namespace {

bool IsNamed(const char* name, const char* wanted) {
    return _mbsicmp(reinterpret_cast<const unsigned char*>(name),
                    reinterpret_cast<const unsigned char*>(wanted)) == 0;
}

bool IsResourceElement(const char* name) {
    return IsNamed(name, "Font") || IsNamed(name, "Default") || IsNamed(name, "Image") ||
           IsNamed(name, "MultiLanguage");
}

const char* AttributeOr(CXmlNode node, const char* name, const char* fallback) {
    const char* value = node.GetAttributeValue(name);
    return value != nullptr ? value : fallback;
}

void ApplyAttributeList(CControlUI* control, const char* list) {
    for (const auto& attribute : ParseAttributeList(list)) {
        control->SetAttribute(attribute.first, attribute.second);
    }
}

} // namespace

CControlUI* CSkinBuilder::Create(const char* skin, const char* type, ISkinBuilderCallback* callback,
                                 CPaintManager* manager, CControlUI* parent) {
    if (!LoadDocument(skin, type)) {
        return nullptr;
    }
    return Create(callback, manager, parent);
}

bool CSkinBuilder::LoadDocument(const char* skin, const char* type) {
    if (skin == nullptr) {
        return false;
    }
    if (type != nullptr && *type != '\0') {
        std::vector<unsigned char> bytes;
        return CResourceCache::ReadModuleResource(skin, type, bytes) &&
               m_xml.LoadFromMem(bytes.data(), bytes.size());
    }
    if (*skin == '<') {
        return m_xml.Load(skin);
    }
    return m_xml.LoadFromFile(skin);
}

CControlUI* CSkinBuilder::Create(ISkinBuilderCallback* callback, CPaintManager* manager,
                                 CControlUI* parent) {
    m_callback = callback;
    CXmlNode root = m_xml.GetRoot();
    if (!root.IsValid()) {
        return nullptr;
    }
    if (manager != nullptr) {
        ReadWindowResources(root, manager);
        if (IsNamed(root.GetName(), "Window") && manager->GetPaintWindow() != nullptr) {
            for (int i = 0; i < root.GetAttributeCount(); ++i) {
                manager->SetWindowAttribute(root.GetAttributeName(i), root.GetAttributeValue(i));
            }
        }
    }
    return Parse(root, parent, manager);
}

void CSkinBuilder::ReadWindowResources(CXmlNode root, CPaintManager* manager) {
    for (CXmlNode node = root.GetChild(); node.IsValid(); node = node.GetSibling()) {
        const char* name = node.GetName();
        if (IsNamed(name, "Font")) {
            int id = ParseInt(AttributeOr(node, "id", "-1"));
            if (id < 0) {
                continue;
            }
            const char* face = AttributeOr(node, "name", "");
            int size = ParseInt(AttributeOr(node, "size", "12"));
            bool bold = ParseBool(AttributeOr(node, "bold", ""));
            bool underline = ParseBool(AttributeOr(node, "underline", ""));
            bool italic = ParseBool(AttributeOr(node, "italic", ""));
            bool shared = ParseBool(AttributeOr(node, "shared", ""));
            // Face names longer than a LOGFONT holds are cut to 31 characters.
            char faceName[LF_FACESIZE] = {};
            std::strncpy(faceName, face, LF_FACESIZE - 1);
            manager->GetResources().AddFont(id, faceName, size, bold, underline, italic, shared);
            if (ParseBool(AttributeOr(node, "default", ""))) {
                manager->GetResources().SetDefaultFont(faceName, size, bold, underline, italic,
                                                       shared);
            }
        } else if (IsNamed(name, "Default")) {
            const char* control = node.GetAttributeValue("name");
            const char* value = node.GetAttributeValue("value");
            if (control != nullptr && value != nullptr) {
                manager->GetResources().AddDefaultAttributeList(
                    control, value, ParseBool(AttributeOr(node, "shared", "")));
            }
        } else if (IsNamed(name, "Image")) {
            const char* image = node.GetAttributeValue("name");
            if (image != nullptr) {
                const char* type = node.GetAttributeValue("restype");
                DWORD mask = ParseColor(AttributeOr(node, "mask", "0"));
                manager->GetResources().AddImage(image, type, mask,
                                                 ParseBool(AttributeOr(node, "shared", "")));
            }
        }
    }
}

CControlUI* CSkinBuilder::CreateElement(const char* name) {
    if (CControlUI* control = CreateBuiltinControl(name)) {
        return control;
    }
    if (CControlUI* control = CreateRegisteredControl(name)) {
        return control;
    }
    return m_callback != nullptr ? m_callback->CreateControl(name) : nullptr;
}

CControlUI* CSkinBuilder::Parse(CXmlNode node, CControlUI* parent, CPaintManager* manager) {
    CControlUI* first = nullptr;
    for (CXmlNode child = node.GetChild(); child.IsValid(); child = child.GetSibling()) {
        const char* name = child.GetName();
        if (IsResourceElement(name)) {
            continue;
        }
        CControlUI* control = CreateElement(name);
        if (control == nullptr) {
            continue; // nobody knows the element: it and its subtree are skipped
        }
        if (child.HasChildren()) {
            Parse(child, control, manager);
        }
        if (parent != nullptr) {
            auto* container = static_cast<IContainerUI*>(parent->GetInterface("IContainer"));
            const char* cover = child.GetAttributeValue("cover");
            if (cover != nullptr && std::strcmp(cover, "true") == 0 && container != nullptr) {
                static_cast<CContainerUI*>(parent->GetInterface("Container"))->SetCover(control);
            } else if (container == nullptr || !container->Add(control)) {
                delete control;
                continue;
            }
        }
        if (manager != nullptr) {
            control->SetManager(manager, parent, false);
            if (const char* defaults = manager->GetResources().GetDefaultAttributeList(name)) {
                ApplyAttributeList(control, defaults);
            }
        }
        for (int i = 0; i < child.GetAttributeCount(); ++i) {
            control->SetAttribute(child.GetAttributeName(i), child.GetAttributeValue(i));
        }
        if (manager != nullptr) {
            control->SetManager(nullptr, parent, false);
        }
        if (first == nullptr) {
            first = control;
        }
    }
    return first;
}

} // namespace Ui
