// Reading colours, rectangles, sizes, integers, booleans and default attribute
// lists from skin attribute values.
#include <climits>
#include <cstring>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "ui/AttributeValues.h"

using namespace Ui;

TEST(ParseColor, AcceptsHashAndHexPrefixes) {
    EXPECT_EQ(ParseColor("0xFF00A8E2"), 0xFF00A8E2u);
    EXPECT_EQ(ParseColor("#FFBCBCBC"), 0xFFBCBCBCu);
    EXPECT_EQ(ParseColor("#0xff333435"), 0xFF333435u);
    EXPECT_EQ(ParseColor("FFFFFFFF"), 0xFFFFFFFFu);
}

TEST(ParseColor, MalformedOrOversizedValues) {
    EXPECT_EQ(ParseColor(nullptr), 0u);
    EXPECT_EQ(ParseColor(""), 0u);
    EXPECT_EQ(ParseColor("#"), 0u);
    EXPECT_EQ(ParseColor("red"), 0u);
    EXPECT_EQ(ParseColor("#12zz"), 0x12u);
    // Nine digits do not fit: the value saturates on every platform instead of
    // wrapping to the low 32 bits.
    EXPECT_EQ(ParseColor("100000000"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseColor("#FFFFFFFFFFFFFFFFFFFF0"), 0xFFFFFFFFu);
}

TEST(ParseRect, SkipsExactlyOneSeparatorAfterEachNumber) {
    EXPECT_EQ(ParseRect("1,2,3,4"), (UiRect{1, 2, 3, 4}));
    EXPECT_EQ(ParseRect("10, 0, 0 ,0"), (UiRect{10, 0, 0, 0}));
    EXPECT_EQ(ParseRect("-5,+6,7,8"), (UiRect{-5, 6, 7, 8}));
    // " ,9": the blank after 3 is the one separator, so the last number starts
    // at the comma and reads 0.
    EXPECT_EQ(ParseRect("1,2,3 ,9"), (UiRect{1, 2, 3, 0}));
}

TEST(ParseRect, ShortValuesStopAtTheirEnd) {
    // Each of these would step past the terminating zero if the separator were
    // skipped unconditionally; ASan reports that read.
    const char* shortValues[] = {"", "7", "7,", "7,8", "7,8,9"};
    for (const char* text : shortValues) {
        const std::string copy(text);
        std::unique_ptr<char[]> exact(new char[copy.size() + 1]);
        std::memcpy(exact.get(), copy.c_str(), copy.size() + 1);
        ParseRect(exact.get());
    }
    EXPECT_EQ(ParseRect("7,8"), (UiRect{7, 8, 0, 0}));
    EXPECT_EQ(ParseRect(nullptr), (UiRect{}));
}

TEST(ParseSize, ReadsTwoNumbers) {
    EXPECT_EQ(ParseSize("1308,800"), (UiSize{1308, 800}));
    EXPECT_EQ(ParseSize("0, 150"), (UiSize{0, 150}));
    EXPECT_EQ(ParseSize("42"), (UiSize{42, 0}));
}

TEST(ParseInt, ReadsLikeStrtol) {
    EXPECT_EQ(ParseInt("3,0,0,0"), 3);
    EXPECT_EQ(ParseInt("10, 0, 0 ,0"), 10);
    EXPECT_EQ(ParseInt("  -12px"), -12);
    EXPECT_EQ(ParseInt("+7"), 7);
    EXPECT_EQ(ParseInt("x1"), 0);
    EXPECT_EQ(ParseInt("-"), 0);
    EXPECT_EQ(ParseInt(nullptr), 0);
}

TEST(ParseInt, SaturatesOutOfRangeValues) {
    EXPECT_EQ(ParseInt("2147483647"), INT_MAX);
    EXPECT_EQ(ParseInt("2147483648"), INT_MAX);
    EXPECT_EQ(ParseInt("-2147483648"), INT_MIN);
    EXPECT_EQ(ParseInt("-99999999999999999999999"), INT_MIN);
    EXPECT_EQ(ParseRect("99999999999,1,2,3"), (UiRect{INT_MAX, 1, 2, 3}));
}

TEST(ParseBool, OnlyExactTrue) {
    EXPECT_TRUE(ParseBool("true"));
    EXPECT_FALSE(ParseBool("True"));
    EXPECT_FALSE(ParseBool("true "));
    EXPECT_FALSE(ParseBool("1"));
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

TEST(ParseAttributeList, ReadsPairsSeparatedByOneBlank) {
    EXPECT_EQ(Joined("width=\"16\" thumbnormalimage=\"file='a.png' source='0,0,16,16'\""),
              "width=16;thumbnormalimage=file='a.png' source='0,0,16,16';");
    EXPECT_EQ(Joined("a=\"\" b=\"x y\""), "a=;b=x y;");
    EXPECT_EQ(Joined(""), "");
    EXPECT_EQ(Joined(nullptr), "");
}

TEST(ParseAttributeList, StopsAtFirstViolationKeepingEarlierPairs) {
    EXPECT_EQ(Joined("a=\"1\"  b=\"2\""), "a=1; b=2;"); // the second blank belongs to the name
    EXPECT_EQ(Joined("a=\"1\",b=\"2\""), "a=1;");
    EXPECT_EQ(Joined("a=\"1\"b=\"2\""), "a=1;");
    EXPECT_EQ(Joined("a=\"1\" b= \"2\""), "a=1;");
    EXPECT_EQ(Joined("a=\"1\" b='2'"), "a=1;");
    EXPECT_EQ(Joined("a=\"1\" b=\"unterminated"), "a=1;");
    EXPECT_EQ(Joined("a=\"1\" b"), "a=1;");
    EXPECT_EQ(Joined("a=\"1\" "), "a=1;");
}
