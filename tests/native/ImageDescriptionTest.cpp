// Reading image descriptions: bare file names, key='value' pairs and the
// silent stop at the first malformed pair.
#include <gtest/gtest.h>

#include "ui/ImageDescription.h"

using namespace Ui;

TEST(ImageDescription, BareFileNameIsTheWholeText) {
    EXPECT_EQ(ParseImageDescription("Orvana\\logo.png").file, "Orvana\\logo.png");
    EXPECT_EQ(ParseImageDescription("my image.png").file, "my image.png");
    // A misspelt key leaves the whole text as the file name.
    EXPECT_EQ(ParseImageDescription("fiel='a.png'").file, "fiel='a.png'");
}

TEST(ImageDescription, ReadsEveryKey) {
    const ImageDescription d = ParseImageDescription(
        " file = 'Orvana\\property_control.png'\tsource='478,0,523,45' dest='1,2,3,4' "
        "scale9='5,6,7,8' mask='#FFFF00FF' fade='128' hole='true' xtiled='true' "
        "ytiled='true' hsl='true' restype='PNG'");
    EXPECT_EQ(d.file, "Orvana\\property_control.png");
    EXPECT_TRUE(d.hasSource && d.hasDest && d.hasMask);
    EXPECT_EQ(d.source, (UiRect{478, 0, 523, 45}));
    EXPECT_EQ(d.dest, (UiRect{1, 2, 3, 4}));
    EXPECT_EQ(d.corner, (UiRect{5, 6, 7, 8}));
    EXPECT_EQ(d.mask, 0xFFFF00FFu);
    EXPECT_EQ(d.fade, 128);
    EXPECT_TRUE(d.hole && d.xtiled && d.ytiled && d.hsl);
    EXPECT_EQ(d.resType, "PNG");
}

TEST(ImageDescription, ColourAndResourceReplaceTheFileName) {
    const ImageDescription colour = ParseImageDescription("color='#FF102030'");
    EXPECT_TRUE(colour.isColor);
    EXPECT_EQ(colour.color, 0xFF102030u);
    EXPECT_EQ(ParseImageDescription("res='LOGO' restype='PNG'").file, "LOGO");
    // The later of "color" and "file" decides what is drawn.
    EXPECT_FALSE(ParseImageDescription("color='#FF000000' file='b.png'").isColor);
}

TEST(ImageDescription, EmptyValuesAreIgnored) {
    const ImageDescription d = ParseImageDescription("file='' source='' fade=''");
    EXPECT_EQ(d.file, "file='' source='' fade=''");
    EXPECT_FALSE(d.hasSource);
    EXPECT_EQ(d.fade, 255);
}

TEST(ImageDescription, StopsAtFirstViolationKeepingWhatItHas) {
    const ImageDescription glued = ParseImageDescription("file='a.png'source='1,2,3,4'");
    EXPECT_EQ(glued.file, "a.png");
    EXPECT_FALSE(glued.hasSource);
    EXPECT_FALSE(ParseImageDescription("file='a.png' source=\"1,2,3,4\"").hasSource);
    EXPECT_FALSE(ParseImageDescription("file='a.png' source='1,2").hasSource);
}

TEST(ImageDescription, FadeIsLimitedToAByte) {
    // Not wrapped: 300 would otherwise become 44.
    EXPECT_EQ(ParseImageDescription("fade='300'").fade, 255);
    EXPECT_EQ(ParseImageDescription("fade='-4'").fade, 0);
}
