// Reading colours, rectangles, sizes, integers, booleans and default attribute
// lists from skin attribute values.
#include <climits>
#include <cstring>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "ui/AttributeValues.h"

using namespace Ui;

TEST(ParseColor, PrefixesAndOversizedValues) {
    EXPECT_EQ(ParseColor("0xFF00A8E2"), 0xFF00A8E2u);
    EXPECT_EQ(ParseColor("#FFBCBCBC"), 0xFFBCBCBCu);
    EXPECT_EQ(ParseColor("#12zz"), 0x12u);
    EXPECT_EQ(ParseColor("red"), 0u);
    EXPECT_EQ(ParseColor(nullptr), 0u);
    // Nine digits saturate on every platform instead of keeping the low 32 bits.
    EXPECT_EQ(ParseColor("100000000"), 0xFFFFFFFFu);
}

TEST(ParseRect, SkipsExactlyOneSeparatorAfterEachNumber) {
    EXPECT_EQ(ParseRect("10, 0, 0 ,0"), (UiRect{10, 0, 0, 0}));
    EXPECT_EQ(ParseRect("-5,+6,7,8"), (UiRect{-5, 6, 7, 8}));
    // The blank after 3 is the one separator, so the last number reads 0.
    EXPECT_EQ(ParseRect("1,2,3 ,9"), (UiRect{1, 2, 3, 0}));
    EXPECT_EQ(ParseSize("0, 150"), (UiSize{0, 150}));
}

TEST(ParseRect, ShortValuesAreNotReadPastTheirEnd) {
    // Exact-size copies: skipping a separator past the terminator is an
    // out-of-bounds read that the address sanitizer reports; what is not
    // there reads 0.
    const struct {
        const char* text;
        UiRect rect;
    } cases[] = {{"", {0, 0, 0, 0}},
                 {"7", {7, 0, 0, 0}},
                 {"7,", {7, 0, 0, 0}},
                 {"7,8", {7, 8, 0, 0}},
                 {"7,8,9", {7, 8, 9, 0}}};
    for (const auto& value : cases) {
        const size_t length = std::strlen(value.text) + 1;
        std::unique_ptr<char[]> exact(new char[length]);
        std::memcpy(exact.get(), value.text, length);
        EXPECT_EQ(ParseRect(exact.get()), value.rect) << value.text;
        EXPECT_EQ(ParseSize(exact.get()), (UiSize{value.rect.left, value.rect.top})) << value.text;
    }
}

TEST(ParseInt, ReadsLikeStrtolAndSaturates) {
    EXPECT_EQ(ParseInt("3,0,0,0"), 3);
    EXPECT_EQ(ParseInt("  -12px"), -12);
    EXPECT_EQ(ParseInt("x1"), 0);
    EXPECT_EQ(ParseInt("2147483648"), INT_MAX);
    EXPECT_EQ(ParseInt("-2147483648"), INT_MIN);
    EXPECT_EQ(ParseInt("-99999999999999999999999"), INT_MIN);
    EXPECT_EQ(ParseRect("99999999999,1,2,3").left, INT_MAX);
}

TEST(ParseBool, OnlyExactTrue) {
    EXPECT_TRUE(ParseBool("true"));
    EXPECT_FALSE(ParseBool("True"));
    EXPECT_FALSE(ParseBool("true "));
    EXPECT_FALSE(ParseBool(nullptr));
}

namespace {
std::string Joined(const char* list) {
    std::string out;
    for (const auto& pair : ParseAttributeList(list)) {
        out += pair.first.Str() + "=" + pair.second.Str() + ";";
    }
    return out;
}
} // namespace

TEST(ParseAttributeList, PairsSeparatedByOneBlank) {
    EXPECT_EQ(Joined("width=\"16\" thumbnormalimage=\"file='a.png' source='0,0,16,16'\""),
              "width=16;thumbnormalimage=file='a.png' source='0,0,16,16';");
    EXPECT_EQ(Joined("a=\"\" b=\"x y\""), "a=;b=x y;");
    // A second blank becomes part of the next name.
    EXPECT_EQ(Joined("a=\"1\"  b=\"2\""), "a=1; b=2;");
}

TEST(ParseAttributeList, StopsAtFirstViolationKeepingEarlierPairs) {
    for (const char* list : {"a=\"1\",b=\"2\"", "a=\"1\"b=\"2\"", "a=\"1\" b= \"2\"",
                             "a=\"1\" b='2'", "a=\"1\" b=\"open", "a=\"1\" b", "a=\"1\" "}) {
        EXPECT_EQ(Joined(list), "a=1;") << list;
    }
    EXPECT_EQ(Joined(nullptr), "");
}
