// Photo and video names: the time stamp's fields, and a number only when the
// plain name is taken.
#include <gtest/gtest.h>

#include <set>

#include "capture/OutputNaming.h"

namespace {

TEST(OutputNamingTest, EveryFieldButTheYearHasTwoDigits) {
    EXPECT_EQ(TimestampFileName({2024, 3, 7, 9, 5, 1}, ".mp4"), "2024-03-07_09-05-01.mp4");
    EXPECT_EQ(TimestampFileName({2026, 12, 31, 23, 59, 58}, ".jpg"), "2026-12-31_23-59-58.jpg");
}

TEST(OutputNamingTest, ATakenNameGetsTheNextFreeNumber) {
    const LocalTimeFields time{2024, 3, 7, 9, 5, 1};
    std::set<std::string> taken;
    const auto exists = [&taken](const std::string& path) { return taken.count(path) > 0; };

    EXPECT_EQ(UniqueOutputPath("C:\\v", time, ".jpg", exists), "C:\\v\\2024-03-07_09-05-01.jpg");
    taken.insert("C:\\v\\2024-03-07_09-05-01.jpg");
    // Another kind of file in the same second keeps the plain name.
    EXPECT_EQ(UniqueOutputPath("C:\\v", time, ".mp4", exists), "C:\\v\\2024-03-07_09-05-01.mp4");
    EXPECT_EQ(UniqueOutputPath("C:\\v", time, ".jpg", exists), "C:\\v\\2024-03-07_09-05-01_2.jpg");
    taken.insert("C:\\v\\2024-03-07_09-05-01_2.jpg");
    EXPECT_EQ(UniqueOutputPath("C:\\v", time, ".jpg", exists), "C:\\v\\2024-03-07_09-05-01_3.jpg");
}

} // namespace
