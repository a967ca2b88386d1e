// Placement of the drop-down window below or above its control.
#include <gtest/gtest.h>

#include "ui/DropDownPlacement.h"

using namespace Ui;

namespace {
const UiRect kCombo{100, 200, 300, 230};
}

TEST(DropDownPlacement, BelowTheControlSizedByItsEntries) {
    EXPECT_EQ(DropDownWindowRect(kCombo, {0, 150}, 90, 1000), (UiRect{100, 230, 300, 324}));
    EXPECT_EQ(DropDownWindowRect(kCombo, {0, 150}, 400, 1000), (UiRect{100, 230, 300, 380}));
    EXPECT_EQ(DropDownWindowRect(kCombo, {250, 150}, 10, 1000).width(), 250);
}

TEST(DropDownPlacement, OpensAboveWhenItWouldPassTheWorkArea) {
    EXPECT_EQ(DropDownWindowRect(kCombo, {0, 150}, 400, 379), (UiRect{100, 50, 300, 200}));
    // Exactly touching the bottom still opens below.
    EXPECT_EQ(DropDownWindowRect(kCombo, {0, 150}, 400, 380).top, 230);
}

TEST(DropDownPlacement, UnsetOrHostileSizes) {
    // Without a drop box height the entries decide.
    EXPECT_EQ(DropDownWindowRect(kCombo, {0, 0}, 90, 1000).height(), 94);
    EXPECT_EQ(DropDownWindowRect(kCombo, {-5, -5}, -90, 1000), (UiRect{100, 230, 300, 230}));
    const UiRect huge = DropDownWindowRect(kCombo, {0, 0}, INT_MAX, INT_MAX);
    EXPECT_GE(huge.bottom, huge.top);
}
