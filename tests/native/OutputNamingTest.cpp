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

// A name taken between its choice and the create moves on along the same
// numbers; when all of one second are taken there is no name, never one in use.
TEST(OutputNamingTest, TakenNamesMoveOnAndTheLastOneOfASecondEndsTheWalk) {
    const LocalTimeFields time{2024, 3, 7, 9, 5, 1};
    std::set<std::string> taken;
    const auto exists = [&taken](const std::string& path) { return taken.count(path) > 0; };
    std::string walk = UniqueOutputPath("C:\\v", time, ".mp4", exists);
    for (int names = 1; names <= 999; ++names) {
        ASSERT_FALSE(walk.empty()) << names;
        if (names % 97 == 1) { // the check walks all names taken so far
            EXPECT_EQ(UniqueOutputPath("C:\\v", time, ".mp4", exists), walk);
        }
        taken.insert(walk);
        walk = NextOutputPath(walk);
    }
    EXPECT_EQ(walk, "");
    EXPECT_EQ(UniqueOutputPath("C:\\v", time, ".mp4", exists), "")
        << "the plain name would overwrite a file";

    // Names of other shapes: a dot in the folder, no extension, numbers the
    // naming never writes.
    EXPECT_EQ(NextOutputPath("D:\\a.b\\clip"), "D:\\a.b\\clip_2");
    EXPECT_EQ(NextOutputPath("D:/x_1.mp4"), "D:/x_1_2.mp4");
    EXPECT_EQ(NextOutputPath("D:/x_07.jpg"), "D:/x_07_2.jpg");
    EXPECT_EQ(NextOutputPath("D:/x_41.jpg"), "D:/x_42.jpg");
    EXPECT_EQ(NextOutputPath("D:\\_5\\a.jpg"), "D:\\_5\\a_2.jpg");
}

} // namespace
