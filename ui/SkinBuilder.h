// CSkinBuilder: turns a skin document into a control tree bound to a
// window's paint manager. ISkinBuilderCallback creates the program's own
// controls for elements the framework does not know.
#pragma once

#include <windows.h>

#include "ui/XmlDocument.h"

namespace Ui {

class CControlUI;
class CPaintManager;

class ISkinBuilderCallback {
public:
    virtual CControlUI* CreateControl(const char* className) = 0;

protected:
    ~ISkinBuilderCallback() = default;
};

class CSkinBuilder {
public:
    // `skin` is a file name (archive or disk), or the markup itself when it
    // starts with '<'. With a `type`, `skin` names a resource of that type.
    // Returns the first top-level control, or null.
    CControlUI* Create(const char* skin, const char* type = nullptr,
                       ISkinBuilderCallback* callback = nullptr, CPaintManager* manager = nullptr,
                       CControlUI* parent = nullptr);
    // Builds from the document that is already loaded.
    CControlUI* Create(ISkinBuilderCallback* callback = nullptr, CPaintManager* manager = nullptr,
                       CControlUI* parent = nullptr);

    CXmlDocument* GetMarkup() { return &m_xml; }
    const char* GetLastErrorMessage() const { return m_xml.GetLastErrorMessage(); }
    const char* GetLastErrorLocation() const { return m_xml.GetLastErrorLocation(); }

private:
    bool LoadDocument(const char* skin, const char* type);
    void ReadWindowResources(CXmlNode root, CPaintManager* manager);
    CControlUI* Parse(CXmlNode node, CControlUI* parent, CPaintManager* manager);
    CControlUI* CreateElement(const char* name);

    CXmlDocument m_xml;
    ISkinBuilderCallback* m_callback = nullptr;
};

} // namespace Ui
