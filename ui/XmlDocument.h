// CXmlDocument: the small XML reader behind skin documents.
//
// It reads what skins need: elements, double-quoted attributes, text with the five predefined
// entities, and skips "<?...?>" declarations and "<!...->" comments. Whitespace in values and
// text is kept as written. The parsed tree is stored flat inside the document, and CXmlNode
// is a cheap handle into it: a node is only usable while its document lives and is not
// reloaded or released.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "ui/UiString.h"

namespace Ui {

class CXmlDocument;
class ResourceSource;
ResourceSource& ProcessResources();

// How a parsed document is stored; only CXmlDocument and CXmlNode use these.
namespace XmlDetail {

struct XmlElement {
    std::size_t name; // offsets into the document's strings
    std::size_t value;
    int parent;
    int firstChild;
    int nextSibling;
    std::size_t firstAttribute; // an element's attributes are contiguous
    std::size_t attributeCount;
};

struct XmlAttribute {
    std::size_t name;
    std::size_t value;
};

// An element whose end tag has not been read yet.
struct OpenElement {
    int element;
    int lastChild;
    std::string value; // the element's text, gathered from between its children
};

} // namespace XmlDetail

class CXmlNode {
public:
    CXmlNode();

    bool IsValid() const;
    CXmlNode GetParent() const;
    CXmlNode GetChild() const;                 // first child element
    CXmlNode GetChild(const char* name) const; // first child element with exactly this name
    CXmlNode GetSibling() const;               // next sibling element
    bool HasChildren() const;

    const char* GetName() const;  // "" when invalid
    const char* GetValue() const; // the element's own text, entities decoded; "" when invalid

    bool HasAttributes() const;
    int GetAttributeCount() const;
    const char* GetAttributeName(int index) const;         // null when out of range
    const char* GetAttributeValue(int index) const;        // null when out of range
    const char* GetAttributeValue(const char* name) const; // exact name; null when absent

private:
    friend class CXmlDocument;
    CXmlNode(const CXmlDocument* document, int index);
    const XmlDetail::XmlElement* Element() const;

    const CXmlDocument* m_document;
    int m_index;
};

class CXmlDocument {
public:
    // Deepest nesting of elements that is read. Consumers walk the tree recursively, so a
    // hostile document must not be able to make that recursion arbitrarily deep.
    static constexpr std::size_t kMaxDepth = 256;

    CXmlDocument();
    CXmlDocument(const CXmlDocument&) = delete;
    CXmlDocument& operator=(const CXmlDocument&) = delete;

    // Parses text already in the ANSI code page. On an error the document is left empty and
    // GetLastErrorMessage tells why.
    bool Load(const char* ansiText);
    // Skips a byte-order mark EF BB BF, converts the UTF-8 to ANSI and parses.
    bool LoadFromMem(const unsigned char* utf8, std::size_t size);
    // Reads the resource file (archive or disk) of the source and parses it as UTF-8.
    bool LoadFromFile(const char* name, const ResourceSource& source = ProcessResources());
    void Release();

    CXmlNode GetRoot() const; // first top-level element; invalid when nothing is loaded
    const char* GetLastErrorMessage() const;
    const char* GetLastErrorLocation() const; // excerpt of the text where reading stopped

private:
    friend class CXmlNode;

    bool Parse(const char* text);
    // Each reads from the '<' of its tag and answers the position after it, or null after
    // Fail.
    const char* ParseEndTag(const char* p, std::vector<XmlDetail::OpenElement>& open);
    const char* ParseStartTag(const char* p, std::vector<XmlDetail::OpenElement>& open,
                              int& lastTopLevel);
    const char* ParseAttributes(const char* p, XmlDetail::XmlElement& element);
    bool Fail(const char* message, const char* location);
    std::size_t AddString(const char* text, std::size_t length);

    std::vector<char> m_strings; // every name and value, each ending in '\0'
    std::vector<XmlDetail::XmlElement> m_elements;
    std::vector<XmlDetail::XmlAttribute> m_attributes;
    CUiString m_errorMessage;
    CUiString m_errorLocation;
};

} // namespace Ui
