// Words on the preview broken into lines that fit its width, in scripts with
// and without spaces.
#include <gtest/gtest.h>

#include <vector>

#include "preview/MessageLines.h"

namespace {

// Every character 10 wide.
int Width(const std::u16string& text) {
    return static_cast<int>(text.size()) * 10;
}

using Lines = std::vector<std::u16string>;

} // namespace

TEST(MessageLines, SpacedTextBreaksBetweenWordsAndNoLineIsTooWide) {
    const Lines lines = BreakIntoLines(u"The camera is in use by another program.", 120, Width);
    EXPECT_EQ(lines, (Lines{u"The camera", u"is in use by", u"another", u"program."}));
}

TEST(MessageLines, ChineseAndJapaneseBreakBetweenCharactersButNotBeforeClosingMarks) {
    // 摄像头正被其他程序使用。请关闭该程序。 at five characters a line: the full
    // stop stays with the character before it.
    const Lines lines =
        BreakIntoLines(u"\u6444\u50CF\u5934\u6B63\u88AB\u5176\u4ED6\u7A0B\u5E8F\u4F7F\u7528\u3002"
                       u"\u8BF7\u5173\u95ED\u8BE5\u7A0B\u5E8F\u3002",
                       50, Width);
    for (const std::u16string& line : lines) {
        EXPECT_LE(Width(line), 50);
        EXPECT_NE(line.front(), u'\u3002');
    }
    EXPECT_EQ(lines.size(), 4u);
    // Latin words inside Japanese text stay whole.
    const Lines mixed = BreakIntoLines(u"\u8A2D\u5B9A Windows \u306E", 80, Width);
    EXPECT_EQ(mixed, (Lines{u"\u8A2D\u5B9A", u"Windows", u"\u306E"}));
}

TEST(MessageLines, AWordWiderThanTheLineIsCutRatherThanDrawnOutside) {
    const Lines lines = BreakIntoLines(u"Datenschutzeinstellungen von", 80, Width);
    for (const std::u16string& line : lines) {
        EXPECT_LE(Width(line), 80);
    }
    EXPECT_EQ(lines.front(), u"Datensch");
    EXPECT_EQ(lines.back(), u"von");
}
