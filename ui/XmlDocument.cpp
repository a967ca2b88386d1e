#include "ui/XmlDocument.h"

#include <cstring>
#include <string>

#include "ui/ResourceArchive.h"
#include "ui/TextEncoding.h"

namespace Ui {

using XmlDetail::OpenElement;
using XmlDetail::XmlAttribute;
using XmlDetail::XmlElement;

namespace {

// Longest excerpt of the text kept as the error location.
constexpr std::size_t kErrorExcerptLength = 40;

// Every control character counts as a blank; bytes above 0x7F are text (ANSI letters).
bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

const char* SkipBlanks(const char* p) {
    while (*p != '\0' && IsBlank(*p)) {
        ++p;
    }
    return p;
}

// Position just after the next `terminator`, or the end of the text when there is none.
const char* SkipPast(const char* p, const char* terminator) {
    const char* found = std::strstr(p, terminator);
    return found != nullptr ? found + std::strlen(terminator) : p + std::strlen(p);
}

// Appends [begin, end) to `out`, replacing the five predefined entities. Any other '&' is kept
// literally together with the text after it.
void AppendDecoded(std::string& out, const char* begin, const char* end) {
    static const struct {
        const char* name;
        std::size_t length;
        char replacement;
    } kEntities[] = {
        {"&amp;", 5, '&'},  {"&lt;", 4, '<'},    {"&gt;", 4, '>'},
        {"&quot;", 6, '"'}, {"&apos;", 6, '\''},
    };
    while (begin < end) {
        const char* amp = static_cast<const char*>(
            std::memchr(begin, '&', static_cast<std::size_t>(end - begin)));
        if (amp == nullptr) {
            out.append(begin, end);
            return;
        }
        out.append(begin, amp);
        const std::size_t left = static_cast<std::size_t>(end - amp);
        begin = amp + 1;
        char decoded = '&';
        for (const auto& entity : kEntities) {
            if (left >= entity.length && std::memcmp(amp, entity.name, entity.length) == 0) {
                decoded = entity.replacement;
                begin = amp + entity.length;
                break;
            }
        }
        out.push_back(decoded);
    }
}

} // namespace

// --- CXmlNode ------------------------------------------------------------

CXmlNode::CXmlNode() : m_document(nullptr), m_index(-1) {}

CXmlNode::CXmlNode(const CXmlDocument* document, int index)
    : m_document(document), m_index(index) {}

const XmlElement* CXmlNode::Element() const {
    if (m_document == nullptr || m_index < 0 ||
        static_cast<std::size_t>(m_index) >= m_document->m_elements.size()) {
        return nullptr;
    }
    return &m_document->m_elements[static_cast<std::size_t>(m_index)];
}

bool CXmlNode::IsValid() const {
    return Element() != nullptr;
}

CXmlNode CXmlNode::GetParent() const {
    const XmlElement* element = Element();
    return element != nullptr ? CXmlNode(m_document, element->parent) : CXmlNode();
}

CXmlNode CXmlNode::GetChild() const {
    const XmlElement* element = Element();
    return element != nullptr ? CXmlNode(m_document, element->firstChild) : CXmlNode();
}

CXmlNode CXmlNode::GetChild(const char* name) const {
    if (name == nullptr) {
        return CXmlNode();
    }
    for (CXmlNode child = GetChild(); child.IsValid(); child = child.GetSibling()) {
        if (std::strcmp(child.GetName(), name) == 0) {
            return child;
        }
    }
    return CXmlNode();
}

CXmlNode CXmlNode::GetSibling() const {
    const XmlElement* element = Element();
    return element != nullptr ? CXmlNode(m_document, element->nextSibling) : CXmlNode();
}

bool CXmlNode::HasChildren() const {
    const XmlElement* element = Element();
    return element != nullptr && element->firstChild >= 0;
}

const char* CXmlNode::GetName() const {
    const XmlElement* element = Element();
    return element != nullptr ? &m_document->m_strings[element->name] : "";
}

const char* CXmlNode::GetValue() const {
    const XmlElement* element = Element();
    return element != nullptr ? &m_document->m_strings[element->value] : "";
}

bool CXmlNode::HasAttributes() const {
    return GetAttributeCount() > 0;
}

int CXmlNode::GetAttributeCount() const {
    const XmlElement* element = Element();
    return element != nullptr ? static_cast<int>(element->attributeCount) : 0;
}

const char* CXmlNode::GetAttributeName(int index) const {
    if (index < 0 || index >= GetAttributeCount()) {
        return nullptr;
    }
    const XmlElement* element = Element();
    const XmlAttribute& attribute =
        m_document->m_attributes[element->firstAttribute + static_cast<std::size_t>(index)];
    return &m_document->m_strings[attribute.name];
}

const char* CXmlNode::GetAttributeValue(int index) const {
    if (index < 0 || index >= GetAttributeCount()) {
        return nullptr;
    }
    const XmlElement* element = Element();
    const XmlAttribute& attribute =
        m_document->m_attributes[element->firstAttribute + static_cast<std::size_t>(index)];
    return &m_document->m_strings[attribute.value];
}

const char* CXmlNode::GetAttributeValue(const char* name) const {
    if (name == nullptr) {
        return nullptr;
    }
    const int count = GetAttributeCount();
    for (int i = 0; i < count; ++i) {
        if (std::strcmp(GetAttributeName(i), name) == 0) {
            return GetAttributeValue(i);
        }
    }
    return nullptr;
}

// --- CXmlDocument --------------------------------------------------------

CXmlDocument::CXmlDocument() {
    Release();
}

void CXmlDocument::Release() {
    m_elements.clear();
    m_attributes.clear();
    // Offset 0 is the shared empty string.
    m_strings.assign(1, '\0');
}

CXmlNode CXmlDocument::GetRoot() const {
    return m_elements.empty() ? CXmlNode() : CXmlNode(this, 0);
}

const char* CXmlDocument::GetLastErrorMessage() const {
    return m_errorMessage.GetData();
}

const char* CXmlDocument::GetLastErrorLocation() const {
    return m_errorLocation.GetData();
}

bool CXmlDocument::Load(const char* ansiText) {
    Release();
    m_errorMessage.Empty();
    m_errorLocation.Empty();
    if (!Parse(ansiText != nullptr ? ansiText : "")) {
        Release();
        return false;
    }
    return true;
}

bool CXmlDocument::LoadFromMem(const unsigned char* utf8, std::size_t size) {
    if (utf8 == nullptr) {
        size = 0;
    }
    if (size >= 3 && utf8[0] == 0xEF && utf8[1] == 0xBB && utf8[2] == 0xBF) {
        utf8 += 3;
        size -= 3;
    }
    const CUiString text = Utf8ToAnsi(reinterpret_cast<const char*>(utf8), size);
    return Load(text.GetData());
}

bool CXmlDocument::LoadFromFile(const char* name, const ResourceSource& source) {
    std::vector<unsigned char> bytes;
    CUiString error;
    if (!source.Read(name, bytes, &error, kMaxResourceDocumentSize)) {
        Release();
        m_errorMessage = error;
        m_errorLocation = name;
        return false;
    }
    return LoadFromMem(bytes.data(), bytes.size());
}

bool CXmlDocument::Fail(const char* message, const char* location) {
    m_errorMessage = message;
    m_errorLocation.Assign(location, static_cast<std::ptrdiff_t>(kErrorExcerptLength));
    return false;
}

std::size_t CXmlDocument::AddString(const char* text, std::size_t length) {
    const std::size_t offset = m_strings.size();
    m_strings.insert(m_strings.end(), text, text + length);
    m_strings.push_back('\0');
    return offset;
}

// Reads the text in one pass with an explicit stack of open elements, so the depth of the
// document never touches the machine stack.
bool CXmlDocument::Parse(const char* text) {
    std::vector<OpenElement> open;
    int lastTopLevel = -1;
    const char* p = text;

    while (p != nullptr) {
        if (open.empty()) {
            p = SkipBlanks(p);
            if (*p == '\0') {
                break;
            }
            if (*p != '<') {
                return Fail("Expected start tag", p);
            }
        } else {
            const char* start = p;
            while (*p != '\0' && *p != '<') {
                ++p;
            }
            AppendDecoded(open.back().value, start, p);
            if (*p == '\0') {
                return Fail("Expected end-tag start", p);
            }
        }

        // *p is '<'.
        if (p[1] == '?') {
            p = SkipPast(p + 2, "?>");
        } else if (p[1] == '!') {
            p = SkipPast(p + 2, "->");
        } else if (p[1] == '/') {
            p = ParseEndTag(p, open);
        } else {
            p = ParseStartTag(p, open, lastTopLevel);
        }
    }
    if (p == nullptr) {
        return false;
    }
    if (m_elements.empty()) {
        return Fail("Expected start tag", p);
    }
    return true;
}

const char* CXmlDocument::ParseEndTag(const char* p, std::vector<OpenElement>& open) {
    const char* tag = p;
    if (open.empty()) {
        Fail("Unmatched closing tag", tag);
        return nullptr;
    }
    const char* nameStart = p + 2;
    p = nameStart;
    while (!IsBlank(*p) && *p != '>') {
        ++p;
    }
    OpenElement& current = open.back();
    XmlElement& element = m_elements[static_cast<std::size_t>(current.element)];
    const char* openName = &m_strings[element.name];
    const std::size_t length = static_cast<std::size_t>(p - nameStart);
    if (std::strlen(openName) != length || std::memcmp(openName, nameStart, length) != 0) {
        Fail("Unmatched closing tag", tag);
        return nullptr;
    }
    p = SkipBlanks(p);
    if (*p != '>') {
        Fail("Unmatched closing tag", tag);
        return nullptr;
    }
    element.value = AddString(current.value.data(), current.value.size());
    open.pop_back();
    return p + 1;
}

const char* CXmlDocument::ParseStartTag(const char* p, std::vector<OpenElement>& open,
                                        int& lastTopLevel) {
    const char* tag = p;
    const char* nameStart = ++p;
    while (!IsBlank(*p) && *p != '/' && *p != '>' && *p != '<') {
        ++p;
    }
    if (p == nameStart) {
        Fail("Error parsing element name", tag);
        return nullptr;
    }
    if (open.size() >= kMaxDepth) {
        Fail("Elements nested too deeply", tag);
        return nullptr;
    }

    const int index = static_cast<int>(m_elements.size());
    XmlElement element;
    element.name = AddString(nameStart, static_cast<std::size_t>(p - nameStart));
    element.value = 0;
    element.parent = open.empty() ? -1 : open.back().element;
    element.firstChild = -1;
    element.nextSibling = -1;
    element.firstAttribute = m_attributes.size();
    element.attributeCount = 0;
    int& previous = open.empty() ? lastTopLevel : open.back().lastChild;
    if (previous >= 0) {
        m_elements[static_cast<std::size_t>(previous)].nextSibling = index;
    } else if (!open.empty()) {
        m_elements[static_cast<std::size_t>(open.back().element)].firstChild = index;
    }
    previous = index;

    p = ParseAttributes(p, element);
    if (p == nullptr) {
        return nullptr;
    }
    if (p[0] == '/' && p[1] == '>') {
        m_elements.push_back(element);
        return p + 2;
    }
    if (p[0] == '>') {
        m_elements.push_back(element);
        open.push_back(OpenElement{index, -1, std::string()});
        return p + 1;
    }
    Fail("Expected start-tag closing", p);
    return nullptr;
}

// No blank is needed after a closing quote before the next name.
const char* CXmlDocument::ParseAttributes(const char* p, XmlElement& element) {
    for (;;) {
        p = SkipBlanks(p);
        if (*p == '\0' || *p == '/' || *p == '>') {
            return p;
        }
        const char* attributeName = p;
        while (!IsBlank(*p) && *p != '=' && *p != '/' && *p != '>') {
            ++p;
        }
        const char* attributeNameEnd = p;
        p = SkipBlanks(p);
        if (attributeNameEnd == attributeName || *p != '=') {
            Fail("Error while parsing attributes", attributeName);
            return nullptr;
        }
        p = SkipBlanks(p + 1);
        if (*p != '"') {
            Fail("Expected attribute value", p);
            return nullptr;
        }
        const char* valueStart = ++p;
        while (*p != '\0' && *p != '"') {
            ++p;
        }
        if (*p == '\0') {
            Fail("Error while parsing attribute string", valueStart);
            return nullptr;
        }
        std::string value;
        AppendDecoded(value, valueStart, p);
        ++p;
        XmlAttribute attribute;
        attribute.name =
            AddString(attributeName, static_cast<std::size_t>(attributeNameEnd - attributeName));
        attribute.value = AddString(value.data(), value.size());
        m_attributes.push_back(attribute);
        ++element.attributeCount;
    }
}

} // namespace Ui
