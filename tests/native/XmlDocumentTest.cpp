// The skin document reader: tree shape, attribute and entity rules, error reports, and
// robustness against truncated and hostile documents.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

#include "ui/ResourceArchive.h"
#include "ui/XmlDocument.h"

using Ui::CXmlDocument;
using Ui::CXmlNode;

namespace {

const char kSkin[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<!-- Orvana skin -->\n"
    "<Window size=\"1308,800\" caption=\"0,0,0,76\">\n"
    "\t<Font id=\"0\" name=\"Arial\" size=\"32\" default=\"true\" />\n"
    "\t<Default name=\"VScrollBar\" value=\"width=&quot;8&quot; showbutton1=&quot;false&quot;\"/>\n"
    "\t<VerticalLayout bkcolor=\"#FF202020\">\n"
    "\t\t<Label name=\"id_label_title\" text=\"Orvana\"/>\n"
    "\t\t<Button name=\"id_btn_apply\"/>\n"
    "\t</VerticalLayout>\n"
    "</Window>";

std::string Nested(int depth) {
    std::string text;
    for (int i = 0; i < depth; ++i) {
        text += "<a>";
    }
    for (int i = 0; i < depth; ++i) {
        text += "</a>";
    }
    return text;
}

TEST(XmlDocument, BuildsTheTreeInDocumentOrder) {
    CXmlDocument doc;
    ASSERT_TRUE(doc.Load(kSkin)) << doc.GetLastErrorMessage();
    EXPECT_STREQ(doc.GetLastErrorMessage(), "");

    CXmlNode root = doc.GetRoot();
    ASSERT_TRUE(root.IsValid());
    EXPECT_STREQ(root.GetName(), "Window");
    EXPECT_FALSE(root.GetParent().IsValid());
    EXPECT_FALSE(root.GetSibling().IsValid());
    ASSERT_EQ(root.GetAttributeCount(), 2);
    EXPECT_STREQ(root.GetAttributeName(1), "caption");
    EXPECT_STREQ(root.GetAttributeValue(1), "0,0,0,76");
    EXPECT_STREQ(root.GetAttributeValue("size"), "1308,800");

    CXmlNode font = root.GetChild();
    EXPECT_STREQ(font.GetName(), "Font");
    EXPECT_FALSE(font.HasChildren());
    CXmlNode def = font.GetSibling();
    EXPECT_STREQ(def.GetAttributeValue("value"), "width=\"8\" showbutton1=\"false\"");
    CXmlNode layout = def.GetSibling();
    EXPECT_STREQ(layout.GetName(), "VerticalLayout");
    EXPECT_FALSE(layout.GetSibling().IsValid());
    EXPECT_TRUE(layout.HasChildren());

    CXmlNode button = layout.GetChild("Button");
    EXPECT_STREQ(button.GetAttributeValue("name"), "id_btn_apply");
    EXPECT_STREQ(button.GetParent().GetName(), "VerticalLayout");
    EXPECT_STREQ(layout.GetChild().GetAttributeValue("text"), "Orvana");
    EXPECT_STREQ(root.GetChild("VerticalLayout").GetName(), "VerticalLayout");
    EXPECT_FALSE(root.GetChild("verticallayout").IsValid()); // names compare exactly
}

TEST(XmlDocument, MissingThingsAnswerSafely) {
    CXmlNode none;
    EXPECT_FALSE(none.IsValid());
    EXPECT_STREQ(none.GetName(), "");
    EXPECT_STREQ(none.GetValue(), "");
    EXPECT_EQ(none.GetAttributeCount(), 0);
    EXPECT_EQ(none.GetAttributeName(0), nullptr);
    EXPECT_FALSE(none.GetChild().IsValid());

    CXmlDocument doc;
    EXPECT_FALSE(doc.GetRoot().IsValid());
    ASSERT_TRUE(doc.Load("<Label text=\"x\"/>"));
    CXmlNode label = doc.GetRoot();
    EXPECT_TRUE(label.HasAttributes());
    EXPECT_EQ(label.GetAttributeName(1), nullptr);
    EXPECT_EQ(label.GetAttributeValue(-1), nullptr);
    EXPECT_EQ(label.GetAttributeValue("Text"), nullptr);
    EXPECT_EQ(label.GetAttributeValue(static_cast<const char*>(nullptr)), nullptr);
    EXPECT_FALSE(label.GetChild("x").IsValid());
}

TEST(XmlDocument, ByteOrderMarkIsSkipped) {
    const std::string plain = "<Window text=\"caf\xC3\xA9\"/>";
    const std::string marked = "\xEF\xBB\xBF" + plain;
    CXmlDocument a;
    CXmlDocument b;
    ASSERT_TRUE(a.LoadFromMem(reinterpret_cast<const unsigned char*>(plain.data()), plain.size()));
    ASSERT_TRUE(
        b.LoadFromMem(reinterpret_cast<const unsigned char*>(marked.data()), marked.size()));
    EXPECT_STREQ(a.GetRoot().GetName(), b.GetRoot().GetName());
    EXPECT_STREQ(a.GetRoot().GetAttributeValue("text"), b.GetRoot().GetAttributeValue("text"));
    EXPECT_FALSE(b.LoadFromMem(nullptr, 5));
}

TEST(XmlDocument, AttributeSyntax) {
    CXmlDocument doc;
    // No blank between attributes; blanks of any kind around '='; values kept as written.
    ASSERT_TRUE(doc.Load("<Label text=\"x\"font=\"6\"\r\n\talign \t=\t \"  a  b \"\x01/>"));
    CXmlNode label = doc.GetRoot();
    ASSERT_EQ(label.GetAttributeCount(), 3);
    EXPECT_STREQ(label.GetAttributeValue("text"), "x");
    EXPECT_STREQ(label.GetAttributeValue("font"), "6");
    EXPECT_STREQ(label.GetAttributeValue("align"), "  a  b ");

    // Duplicates are all kept; lookup by name answers the first.
    ASSERT_TRUE(doc.Load("<a k=\"1\" k=\"2\" empty=\"\"/>"));
    EXPECT_EQ(doc.GetRoot().GetAttributeCount(), 3);
    EXPECT_STREQ(doc.GetRoot().GetAttributeValue("k"), "1");
    EXPECT_STREQ(doc.GetRoot().GetAttributeValue("empty"), "");
}

TEST(XmlDocument, EntitiesInValuesAndText) {
    CXmlDocument doc;
    ASSERT_TRUE(doc.Load("<a v=\"&quot;&amp;&lt;&gt;&apos;\" n=\"a&nbsp;b\" d=\"&amp;lt;\" "
                         "t=\"x&\" p=\"&quo\">1 &lt; 2 &copy;</a>"));
    CXmlNode a = doc.GetRoot();
    EXPECT_STREQ(a.GetAttributeValue("v"), "\"&<>'");
    EXPECT_STREQ(a.GetAttributeValue("n"), "a&nbsp;b");
    EXPECT_STREQ(a.GetAttributeValue("d"), "&lt;"); // decoded once only
    EXPECT_STREQ(a.GetAttributeValue("t"), "x&");
    EXPECT_STREQ(a.GetAttributeValue("p"), "&quo");
    EXPECT_STREQ(a.GetValue(), "1 < 2 &copy;");
}

TEST(XmlDocument, TextIsKeptAsWritten) {
    CXmlDocument doc;
    ASSERT_TRUE(doc.Load("<a>  one\n  two  <b>inner</b> three<!-- gone --></a>"));
    EXPECT_STREQ(doc.GetRoot().GetValue(), "  one\n  two   three");
    EXPECT_STREQ(doc.GetRoot().GetChild().GetValue(), "inner");
}

TEST(XmlDocument, DeclarationsAndCommentsAreSkipped) {
    CXmlDocument doc;
    ASSERT_TRUE(doc.Load("<?xml version=\"1.0\"?><!DOCTYPE x><!-- <b>not an element</b> -->"
                         "<a><?pi ?><!-- c --><b/></a><!-- trailing -->"));
    EXPECT_STREQ(doc.GetRoot().GetName(), "a");
    EXPECT_STREQ(doc.GetRoot().GetChild().GetName(), "b");
    EXPECT_FALSE(doc.GetRoot().GetChild().GetSibling().IsValid());

    // A comment ends at the first "->", even without the second dash.
    ASSERT_TRUE(doc.Load("<!-- a -> <Window/>"));
    EXPECT_STREQ(doc.GetRoot().GetName(), "Window");
}

TEST(XmlDocument, BytesAboveAsciiAreTextNotBlanks) {
    CXmlDocument doc;
    ASSERT_TRUE(doc.Load("<Lab\xE9l a=\"1\"/>")) << doc.GetLastErrorMessage();
    EXPECT_STREQ(doc.GetRoot().GetName(), "Lab\xE9l");
    ASSERT_TRUE(doc.Load("<Label text=\"\xE9t\xE9\" \xC4\xC5=\"1\"/>"));
    EXPECT_STREQ(doc.GetRoot().GetAttributeValue("text"), "\xE9t\xE9");
    EXPECT_STREQ(doc.GetRoot().GetAttributeValue("\xC4\xC5"), "1");
}

TEST(XmlDocument, ReportsEachKindOfError) {
    const struct {
        const char* text;
        const char* message;
        const char* location;
    } cases[] = {
        {"", "Expected start tag", ""},
        {"  <!-- only a comment -->  ", "Expected start tag", ""},
        {"hello", "Expected start tag", "hello"},
        {"<a/>junk", "Expected start tag", "junk"},
        {"< a/>", "Error parsing element name", "< a/>"},
        {"<a><></a>", "Error parsing element name", "<></a>"},
        {"<a b>", "Error while parsing attributes", "b>"},
        {"<a =\"1\"/>", "Error while parsing attributes", "=\"1\"/>"},
        {"<a b='1'/>", "Expected attribute value", "'1'/>"},
        {"<a b=\"1/>", "Error while parsing attribute string", "1/>"},
        {"<a b=\"1\"/ >", "Expected start-tag closing", "/ >"},
        {"<a", "Expected start-tag closing", ""},
        {"<a>text", "Expected end-tag start", ""},
        {"<a><b></a>", "Unmatched closing tag", "</a>"},
        {"<a></A>", "Unmatched closing tag", "</A>"},
        {"<a></ab>", "Unmatched closing tag", "</ab>"},
        {"<a></a", "Unmatched closing tag", "</a"},
        {"</a>", "Unmatched closing tag", "</a>"},
    };
    for (const auto& c : cases) {
        CXmlDocument doc;
        ASSERT_TRUE(doc.Load("<ok/>"));
        EXPECT_FALSE(doc.Load(c.text)) << c.text;
        EXPECT_STREQ(doc.GetLastErrorMessage(), c.message) << c.text;
        EXPECT_STREQ(doc.GetLastErrorLocation(), c.location) << c.text;
        EXPECT_FALSE(doc.GetRoot().IsValid()) << c.text; // the old tree is gone as well
    }

    CXmlDocument doc;
    EXPECT_TRUE(doc.Load("<a></a  >"));
    EXPECT_FALSE(doc.Load(nullptr));
    EXPECT_STREQ(doc.GetLastErrorMessage(), "Expected start tag");
}

TEST(XmlDocument, ErrorLocationIsAShortExcerpt) {
    CXmlDocument doc;
    const std::string tail(1000, 'x');
    EXPECT_FALSE(doc.Load(("<a " + tail).c_str()));
    EXPECT_STREQ(doc.GetLastErrorMessage(), "Error while parsing attributes");
    const std::string location = doc.GetLastErrorLocation();
    EXPECT_FALSE(location.empty());
    EXPECT_LE(location.size(), 64u);
    EXPECT_EQ(location, std::string(location.size(), 'x'));
}

TEST(XmlDocument, EveryTruncationOfADocumentFails) {
    const std::string skin = kSkin;
    for (std::size_t length = 0; length < skin.size(); ++length) {
        CXmlDocument doc;
        EXPECT_FALSE(doc.Load(skin.substr(0, length).c_str())) << length;
        EXPECT_STRNE(doc.GetLastErrorMessage(), "") << length;
    }
}

TEST(XmlDocument, NestingDepthIsBounded) {
    CXmlDocument doc;
    const int limit = static_cast<int>(CXmlDocument::kMaxDepth);
    ASSERT_TRUE(doc.Load(Nested(limit).c_str()));
    int depth = 0;
    for (CXmlNode node = doc.GetRoot(); node.IsValid(); node = node.GetChild()) {
        ++depth;
    }
    EXPECT_EQ(depth, limit);

    EXPECT_FALSE(doc.Load(Nested(limit + 1).c_str()));
    EXPECT_STREQ(doc.GetLastErrorMessage(), "Elements nested too deeply");

    // A hostile document: must fail cleanly rather than exhaust the stack.
    EXPECT_FALSE(doc.Load(Nested(100000).c_str()));
    EXPECT_FALSE(doc.GetRoot().IsValid());
}

TEST(XmlDocument, ManySiblingsAreFine) {
    std::string text = "<list>";
    for (int i = 0; i < 100000; ++i) {
        text += "<item v=\"" + std::to_string(i) + "\"/>";
    }
    text += "</list>";
    CXmlDocument doc;
    ASSERT_TRUE(doc.Load(text.c_str()));
    int count = 0;
    CXmlNode last;
    for (CXmlNode node = doc.GetRoot().GetChild(); node.IsValid(); node = node.GetSibling()) {
        last = node;
        ++count;
    }
    EXPECT_EQ(count, 100000);
    EXPECT_STREQ(last.GetAttributeValue("v"), "99999");
}

class XmlDocumentFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/xmldocXXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_folder = pattern;
        m_resources.SetPath((m_folder + "/").c_str());
    }
    void TearDown() override {
        std::remove((m_folder + "/skin.xml").c_str());
        rmdir(m_folder.c_str());
    }
    Ui::ResourceSource m_resources;
    std::string m_folder;
};

TEST_F(XmlDocumentFileTest, LoadsFromTheResourceFolder) {
    std::FILE* file = std::fopen((m_folder + "/skin.xml").c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("\xEF\xBB\xBF<Window size=\"1,2\"/>", file);
    std::fclose(file);

    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadFromFile("skin.xml", m_resources)) << doc.GetLastErrorMessage();
    EXPECT_STREQ(doc.GetRoot().GetAttributeValue("size"), "1,2");

    EXPECT_FALSE(doc.LoadFromFile("missing.xml", m_resources));
    EXPECT_STREQ(doc.GetLastErrorMessage(), "Error opening file");
    EXPECT_STREQ(doc.GetLastErrorLocation(), "missing.xml");
    EXPECT_FALSE(doc.GetRoot().IsValid());
}

} // namespace
