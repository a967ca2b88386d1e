// When the window starts a camera again or restarts it, and what it tells
// the user meanwhile, from what it sees of the camera over time.
#include <gtest/gtest.h>

#include <vector>

#include "app/CameraWatch.h"

namespace {

constexpr int32_t kInUse = static_cast<int32_t>(0x800705AA);
constexpr int32_t kDenied = static_cast<int32_t>(0x80070005);
const int kCamera = 0;
const int kOtherCamera = 0;

using Step = CameraWatch::Step;

// A camera seen every 250 ms, as the window's timer sees it.
struct Watched {
    CameraWatch watch;
    CameraWatch::Look look{&kCamera, true, 0, 0};
    uint64_t now = 1000;

    // The window's first look at the camera, at `now`.
    Step Start() { return watch.Observe(look, now); }
    Step Tick() {
        now += 250;
        return watch.Observe(look, now);
    }
    // The moments (ms after the first) of every step of kind `step` in `ms`.
    std::vector<uint64_t> StepsWithin(uint64_t ms, Step step) {
        std::vector<uint64_t> at;
        const uint64_t start = now;
        while (now - start < ms) {
            if (Tick() == step) {
                at.push_back(now - start);
            }
        }
        return at;
    }
};

} // namespace

TEST(CameraWatchStartFailures, TheCauseIsToldAndTheStartTriedAgainEveryOneAndAHalfSeconds) {
    for (int32_t result : {kInUse, static_cast<int32_t>(0x8007001F), kDenied,
                           static_cast<int32_t>(0x80004005), int32_t{1}}) {
        Watched camera;
        camera.look.running = false;
        camera.look.startResult = result;
        camera.Start();
        const std::vector<uint64_t> tries = camera.StepsWithin(5000, Step::StartAgain);
        EXPECT_EQ(tries, (std::vector<uint64_t>{1500, 3000, 4500})) << std::hex << result;
        EXPECT_EQ(camera.watch.Trouble(),
                  result == kDenied ? CameraTrouble::Denied
                  : result == kInUse || result == static_cast<int32_t>(0x8007001F)
                      ? CameraTrouble::InUse
                      : CameraTrouble::NotStarted)
            << std::hex << result;
        EXPECT_FALSE(camera.watch.HasPicture());
    }
}

TEST(CameraWatchStartFailures, ActivatingTheWindowTriesAtOnceAndAPictureEndsTheTrouble) {
    Watched camera;
    camera.look.running = false;
    camera.look.startResult = kInUse;
    EXPECT_EQ(camera.Tick(), Step::Nothing);
    camera.watch.Hurry(false);
    EXPECT_EQ(camera.Tick(), Step::StartAgain);
    // The other program let go: the graph runs, and the first picture comes.
    camera.look.running = true;
    EXPECT_EQ(camera.Tick(), Step::Nothing);
    EXPECT_EQ(camera.watch.Trouble(), CameraTrouble::None);
    EXPECT_FALSE(camera.watch.HasPicture());
    camera.look.pictures = 1;
    EXPECT_EQ(camera.Tick(), Step::Nothing);
    EXPECT_TRUE(camera.watch.HasPicture());
}

TEST(CameraWatchStartFailures, AHeldCameraIsNotTakenWhileTheWindowIsUnseen) {
    Watched camera;
    camera.look.running = false;
    camera.look.startResult = kInUse;
    camera.Start();
    camera.watch.SetUnseen(true);
    // Minimised or locked: another program that lets go for a moment keeps it.
    EXPECT_TRUE(camera.StepsWithin(10000, Step::StartAgain).empty());
    camera.watch.Hurry(false);
    EXPECT_EQ(camera.Tick(), Step::Nothing);
    // Restored or unlocked: tried at once, then every 1.5 s again.
    camera.watch.SetUnseen(false);
    EXPECT_EQ(camera.Tick(), Step::StartAgain);
    EXPECT_EQ(camera.StepsWithin(3000, Step::StartAgain), (std::vector<uint64_t>{1500, 3000}));
}

TEST(CameraWatchNoPicture, APictureGapOfThreeSecondsRestartsWithWaitsThatDoubleUpToThirty) {
    Watched camera;
    for (int i = 0; i < 8; ++i) {
        ++camera.look.pictures;
        ASSERT_EQ(camera.Tick(), Step::Nothing);
    }
    ASSERT_TRUE(camera.watch.HasPicture());
    // A photo needs a picture soon: after a second without one, none starts.
    for (int i = 0; i < 4; ++i) {
        camera.Tick();
    }
    EXPECT_TRUE(camera.watch.HasPicture());
    camera.Tick();
    EXPECT_FALSE(camera.watch.HasPicture());
    EXPECT_EQ(camera.watch.Trouble(), CameraTrouble::None);
    // The pictures stop for good: restarts 3 s after the last picture (1.25 s
    // of which passed above), then 6, 12, 24, 30 and 30 s apart.
    const std::vector<uint64_t> restarts = camera.StepsWithin(110000, Step::Restart);
    EXPECT_EQ(restarts, (std::vector<uint64_t>{1750, 7750, 19750, 43750, 73750, 103750}));
    EXPECT_EQ(camera.watch.Trouble(), CameraTrouble::NoPicture);
    EXPECT_FALSE(camera.watch.HasPicture());

    // Pictures again: the trouble ends and the next gap starts at 3 s afresh.
    ++camera.look.pictures;
    camera.Tick();
    EXPECT_TRUE(camera.watch.HasPicture());
    EXPECT_EQ(camera.watch.Trouble(), CameraTrouble::None);
    EXPECT_EQ(camera.StepsWithin(10000, Step::Restart), (std::vector<uint64_t>{3000, 9000}));
}

TEST(CameraWatchNoPicture, ACameraThatNeverDeliversIsToldAfterThreeSeconds) {
    Watched camera;
    camera.Start();
    EXPECT_EQ(camera.StepsWithin(2750, Step::Restart), std::vector<uint64_t>{});
    EXPECT_EQ(camera.watch.Trouble(), CameraTrouble::None);
    EXPECT_EQ(camera.Tick(), Step::Restart);
    EXPECT_EQ(camera.watch.Trouble(), CameraTrouble::NoPicture);
    // A restart that fails leaves a camera that does not run: started again.
    camera.look.running = false;
    camera.look.startResult = kInUse;
    // (noticed at the next look, 250 ms on)
    EXPECT_EQ(camera.StepsWithin(3500, Step::StartAgain), (std::vector<uint64_t>{1750, 3250}));
    EXPECT_EQ(camera.watch.Trouble(), CameraTrouble::InUse);
}

TEST(CameraWatchPower, WakingUpRestartsARunningCameraAtOnce) {
    Watched camera;
    ++camera.look.pictures;
    camera.Tick();
    camera.watch.Hurry(true);
    EXPECT_EQ(camera.Tick(), Step::Restart);
    EXPECT_FALSE(camera.watch.HasPicture());
    ++camera.look.pictures;
    EXPECT_EQ(camera.Tick(), Step::Nothing);
    EXPECT_TRUE(camera.watch.HasPicture());
}

TEST(CameraWatchCameras, AnotherCameraOrNoneStartsTheWatchAfresh) {
    Watched camera;
    camera.look.running = false;
    camera.look.startResult = kDenied;
    camera.Tick();
    EXPECT_EQ(camera.watch.Trouble(), CameraTrouble::Denied);
    camera.look.camera = nullptr;
    EXPECT_EQ(camera.Tick(), Step::Nothing);
    EXPECT_EQ(camera.watch.Trouble(), CameraTrouble::None);
    // Another camera that runs: no trouble, and no restart before 3 s.
    camera.look = CameraWatch::Look{&kOtherCamera, true, 0, 40};
    EXPECT_EQ(camera.StepsWithin(2750, Step::Restart), std::vector<uint64_t>{});
    EXPECT_EQ(camera.watch.Trouble(), CameraTrouble::None);
}
