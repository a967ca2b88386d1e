// Reading image descriptions: bare file names, key='value' pairs and the
// silent stop at the first malformed pair.
#include <gtest/gtest.h>

#include "ui/ImageDescription.h"

using namespace Ui;

TEST(ImageDescription, BareFileNameIsTheWholeText) {
    const ImageDescription d = ParseImageDescription("Orvana\\logo.png");
    EXPECT_EQ(d.file, "Orvana\\logo.png");
    EXPECT_FALSE(d.hasSource);
    EXPECT_FALSE(d.hasDest);
    EXPECT_EQ(d.fade, 255);

    // A name with blanks is kept whole: the first word is no key.
    EXPECT_EQ(ParseImageDescription("my image.png").file, "my image.png");
}

TEST(ImageDescription, ReadsEveryKey) {
    const ImageDescription d = ParseImageDescription(
        "file='Orvana\\property_control.png' source='478,0,523,45' dest='1,2,3,4' "
        "corner='5,6,7,8' mask='#FFFF00FF' fade='128' hole='true' xtiled='true' "
        "ytiled='true' hsl='true' restype='PNG'");
    EXPECT_EQ(d.file, "Orvana\\property_control.png");
    EXPECT_TRUE(d.hasSource);
    EXPECT_EQ(d.source, (UiRect{478, 0, 523, 45}));
    EXPECT_TRUE(d.hasDest);
    EXPECT_EQ(d.dest, (UiRect{1, 2, 3, 4}));
    EXPECT_EQ(d.corner, (UiRect{5, 6, 7, 8}));
    EXPECT_TRUE(d.hasMask);
    EXPECT_EQ(d.mask, 0xFFFF00FFu);
    EXPECT_EQ(d.fade, 128);
    EXPECT_TRUE(d.hole && d.xtiled && d.ytiled && d.hsl);
    EXPECT_EQ(d.resType, "PNG");
    EXPECT_FALSE(d.isColor);
}

TEST(ImageDescription, BlanksAroundEqualsAndScale9Alias) {
    const ImageDescription d = ParseImageDescription("  file = 'a.png'\tscale9='1,1,1,1'");
    EXPECT_EQ(d.file, "a.png");
    EXPECT_EQ(d.corner, (UiRect{1, 1, 1, 1}));
}

TEST(ImageDescription, ColourAndResourceReplaceTheFileName) {
    const ImageDescription colour = ParseImageDescription("color='#FF102030'");
    EXPECT_TRUE(colour.isColor);
    EXPECT_EQ(colour.color, 0xFF102030u);

    const ImageDescription resource = ParseImageDescription("res='LOGO' restype='PNG'");
    EXPECT_EQ(resource.file, "LOGO");
    EXPECT_EQ(resource.resType, "PNG");

    // The later of "color" and "file" decides what is drawn.
    const ImageDescription later = ParseImageDescription("color='#FF000000' file='b.png'");
    EXPECT_FALSE(later.isColor);
    EXPECT_EQ(later.file, "b.png");
}

TEST(ImageDescription, UnknownKeysAndEmptyValuesAreIgnored) {
    // A misspelt "file" leaves the whole text as the file name.
    const char* misspelt = "fiel='a.png'";
    EXPECT_EQ(ParseImageDescription(misspelt).file, misspelt);

    const ImageDescription d = ParseImageDescription("file='' source='' fade='' x='1'");
    EXPECT_EQ(d.file, "file='' source='' fade='' x='1'");
    EXPECT_FALSE(d.hasSource);
    EXPECT_EQ(d.fade, 255);
}

TEST(ImageDescription, StopsAtFirstViolationKeepingWhatItHas) {
    // No blank after the closing quote.
    EXPECT_FALSE(ParseImageDescription("file='a.png'source='1,2,3,4'").hasSource);
    EXPECT_EQ(ParseImageDescription("file='a.png'source='1,2,3,4'").file, "a.png");
    // Double quotes are not accepted.
    EXPECT_FALSE(ParseImageDescription("file='a.png' source=\"1,2,3,4\"").hasSource);
    // An unterminated value is not applied.
    EXPECT_FALSE(ParseImageDescription("file='a.png' source='1,2").hasSource);
    // Trailing blanks end quietly.
    EXPECT_EQ(ParseImageDescription("file='a.png' ").file, "a.png");
}

TEST(ImageDescription, FadeIsLimitedToAByte) {
    EXPECT_EQ(ParseImageDescription("fade='300'").fade, 255);
    EXPECT_EQ(ParseImageDescription("fade='-4'").fade, 0);
    EXPECT_EQ(ParseImageDescription("fade='0'").fade, 0);
}

TEST(ImageDescription, NullAndEmpty) {
    EXPECT_TRUE(ParseImageDescription(nullptr).file.IsEmpty());
    EXPECT_TRUE(ParseImageDescription("").file.IsEmpty());
}
