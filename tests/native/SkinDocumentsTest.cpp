// Checks the shipped skin documents and images in skin/Orvana against what the
// program and the framework need of them, and the all-rows documents of
// OrvanaFull.exe (tools/make_skins.py --all-rows, generated into the build tree,
// with tools/all_rows_skin/Orvana/btn_slider.png) against the same needs and
// against the shipped ones. Self-contained on purpose but for the program's
// control names: a small scanner for the markup subset the skins use, and
// PNG sizes from IHDR.
#include <cstdint>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/ControlNames.h"
#include "tests/support/WholeFile.h"

namespace {

std::string SourceDir() {
    const std::string source = __FILE__;
    return source.substr(0, source.rfind("/tests/"));
}

std::string SkinDir() {
    return SourceDir() + "/skin/Orvana/";
}

// The all-rows documents, written by the build (cmake/Native.cmake).
std::string AllRowsDocumentDir() {
    return ORVANA_ALL_ROWS_SKIN_DIR "/Orvana/";
}

// The image that only the all-rows archive carries.
const char kSliderImage[] = "btn_slider.png";

std::string AllRowsImageDir() {
    return SourceDir() + "/tools/all_rows_skin/Orvana/";
}

using TestSupport::ReadWholeFile;

// --- markup ----------------------------------------------------------------------

struct Element {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attrs;
    int parent = -1;
    std::vector<int> children;

    const std::string* Attr(const std::string& key) const {
        for (const auto& attr : attrs) {
            if (attr.first == key) {
                return &attr.second;
            }
        }
        return nullptr;
    }
    std::string AttrOr(const std::string& key, const std::string& fallback = "") const {
        const std::string* value = Attr(key);
        return value != nullptr ? *value : fallback;
    }
};

std::string DecodeEntities(const std::string& raw) {
    static const std::pair<const char*, char> kEntities[] = {
        {"&quot;", '"'}, {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&apos;", '\''}};
    std::string out;
    for (std::size_t i = 0; i < raw.size();) {
        bool replaced = false;
        for (const auto& entity : kEntities) {
            const std::size_t length = std::char_traits<char>::length(entity.first);
            if (raw.compare(i, length, entity.first) == 0) {
                out += entity.second;
                i += length;
                replaced = true;
                break;
            }
        }
        if (!replaced) {
            out += raw[i++];
        }
    }
    return out;
}

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

// Parses elements and double-quoted attributes; skips declarations, comments
// and text. Element 0 is the root. Returns an error text, empty on success.
std::string ParseMarkup(const std::string& text, std::vector<Element>& out) {
    std::size_t pos = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    std::vector<int> open;
    int roots = 0;
    while (true) {
        pos = text.find('<', pos);
        if (pos == std::string::npos) {
            break;
        }
        if (text.compare(pos, 2, "<?") == 0 || text.compare(pos, 4, "<!--") == 0) {
            const bool declaration = text[pos + 1] == '?';
            const std::size_t end = text.find(declaration ? "?>" : "-->", pos);
            if (end == std::string::npos) {
                return "unterminated declaration or comment";
            }
            pos = end + (declaration ? 2 : 3);
            continue;
        }
        if (text.compare(pos, 2, "</") == 0) {
            const std::size_t end = text.find('>', pos);
            if (end == std::string::npos) {
                return "unterminated closing tag";
            }
            std::string name = text.substr(pos + 2, end - pos - 2);
            while (!name.empty() && IsBlank(name.back())) {
                name.pop_back();
            }
            if (open.empty() || out[open.back()].name != name) {
                return "unmatched closing tag </" + name + ">";
            }
            open.pop_back();
            pos = end + 1;
            continue;
        }
        Element element;
        ++pos;
        while (pos < text.size() && !IsBlank(text[pos]) && text[pos] != '>' && text[pos] != '/') {
            element.name += text[pos++];
        }
        if (element.name.empty()) {
            return "empty element name";
        }
        bool selfClosing = false;
        while (true) {
            while (pos < text.size() && IsBlank(text[pos])) {
                ++pos;
            }
            if (pos >= text.size()) {
                return "unterminated start tag <" + element.name;
            }
            if (text.compare(pos, 2, "/>") == 0) {
                selfClosing = true;
                pos += 2;
                break;
            }
            if (text[pos] == '>') {
                ++pos;
                break;
            }
            const std::size_t eq = text.find('=', pos);
            if (eq == std::string::npos || text[eq + 1] != '"') {
                return "malformed attribute in <" + element.name;
            }
            const std::size_t close = text.find('"', eq + 2);
            if (close == std::string::npos) {
                return "unterminated attribute value in <" + element.name;
            }
            std::string key = text.substr(pos, eq - pos);
            if (key.find_first_of("<>\" \t\r\n") != std::string::npos) {
                return "malformed attribute name '" + key + "'";
            }
            std::string raw = text.substr(eq + 2, close - eq - 2);
            if (raw.find('<') != std::string::npos) {
                return "'<' inside the value of " + key;
            }
            element.attrs.emplace_back(key, DecodeEntities(raw));
            pos = close + 1;
        }
        element.parent = open.empty() ? -1 : open.back();
        if (element.parent < 0 && ++roots > 1) {
            return "more than one root element";
        }
        const int index = static_cast<int>(out.size());
        if (element.parent >= 0) {
            out[element.parent].children.push_back(index);
        }
        out.push_back(std::move(element));
        if (!selfClosing) {
            open.push_back(index);
        }
    }
    if (!open.empty()) {
        return "unclosed element <" + out[open.back()].name + ">";
    }
    return roots == 1 ? "" : "no root element";
}

// --- values -----------------------------------------------------------------------

std::vector<int> Numbers(const std::string& text) {
    std::vector<int> values;
    std::stringstream in(text);
    for (std::string part; std::getline(in, part, ',');) {
        values.push_back(std::atoi(part.c_str()));
    }
    return values;
}

int Side(const Element& e, const char* key, int index) {
    const std::vector<int> values = Numbers(e.AttrOr(key, "0,0,0,0"));
    return index < static_cast<int>(values.size()) ? values[index] : 0;
}

bool Visible(const Element& e) {
    return e.AttrOr("visible") != "false";
}

// An image description in the framework's key='value' form, or a bare name.
// Returns false when the text breaks the syntax before its end.
bool ParseImageDescription(const std::string& text, std::map<std::string, std::string>& keys) {
    if (text.find('\'') == std::string::npos) {
        keys["file"] = text;
        return true;
    }
    std::size_t pos = 0;
    while (true) {
        while (pos < text.size() && text[pos] == ' ') {
            ++pos;
        }
        if (pos == text.size()) {
            return true;
        }
        const std::size_t eq = text.find('=', pos);
        if (eq == std::string::npos || eq + 1 >= text.size() || text[eq + 1] != '\'') {
            return false;
        }
        const std::size_t close = text.find('\'', eq + 2);
        if (close == std::string::npos) {
            return false;
        }
        keys[text.substr(pos, eq - pos)] = text.substr(eq + 2, close - eq - 2);
        pos = close + 1;
        if (pos < text.size() && text[pos] != ' ') {
            return false;
        }
    }
}

// A default attribute list: name="value" pairs, each followed by exactly one
// blank when another pair follows. Returns false when the list stops early.
bool ParseAttributeList(const std::string& text,
                        std::vector<std::pair<std::string, std::string>>& pairs) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t eq = text.find('=', pos);
        if (eq == std::string::npos || eq + 1 >= text.size() || text[eq + 1] != '"') {
            return false;
        }
        const std::size_t close = text.find('"', eq + 2);
        if (close == std::string::npos) {
            return false;
        }
        pairs.emplace_back(text.substr(pos, eq - pos), text.substr(eq + 2, close - eq - 2));
        pos = close + 1;
        if (pos == text.size()) {
            return true;
        }
        if (text[pos] != ' ' || pos + 1 >= text.size() || text[pos + 1] == ' ') {
            return false;
        }
        ++pos;
    }
    return false;
}

bool PngSize(const std::string& path, int& width, int& height) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes) || bytes.size() < 24 ||
        bytes.compare(0, 8, "\x89PNG\r\n\x1A\n") != 0 || bytes.compare(12, 4, "IHDR") != 0) {
        return false;
    }
    auto be32 = [&](std::size_t at) {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
        }
        return static_cast<int>(v);
    };
    width = be32(16);
    height = be32(20);
    return true;
}

// --- the shipped set ------------------------------------------------------------------

struct Language {
    const char* file;
    const char* apply; // each language's own word, so swapped outputs show
    const char* headingElement;
    int nameFontSize;
    bool hasSmallFont;
    bool allRows = false; // the all-rows document of OrvanaFull.exe instead of the shipped one

    std::string Path() const { return (allRows ? AllRowsDocumentDir() : SkinDir()) + file; }
};

void PrintTo(const Language& language, std::ostream* os) {
    *os << (language.allRows ? "all-rows " : "") << language.file;
}

const Language kLanguages[] = {
    {"Orvana_English.xml", "Apply", "Button", 20, false},
    {"Orvana_French.xml", "Appliquer", "Button", 20, false},
    {"Orvana_German.xml", "Anwenden", "Button", 20, false},
    {"Orvana_Spanish.xml", "Aplicar", "Button", 20, false},
    {"Orvana_Arabic.xml", "تطبيق", "Button", 20, false},
    {"Orvana_Korean.xml", "대다", "Label", 20, false},
    {"Orvana_Russian.xml", "Подать заявление", "Button", 16, true},
    {"Orvana_Japanese.xml", "適用する", "Button", 18, false},
    {"Orvana_Simplified.xml", "应用", "Label", 20, false},
    {"Orvana_Traditional.xml", "應用", "Button", 20, false},
    {"Orvana_Portuguese.xml", "Aplique", "Button", 20, false},
    {"Orvana_Italian.xml", "Applicare", "Button", 20, false},
};

std::vector<Language> AllRowsLanguages() {
    std::vector<Language> out(std::begin(kLanguages), std::end(kLanguages));
    for (Language& language : out) {
        language.allRows = true;
    }
    return out;
}

const std::map<std::string, std::pair<int, int>> kImages = {
    {"btn_control.png", {206, 101}},      {"btn_normal.png", {159, 97}},
    {"capture_img.png", {8, 8}},          {"logo.png", {110, 64}},
    {"property_control.png", {613, 291}}, {"scroll.png", {16, 144}},
    {"title_text.png", {520, 52}},
};

// The program's own list of what it needs of every skin.
std::map<std::string, std::string> RequiredControls() {
    std::map<std::string, std::string> required;
    for (const ControlNames::RequiredControl& control : ControlNames::kRequiredControls) {
        required[control.name] = control.element;
    }
    for (const ControlNames::PropertyRowNames& row : ControlNames::kPropertyRows) {
        required[row.slider] = "Slider";
        required[row.label] = "Label";
        required[row.automatic] = "Option";
    }
    return required;
}

class SkinDocument : public ::testing::TestWithParam<Language> {
protected:
    void SetUp() override {
        ASSERT_TRUE(ReadWholeFile(GetParam().Path(), bytes_)) << GetParam().Path();
        const std::string error = ParseMarkup(bytes_, elements_);
        ASSERT_EQ(error, "") << GetParam().file;
        for (std::size_t i = 0; i < elements_.size(); ++i) {
            if (const std::string* name = elements_[i].Attr("name")) {
                if (elements_[i].name != "Font" && elements_[i].name != "Default") {
                    named_.emplace(*name, static_cast<int>(i));
                }
            }
        }
    }

    const Element* Named(const std::string& name) const {
        auto it = named_.find(name);
        return it == named_.end() ? nullptr : &elements_[it->second];
    }

    // The width a child gets from its parents, when it is fixed somewhere above.
    int KnownWidth(int index) const {
        const Element& e = elements_[index];
        if (e.Attr("width") != nullptr) {
            return std::atoi(e.Attr("width")->c_str());
        }
        if (e.parent < 0 || elements_[e.parent].name != "VerticalLayout") {
            return -1;
        }
        const int parentWidth = KnownWidth(e.parent);
        if (parentWidth < 0) {
            return -1;
        }
        const Element& parent = elements_[e.parent];
        return parentWidth - Side(parent, "inset", 0) - Side(parent, "inset", 2) -
               Side(e, "padding", 0) - Side(e, "padding", 2);
    }

    std::string bytes_;
    std::vector<Element> elements_;
    std::multimap<std::string, int> named_;
};

TEST_P(SkinDocument, StartsWithByteOrderMarkAndHasTheWindowAttributes) {
    EXPECT_EQ(bytes_.compare(0, 3, "\xEF\xBB\xBF"), 0);
    const Element& window = elements_[0];
    ASSERT_EQ(window.name, "Window");
    const std::map<std::string, std::string> expected = {
        {"size", "1308,800"},
        {"caption", "0,0,0,76"},
        {"sizebox", "4,4,4,4"},
        {"mininfo", "800,600"},
        {"defaultfontcolor", "0xFFFFFFFF"},
        {"minwidth", "1289"},
        {"minheight", "759"},
        {"bordersize", "1,0,1,1"},
        {"bordercolor", "#FFBCBCBC"},
        {"inset", "1,0,1,1"},
    };
    for (const auto& [key, value] : expected) {
        EXPECT_EQ(window.AttrOr(key, "<missing>"), value) << key;
    }
    EXPECT_EQ(window.Attr("roundcorner"), nullptr);
}

TEST_P(SkinDocument, DefinesTheSharedFontsAndUsesOnlyThose) {
    std::map<int, int> sizes;
    int defaults = 0;
    for (int child : elements_[0].children) {
        const Element& font = elements_[child];
        if (font.name != "Font") {
            continue;
        }
        EXPECT_EQ(font.AttrOr("name"), "微软雅黑");
        EXPECT_EQ(font.AttrOr("shared"), "true");
        sizes[std::atoi(font.AttrOr("id").c_str())] = std::atoi(font.AttrOr("size").c_str());
        defaults += font.AttrOr("default") == "true" ? 1 : 0;
        if (font.AttrOr("default") == "true") {
            EXPECT_EQ(font.AttrOr("id"), "0");
        }
    }
    std::map<int, int> expected = {
        {0, 32}, {1, 25}, {2, 20}, {3, 17}, {4, 15}, {5, 21}, {6, GetParam().nameFontSize}};
    if (GetParam().hasSmallFont) {
        expected[7] = 13;
    }
    EXPECT_EQ(sizes, expected);
    EXPECT_EQ(defaults, 1);

    for (const Element& e : elements_) {
        for (const char* key : {"font", "itemfont"}) {
            if (const std::string* id = e.Attr(key)) {
                EXPECT_EQ(sizes.count(std::atoi(id->c_str())), 1u)
                    << e.name << " " << e.AttrOr("name") << " uses font " << *id;
            }
        }
    }
}

TEST_P(SkinDocument, HasEveryControlTheProgramLooksUp) {
    for (const auto& [name, element] : RequiredControls()) {
        EXPECT_EQ(named_.count(name), 1u) << name;
        const Element* control = Named(name);
        if (control != nullptr) {
            EXPECT_EQ(control->name, element) << name;
        }
    }
    EXPECT_EQ(Named(ControlNames::kTabLayout), nullptr);
}

TEST_P(SkinDocument, ControlsStartInTheirDocumentedState) {
    auto attr = [&](const char* name, const char* key) {
        const Element* e = Named(name);
        return e != nullptr ? e->AttrOr(key, "<unset>") : "<no control>";
    };
    EXPECT_EQ(attr("id_btn_resetore", "visible"), "false");
    EXPECT_EQ(attr("id_cap_time_show", "visible"), "false");
    EXPECT_EQ(attr("id_cap_time_label", "text"), "00:00");
    for (const ControlNames::PropertyRowNames& row : ControlNames::kPropertyRows) {
        EXPECT_EQ(attr(row.label, "text"), "0") << row.label;
        EXPECT_NE(attr(row.automatic, "selected"), "true") << row.automatic;
    }
    EXPECT_EQ(attr("id_btn_io_normal", "group"), "io_mirro_group");
    EXPECT_EQ(attr("id_btn_io_mirrored", "group"), "io_mirro_group");
    EXPECT_EQ(attr("id_btn_io_normal", "selected"), "true");
    EXPECT_NE(attr("id_btn_io_mirrored", "selected"), "true");
    for (const char* list : {"id_combo_photo_resolution", "id_combo_video_resolution",
                             "id_combo_file_format", "id_combo_refresh_rate"}) {
        EXPECT_EQ(attr(list, "text"), "Empty") << list;
    }
    for (const char* slider : {"id_slider_microphone", "id_slider_speaker"}) {
        EXPECT_EQ(attr(slider, "value"), "0");
        EXPECT_EQ(attr(slider, "min"), "0");
        EXPECT_EQ(attr(slider, "max"), "99");
    }
    EXPECT_EQ(attr("id_label_microphone", "text"), "0");
    EXPECT_EQ(attr("id_label_speaker", "text"), "0");
    EXPECT_NE(attr("id_btn_capture", "selected"), "true");

    // The volume rows and the photo/record row are shipped hidden; the all-rows
    // documents show them.
    for (const char* name : {"id_slider_microphone", "id_slider_speaker", "id_btn_photo",
                             "id_btn_capture", "id_btn_open_dir"}) {
        const Element* e = Named(name);
        ASSERT_NE(e, nullptr);
        bool hidden = false;
        for (int at = e->parent; at >= 0; at = elements_[at].parent) {
            hidden = hidden || !Visible(elements_[at]);
        }
        EXPECT_EQ(hidden, !GetParam().allRows) << name;
    }
}

TEST_P(SkinDocument, CarriesItsOwnLanguage) {
    const Element* apply = Named("id_btn_apply");
    ASSERT_NE(apply, nullptr);
    EXPECT_EQ(apply->AttrOr("text"), GetParam().apply);

    // The "Auto" heading is the only text at 460 from the panel's left.
    const Element* panel = Named("id_tab_menu");
    ASSERT_NE(panel, nullptr);
    ASSERT_FALSE(panel->children.empty());
    const Element& headingRow = elements_[panel->children.front()];
    ASSERT_EQ(headingRow.children.size(), 1u);
    const Element& heading = elements_[headingRow.children.front()];
    EXPECT_EQ(heading.name, GetParam().headingElement);
    EXPECT_EQ(Side(heading, "padding", 0), 460);

    // The untranslated texts.
    std::set<std::string> texts;
    for (const Element& e : elements_) {
        texts.insert(e.AttrOr("text"));
    }
    for (const char* text : {"Microphone", "Speaker", "Version:2.02"}) {
        EXPECT_EQ(texts.count(text), 1u) << text;
    }
}

// Every notice the program shows has its text in the document's language: a
// key the skin lacks would leave the user a black preview without a word.
TEST_P(SkinDocument, CarriesEveryNoticeTextHiddenAndTranslated) {
    std::string englishBytes;
    std::vector<Element> english;
    Language englishDocument = kLanguages[0];
    englishDocument.allRows = GetParam().allRows;
    ASSERT_TRUE(ReadWholeFile(englishDocument.Path(), englishBytes));
    ASSERT_EQ(ParseMarkup(englishBytes, english), "");
    auto englishText = [&](const std::string& name) {
        for (const Element& e : english) {
            if (e.AttrOr("name") == name) {
                return e.AttrOr("text");
            }
        }
        return std::string();
    };
    const bool isEnglish = std::string(GetParam().file) == englishDocument.file;
    for (const char* key : ControlNames::kNoticeKeys) {
        const std::string name = std::string(ControlNames::kNoticeTextPrefix) + key;
        const Element* text = Named(name);
        ASSERT_NE(text, nullptr) << name;
        EXPECT_EQ(text->name, "Label") << name;
        EXPECT_GE(text->AttrOr("text").size(), 10u) << name;
        bool hidden = !Visible(*text);
        for (int at = text->parent; at >= 0; at = elements_[at].parent) {
            hidden = hidden || !Visible(elements_[at]);
        }
        EXPECT_TRUE(hidden) << name;
        if (!isEnglish) {
            EXPECT_NE(text->AttrOr("text"), englishText(name)) << name << " is not translated";
        }
        // What the program fills in (a file name, the minutes, the cause)
        // must be in every language, or the notice loses it.
        for (const char* token : {ControlNames::Notice::kWhy, ControlNames::Notice::kFile,
                                  ControlNames::Notice::kMinutes}) {
            EXPECT_EQ(text->AttrOr("text").find(token) != std::string::npos,
                      englishText(name).find(token) != std::string::npos)
                << name << " " << token;
        }
    }
}

TEST_P(SkinDocument, ImagesExistAndSourcesLieInsideThem) {
    std::vector<std::pair<std::string, std::string>> descriptions;
    for (const Element& e : elements_) {
        for (const auto& [key, value] : e.attrs) {
            if (e.name == "Default" && key == "value") {
                std::vector<std::pair<std::string, std::string>> pairs;
                EXPECT_TRUE(ParseAttributeList(value, pairs)) << value;
                EXPECT_GT(pairs.size(), 4u);
                for (const auto& pair : pairs) {
                    if (pair.first.find("image") != std::string::npos) {
                        descriptions.emplace_back(pair.first, pair.second);
                    }
                }
            } else if (key.size() >= 5 && key.compare(key.size() - 5, 5, "image") == 0) {
                descriptions.emplace_back(key, value);
            }
        }
    }
    ASSERT_GT(descriptions.size(), 50u);
    std::set<std::string> used;
    for (const auto& [key, text] : descriptions) {
        SCOPED_TRACE(key + "=" + text);
        std::map<std::string, std::string> keys;
        ASSERT_TRUE(ParseImageDescription(text, keys));
        const std::string file = keys["file"];
        ASSERT_EQ(file.compare(0, 7, "Orvana\\"), 0);
        const std::string image = file.substr(7);
        if (image == kSliderImage && !GetParam().allRows) {
            continue; // deliberately not shipped: its sliders sit in hidden rows
        }
        used.insert(image);
        int width = 0;
        int height = 0;
        ASSERT_TRUE(PngSize((image == kSliderImage ? AllRowsImageDir() : SkinDir()) + image, width,
                            height));
        if (keys.count("source") != 0) {
            const std::vector<int> r = Numbers(keys["source"]);
            ASSERT_EQ(r.size(), 4u);
            EXPECT_TRUE(0 <= r[0] && r[0] < r[2] && r[2] <= width) << width;
            EXPECT_TRUE(0 <= r[1] && r[1] < r[3] && r[3] <= height) << height;
            if (keys.count("corner") != 0) {
                const std::vector<int> c = Numbers(keys["corner"]);
                ASSERT_EQ(c.size(), 4u);
                EXPECT_LE(c[0] + c[2], r[2] - r[0]);
                EXPECT_LE(c[1] + c[3], r[3] - r[1]);
            }
        }
    }
    // Every shipped image is used by every skin, and btn_slider.png by every all-rows skin.
    std::set<std::string> shipped;
    for (const auto& image : kImages) {
        shipped.insert(image.first);
    }
    if (GetParam().allRows) {
        shipped.insert(kSliderImage);
    }
    EXPECT_EQ(used, shipped);
}

TEST_P(SkinDocument, FixedSizesAddUpInsideTheirContainers) {
    for (std::size_t i = 0; i < elements_.size(); ++i) {
        const Element& box = elements_[i];
        const bool horizontal = box.name == "HorizontalLayout";
        if (!horizontal && box.name != "VerticalLayout") {
            continue;
        }
        std::vector<const Element*> shown;
        for (int child : box.children) {
            if (Visible(elements_[child])) {
                shown.push_back(&elements_[child]);
            }
        }
        const int gap = std::atoi(box.AttrOr("childpadding", "0").c_str());
        // Along the layout's own axis.
        const int along = horizontal ? KnownWidth(static_cast<int>(i))
                                     : std::atoi(box.AttrOr("height", "-1").c_str());
        if (along >= 0 && !shown.empty()) {
            int used = gap * static_cast<int>(shown.size() - 1) +
                       Side(box, "inset", horizontal ? 0 : 1) +
                       Side(box, "inset", horizontal ? 2 : 3);
            for (const Element* child : shown) {
                used += std::atoi(child->AttrOr(horizontal ? "width" : "height", "0").c_str()) +
                        Side(*child, "padding", horizontal ? 0 : 1) +
                        Side(*child, "padding", horizontal ? 2 : 3);
            }
            EXPECT_LE(used, along) << box.name << " " << box.AttrOr("name") << " #" << i;
        }
        // Across it: every child fits the row's height (or the column's width).
        const int across = horizontal ? std::atoi(box.AttrOr("height", "-1").c_str())
                                      : KnownWidth(static_cast<int>(i));
        if (across < 0) {
            continue;
        }
        for (const Element* child : shown) {
            const int size =
                std::atoi(child->AttrOr(horizontal ? "height" : "width", "0").c_str()) +
                Side(*child, "padding", horizontal ? 1 : 0) +
                Side(*child, "padding", horizontal ? 3 : 2);
            EXPECT_LE(size, across) << child->name << " " << child->AttrOr("name") << " in #" << i;
        }
    }
}

TEST_P(SkinDocument, PanelFitsTheMiddleOfTheInitialWindowAndOfALowScreen) {
    // The root column: fixed bars above and below, the middle takes the rest.
    const Element* root = nullptr;
    for (int child : elements_[0].children) {
        if (elements_[child].name == "VerticalLayout") {
            root = &elements_[child];
            break;
        }
    }
    ASSERT_NE(root, nullptr);
    int middle = Numbers(elements_[0].AttrOr("size")).at(1);
    int stretching = 0;
    for (int child : root->children) {
        const Element& bar = elements_[child];
        middle -= std::atoi(bar.AttrOr("height", "0").c_str());
        stretching += bar.Attr("height") == nullptr ? 1 : 0;
    }
    EXPECT_EQ(stretching, 1);
    const Element* panel = Named("id_tab_menu");
    ASSERT_NE(panel, nullptr);
    int used = Side(*panel, "padding", 1) + Side(*panel, "padding", 3);
    int least = used;
    for (int child : panel->children) {
        const Element& row = elements_[child];
        ASSERT_NE(row.Attr("height"), nullptr) << "panel rows have fixed heights";
        if (Visible(row)) {
            const int height = std::atoi(row.AttrOr("height").c_str());
            const int padding = Side(row, "padding", 1) + Side(row, "padding", 3);
            used += height + padding;
            least += std::atoi(row.AttrOr("minheight", row.AttrOr("height")).c_str()) + padding;
        }
    }
    EXPECT_LE(used, middle);
    // On 1920 x 1080 at 150 % less a 48-pixel taskbar the window is 672 high: the
    // rows give way to their minimums and the panel still needs no scrolling.
    const int lowMiddle = middle - (Numbers(elements_[0].AttrOr("size")).at(1) - 672);
    EXPECT_LE(least, lowMiddle);
}

TEST_P(SkinDocument, MirrorOptionsArePaddedForTheLanguage) {
    const Element* normal = Named("id_btn_io_normal");
    const Element* mirrored = Named("id_btn_io_mirrored");
    ASSERT_NE(normal, nullptr);
    ASSERT_NE(mirrored, nullptr);
    const int pad = Side(*normal, "padding", 0);
    EXPECT_EQ(Side(*mirrored, "padding", 0), pad);
    const std::string file = GetParam().file;
    if (file == "Orvana_English.xml" || file == "Orvana_German.xml" ||
        file == "Orvana_Korean.xml") {
        EXPECT_EQ(pad, 15);
    } else if (file == "Orvana_Japanese.xml") {
        EXPECT_EQ(pad, 10);
    } else if (file == "Orvana_Arabic.xml" || file == "Orvana_Russian.xml" ||
               file == "Orvana_Simplified.xml" || file == "Orvana_Traditional.xml") {
        EXPECT_EQ(pad, 25);
    } else {
        EXPECT_GT(pad, 15);
        EXPECT_LE(pad, 30);
    }
}

std::string LanguageName(const ::testing::TestParamInfo<Language>& info) {
    std::string name = info.param.file;
    return name.substr(7, name.size() - 11); // Orvana_X.xml -> X
}

INSTANTIATE_TEST_SUITE_P(Shipped, SkinDocument, ::testing::ValuesIn(kLanguages), LanguageName);
INSTANTIATE_TEST_SUITE_P(AllRows, SkinDocument, ::testing::ValuesIn(AllRowsLanguages()),
                         LanguageName);

// The all-rows documents are the shipped ones with the hidden rows shown; only the
// space above the panel's heading and the spacing of the four format lists may change with them,
// to make room for the two slider rows.
TEST(SkinDocuments, AllRowsDocumentsDifferOnlyInTheShownRowsAndThePanelSpacing) {
    for (const Language& language : kLanguages) {
        SCOPED_TRACE(language.file);
        Language allRows = language;
        allRows.allRows = true;
        std::string shippedBytes;
        std::string allRowsBytes;
        std::vector<Element> shipped;
        std::vector<Element> shown;
        ASSERT_TRUE(ReadWholeFile(language.Path(), shippedBytes));
        ASSERT_TRUE(ReadWholeFile(allRows.Path(), allRowsBytes)) << allRows.Path();
        ASSERT_EQ(ParseMarkup(shippedBytes, shipped), "");
        ASSERT_EQ(ParseMarkup(allRowsBytes, shown), "");
        ASSERT_EQ(shipped.size(), shown.size());

        auto find = [&](const std::string& name) {
            for (int at = 0; at < static_cast<int>(shipped.size()); ++at) {
                if (shipped[at].AttrOr("name") == name && shipped[at].name != "Font") {
                    return at;
                }
            }
            return -1;
        };
        // Whether an element holds a named control, to tell the rows apart.
        auto holds = [&](int index, const std::string& name) {
            for (int at = find(name); at >= 0; at = shipped[at].parent) {
                if (at == index) {
                    return true;
                }
            }
            return false;
        };
        // The block of the four format lists: the parent of the photo resolution's row.
        const int photoList = find("id_combo_photo_resolution");
        ASSERT_GE(photoList, 0);
        const int formatBlock = shipped[shipped[photoList].parent].parent;
        ASSERT_GE(formatBlock, 0);
        const int panel = find("id_tab_menu");
        ASSERT_GE(panel, 0);
        int headingRow = -1;
        for (int at = 0; at < static_cast<int>(shipped.size()) && headingRow < 0; ++at) {
            headingRow = shipped[at].parent == panel ? at : -1;
        }
        std::vector<std::string> changed;
        int rowsShown = 0;
        for (std::size_t i = 0; i < shipped.size(); ++i) {
            const Element& a = shipped[i];
            const Element& b = shown[i];
            ASSERT_EQ(a.name, b.name) << "#" << i;
            ASSERT_EQ(a.parent, b.parent) << "#" << i;
            std::set<std::string> keys;
            for (const auto& attr : a.attrs) {
                keys.insert(attr.first);
            }
            for (const auto& attr : b.attrs) {
                keys.insert(attr.first);
            }
            for (const std::string& key : keys) {
                if (a.AttrOr(key, "<unset>") == b.AttrOr(key, "<unset>")) {
                    continue;
                }
                const int index = static_cast<int>(i);
                const bool hiddenRow =
                    key == "visible" && a.AttrOr(key) == "false" && Visible(b) &&
                    (holds(index, "id_slider_microphone") || holds(index, "id_slider_speaker") ||
                     holds(index, "id_btn_photo"));
                // The space above the "Auto" heading is the foot of its row.
                const bool panelTop = key == "height" && index == headingRow;
                const bool formatSpacing =
                    index == formatBlock && (key == "height" || key == "minheight" ||
                                             key == "inset" || key == "childpadding");
                rowsShown += hiddenRow ? 1 : 0;
                if (!hiddenRow && !panelTop && !formatSpacing) {
                    changed.push_back(a.name + " #" + std::to_string(i) + " " + key + ": \"" +
                                      a.AttrOr(key, "<unset>") + "\" -> \"" +
                                      b.AttrOr(key, "<unset>") + "\"");
                }
            }
        }
        EXPECT_EQ(rowsShown, 3); // the photo/record/folder row and the two slider rows
        EXPECT_EQ(changed, std::vector<std::string>());
    }
}

TEST(SkinDocuments, AllLanguagesNameTheSameControlsInTheSameOrder) {
    auto names = [](const char* file) {
        std::string bytes;
        std::vector<Element> elements;
        EXPECT_TRUE(ReadWholeFile(SkinDir() + file, bytes)) << file;
        EXPECT_EQ(ParseMarkup(bytes, elements), "") << file;
        std::vector<std::string> out;
        for (const Element& e : elements) {
            if (e.Attr("name") != nullptr && e.name != "Font" && e.name != "Default") {
                out.push_back(e.name + ":" + *e.Attr("name"));
            }
        }
        return out;
    };
    const std::vector<std::string> english = names("Orvana_English.xml");
    EXPECT_GT(english.size(), 50u);
    for (const Language& language : kLanguages) {
        EXPECT_EQ(names(language.file), english) << language.file;
    }
}

TEST(SkinDocuments, ImagesHaveTheirDocumentedSizes) {
    for (const auto& [name, size] : kImages) {
        int width = 0;
        int height = 0;
        ASSERT_TRUE(PngSize(SkinDir() + name, width, height)) << name;
        EXPECT_EQ(width, size.first) << name;
        EXPECT_EQ(height, size.second) << name;
    }
    // The sliders' image is drawn for the all-rows archive only, outside skin/.
    int width = 0;
    int height = 0;
    EXPECT_FALSE(PngSize(SkinDir() + kSliderImage, width, height));
    ASSERT_TRUE(PngSize(AllRowsImageDir() + kSliderImage, width, height));
    EXPECT_EQ(width, 226);
    EXPECT_EQ(height, 50);
}

TEST(SkinMarkupScanner, RejectsBrokenDocuments) {
    std::vector<Element> elements;
    EXPECT_NE(ParseMarkup("<Window><Label></Window>", elements), "");
    elements.clear();
    EXPECT_NE(ParseMarkup("<Window><Label text=\"x\">", elements), "");
    elements.clear();
    EXPECT_NE(ParseMarkup("<Window a='1' />", elements), "");
    elements.clear();
    EXPECT_NE(ParseMarkup("<A /><B />", elements), "");
    elements.clear();
    EXPECT_EQ(ParseMarkup("\xEF\xBB\xBF<?xml?><!-- c --><W a=\"&quot;x&quot;\"b=\"2\"/>", elements),
              "");
    ASSERT_EQ(elements.size(), 1u);
    EXPECT_EQ(elements[0].AttrOr("a"), "\"x\"");
    EXPECT_EQ(elements[0].AttrOr("b"), "2");
}

TEST(SkinMarkupScanner, ImageAndAttributeListSyntax) {
    std::map<std::string, std::string> keys;
    EXPECT_TRUE(ParseImageDescription("file='a.png' source='1,2,3,4'", keys));
    EXPECT_EQ(keys["source"], "1,2,3,4");
    keys.clear();
    EXPECT_FALSE(ParseImageDescription("file='a.png'source='1,2,3,4'", keys));
    std::vector<std::pair<std::string, std::string>> pairs;
    EXPECT_TRUE(ParseAttributeList("a=\"1\" b=\"x y\"", pairs));
    EXPECT_EQ(pairs.size(), 2u);
    pairs.clear();
    EXPECT_FALSE(ParseAttributeList("a=\"1\"  b=\"2\"", pairs));
    pairs.clear();
    EXPECT_FALSE(ParseAttributeList("a=\"1\"b=\"2\"", pairs));
}

} // namespace
