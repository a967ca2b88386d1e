// Recordings and photos end to end: the synthetic camera and microphone feed
// the capture engine, which writes MP4 files and JPEG photos; the files are
// then read with the host's ffprobe and ffmpeg, as a player would read them.
#include <algorithm>
#include <windows.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

extern "C" {
#include <libavutil/log.h>
}

#include "Core/CameraRegistry.h"
#include "Core/OrvanaCamera.h"
#include "capture/CaptureEngine.h"
#include "capture/MonotonicClock.h"
#include "capture/recording/OutputFile.h"
#include "capture/recording/RecordingFile.h"
#include "capture/recording/RecordingJournal.h"
#include "capture/recording/RecordingJournalEntry.h"
#include "capture/recording/RecordingRepair.h"
#include "preview/LivePreview.h"
#include "tests/support/DirectShowFormats.h"
#include "tests/support/MessagePump.h"
#include "tests/support/SimulatedDisk.h"
#include "tests/win32/CameraTestSupport.h"
#include "tests/win32/EngineTestSupport.h"
#include "tests/win32/MediaProbe.h"
#include "tests/win32/MediaTestEnvironment.h"
#include "tests/win32/MediaTestSupport.h"
#include "tools/testdevices/TestDeviceControl.h"

namespace {

using MediaProbe::Fields;
using MediaProbe::Number;
using MediaProbe::Text;
using TestDevices::Faults;
using TestDevices::VideoFormat;
using TestDevices::VideoSubtype;

using TestSupport::Pump;
using TestSupport::WaitFor;

// How long a test waits for a stopped recording's file to be finished.
constexpr unsigned kFinishWaitMs = 60000;

// Fragment headers a reader still meets in the file: none in an ordinary MP4.
int Fragments(const std::string& name) {
    return std::atoi(MediaProbe::Run("ffprobe -v trace " + MediaProbe::UnixPath(name) +
                                     " 2>&1 | grep -c \"type:'moof'\"")
                         .c_str());
}

CaptureEngine& Engine() {
    return EngineTest::EngineWithPreview("RecordingTestParent");
}

struct Recorded {
    double wallSeconds = 0;  // from the start's return to the stop's call
    double outerSeconds = 0; // from the start's call to the stop's return
    DWORD stopMs = 0;        // how long stopping took
};

class Recording : public ::testing::Test {
protected:
    // The engine records and takes photos on the test's own disk, which
    // goes with the test.
    void SetUp() override {
        Engine().WriteOn(m_disk);
        ASSERT_TRUE(EngineTest::ReadyWithDefaultDevices(Engine()));
    }

    void TearDown() override {
        Engine().StopRecording();
        Engine().WaitForFinishedRecordings(kFinishWaitMs);
        CameraTest::ResetRegistry();
        TestDevices::ResetConfiguration();
    }

    // The synthetic camera (MJPG 640x480 at 30 fps) previewing, and the
    // microphone in the registry unless left out; its clock clockPpm off,
    // named microphoneName when given.
    void OpenDevices(const Faults& cameraFaults = {}, const Faults& microphoneFaults = {},
                     bool withMicrophone = true, int clockPpm = 0,
                     const wchar_t* microphoneName = nullptr) {
        TestDevices::Configuration configuration = TestDevices::DefaultConfiguration();
        configuration.cameras[0].capturePin = {VideoFormat{VideoSubtype::MJPG, 640, 480, 30}};
        configuration.cameras[0].faults = cameraFaults;
        configuration.microphones[0].faults = microphoneFaults;
        configuration.microphones[0].clockPpm = clockPpm;
        if (microphoneName != nullptr) {
            configuration.microphones[0].name = microphoneName;
        }
        if (!withMicrophone) {
            configuration.microphones.clear();
        }
        ASSERT_TRUE(TestDevices::SaveConfiguration(configuration));
        CameraTest::Enumeration found = CameraTest::EnumerateAndMerge();
        CameraRegistry& registry = CameraRegistry::Instance();
        ASSERT_EQ(found.cameraCount, 1);
        ASSERT_EQ(found.microphoneCount, withMicrophone ? 1 : 0);
        registry.SelectCamera(registry.Cameras().front(), nullptr, nullptr);
        ASSERT_TRUE(registry.Cameras().front()->opened);
        const uint64_t decoded = Engine().DecodedFrames();
        ASSERT_TRUE(WaitFor([&] {
            return Engine().DecodedFrames() >= decoded + 5 && Engine().PictureWidth() == 640;
        }));
    }

    // Records into name for about the given time, serving messages meanwhile.
    Recorded Record(const std::string& name, DWORD milliseconds,
                    void (*meanwhile)(CaptureEngine&) = nullptr) {
        Recorded result;
        CaptureEngine& engine = Engine();
        const int64_t calling = MonotonicMicros();
        EXPECT_TRUE(EngineTest::RecordCurrentCamera(engine, MediaProbe::WindowsPath(name)));
        const int64_t started = MonotonicMicros();
        EXPECT_TRUE(engine.IsRecording());
        Pump(milliseconds / 2);
        if (meanwhile != nullptr) {
            meanwhile(engine);
        }
        Pump(milliseconds - milliseconds / 2);
        result.wallSeconds = (MonotonicMicros() - started) / 1e6;
        const DWORD stopping = ::GetTickCount();
        EXPECT_TRUE(engine.StopRecording());
        result.stopMs = ::GetTickCount() - stopping;
        result.outerSeconds = (MonotonicMicros() - calling) / 1e6;
        EXPECT_FALSE(engine.IsRecording());
        EXPECT_FALSE(engine.Recordings().Active());
        EXPECT_TRUE(engine.WaitForFinishedRecordings(kFinishWaitMs));
        return result;
    }

    const std::shared_ptr<SimulatedDisk> m_disk = std::make_shared<SimulatedDisk>();
};

// Points the user's Videos folder at a folder in the scratch folder, made
// now, for as long as it lives.
class VideosFolder {
public:
    explicit VideosFolder(const std::string& name) : m_name(name) {
        const std::wstring folder = WidePath(MediaProbe::WindowsPath(name));
        ::CreateDirectoryW(folder.c_str(), nullptr);
        ::RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                          &m_key, nullptr);
        for (Value& value : m_values) {
            DWORD size = sizeof value.old;
            value.hadOld =
                ::RegQueryValueExW(m_key, value.name, nullptr, &value.oldType,
                                   reinterpret_cast<BYTE*>(value.old), &size) == ERROR_SUCCESS;
            value.oldSize = size;
            ::RegSetValueExW(m_key, value.name, 0, REG_EXPAND_SZ,
                             reinterpret_cast<const BYTE*>(folder.c_str()),
                             static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
        }
    }
    ~VideosFolder() {
        for (const Value& value : m_values) {
            if (value.hadOld) {
                ::RegSetValueExW(m_key, value.name, 0, value.oldType,
                                 reinterpret_cast<const BYTE*>(value.old), value.oldSize);
            } else {
                ::RegDeleteValueW(m_key, value.name);
            }
        }
        ::RegCloseKey(m_key);
    }
    // A name inside it, for MediaProbe.
    std::string operator/(const std::string& name) const { return m_name + "/" + name; }
    // The names of the files in it, or in a folder inside it.
    std::vector<std::string> Files(const std::string& inside = "") const {
        std::vector<std::string> names;
        const std::string folder = inside.empty() ? m_name : m_name + "\\" + inside;
        WIN32_FIND_DATAW found{};
        HANDLE search =
            ::FindFirstFileW(WidePath(MediaProbe::WindowsPath(folder) + "\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) {
            return names;
        }
        do {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                names.push_back(Utf8Path(found.cFileName));
            }
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
        std::sort(names.begin(), names.end());
        return names;
    }
    // Makes a file of a few bytes in it.
    void Put(const std::string& name) const {
        HANDLE file = ::CreateFileW(WidePath(MediaProbe::WindowsPath(m_name + "\\" + name)).c_str(),
                                    GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        ::WriteFile(file, "user", 4, &written, nullptr);
        ::CloseHandle(file);
    }

private:
    static constexpr const wchar_t* kKey =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    struct Value {
        const wchar_t* name;
        bool hadOld = false;
        DWORD oldType = 0;
        DWORD oldSize = 0;
        wchar_t old[MAX_PATH * 2] = {};
    };
    std::string m_name;
    HKEY m_key = nullptr;
    // Windows names the folder's value "My Video", Wine "My Videos".
    Value m_values[2] = {{L"My Video"}, {L"My Videos"}};
};

bool EndsWith(const std::string& text, const std::string& ending) {
    return text.size() >= ending.size() &&
           text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

// The file's video: H.264 in yuv420p at the camera's size, a key frame at
// least every 12 pictures, as long as the recording lasted, every packet
// decodable.
::testing::AssertionResult VideoAsRecorded(const std::string& name, const Fields& video,
                                           const Recorded& recorded) {
    const std::string stream = Text(video, "codec_type") + " " + Text(video, "codec_name") + " " +
                               Text(video, "pix_fmt") + " " + Text(video, "width") + "x" +
                               Text(video, "height");
    if (stream != "video h264 yuv420p 640x480") {
        return ::testing::AssertionFailure() << name << ": " << stream;
    }
    const double start = Number(video, "start_time");
    const double end = start + Number(video, "duration");
    // 5 %, but never less than the few pictures a loaded machine may still
    // hold back at the stop of a short recording.
    const double tolerance = std::max(recorded.wallSeconds * 0.05, 0.2);
    if (start > 0.1 || std::abs(end - recorded.wallSeconds) > tolerance) {
        return ::testing::AssertionFailure()
               << name << ": pictures from " << start << " to " << end << " s of a "
               << recorded.wallSeconds << " s recording";
    }
    const MediaProbe::Gop gop = MediaProbe::VideoGop(name);
    if (gop.keyFrames < 2 || gop.longest > 12) {
        return ::testing::AssertionFailure()
               << name << ": " << gop.keyFrames << " key frames, longest group " << gop.longest;
    }
    const std::string errors = MediaProbe::DecodeErrors(name);
    if (!errors.empty()) {
        return ::testing::AssertionFailure() << name << " does not decode: " << errors;
    }
    return ::testing::AssertionSuccess();
}

void TakePhotoMeanwhile(CaptureEngine& engine) {
    EXPECT_TRUE(engine.TakePhotoTo(MediaProbe::WindowsPath("during.jpg")));
    // What a recording cut off now (the program killed) leaves on disk.
    Pump(600);
    ::CopyFileA(MediaProbe::WindowsPath("both.mp4").c_str(),
                MediaProbe::WindowsPath("cut.mp4").c_str(), FALSE);
}

TEST_F(Recording, PictureAndSoundFollowTheClockAndStartAndEndTogether) {
    OpenDevices();
    const Recorded recorded = Record("both.mp4", 3000, TakePhotoMeanwhile);
    EXPECT_LT(recorded.stopMs, 1000u);
    EXPECT_TRUE(Engine().Recordings().LastFinished().ordinary);
    EXPECT_EQ(Fragments("both.mp4"), 0);
    const std::vector<Fields> streams = MediaProbe::Streams("both.mp4");
    ASSERT_EQ(streams.size(), 2u);
    const Fields& video = streams[0];
    const Fields& sound = streams[1];
    EXPECT_TRUE(VideoAsRecorded("both.mp4", video, recorded));
    // A nominal 30 fps camera gives up to 30 pictures a second (fewer when
    // a busy machine holds the camera up), none counted twice. Pictures that
    // arrive while the start and the stop run count too, and so do the
    // start's picture and the up to three a camera sends at once to catch
    // up after a stall.
    const double pictures = Number(video, "nb_read_packets");
    EXPECT_GE(pictures, 15.0 * recorded.wallSeconds);
    EXPECT_LE(pictures, 30.0 * recorded.outerSeconds + 4);

    EXPECT_EQ(Text(sound, "codec_type"), "audio");
    EXPECT_EQ(Text(sound, "codec_name"), "aac");
    EXPECT_EQ(Number(sound, "sample_rate"), 48000);
    EXPECT_EQ(Number(sound, "channels"), 2);
    const double videoStart = Number(video, "start_time");
    const double soundStart = Number(sound, "start_time");
    EXPECT_NEAR(soundStart, videoStart, 0.1);
    EXPECT_NEAR(soundStart + Number(sound, "duration"), videoStart + Number(video, "duration"),
                0.1);
    // The 1 kHz tone at a quarter of full scale is -15 dB (RMS) at volume 100.
    EXPECT_NEAR(MediaProbe::MeanVolume("both.mp4"), -15.0, 2.0);

    // A recording cut off halfway keeps its first second or so, playable.
    const std::vector<Fields> cut = MediaProbe::Streams("cut.mp4");
    ASSERT_EQ(cut.size(), 2u);
    EXPECT_GE(Number(cut[0], "duration"), 0.9);
    EXPECT_EQ(MediaProbe::DecodeErrors("cut.mp4"), "");

    // The photo taken meanwhile shows the camera's bars at their true levels:
    // the 75 % grey bar at 191, the black bar at 0.
    const std::vector<uint8_t> rgb = MediaProbe::Rgb("during.jpg");
    ASSERT_EQ(rgb.size(), 640u * 480u * 3u);
    const size_t row = 480 * 3 / 8 * 640;
    for (int channel = 0; channel < 3; ++channel) {
        EXPECT_NEAR(rgb[(row + 640 / 16) * 3 + channel], 191, 6) << "grey bar";
        EXPECT_LE(rgb[(row + 640 * 15 / 16) * 3 + channel], 6) << "black bar";
    }
}

void ChangeSizeForAMoment(CaptureEngine& engine) {
    // Three pictures of another size, as after a format switch.
    const std::vector<uint8_t> small =
        MediaTest::Yuy2Halves(320, 240, {16, 128, 128}, {235, 128, 128});
    for (int i = 0; i < 3; ++i) {
        engine.QueueVideoSample(TestSupport::StreamFormatOf("YUY2", 320, 240), 0.0, small.data(),
                                static_cast<int32_t>(small.size()));
        Pump(20);
    }
}

TEST_F(Recording, CameraAtHalfItsRateStillGivesTheTrueDuration) {
    Faults halfRate;
    halfRate.actualFps = 15;
    OpenDevices(halfRate);
    const Recorded recorded = Record("half.mp4", 3000, ChangeSizeForAMoment);
    const std::vector<Fields> streams = MediaProbe::Streams("half.mp4");
    ASSERT_EQ(streams.size(), 2u);
    // Pictures of another size went in scaled to the file's size.
    EXPECT_TRUE(VideoAsRecorded("half.mp4", streams[0], recorded));
    // 15 a second, the start's picture, the three of another size and a
    // catch-up after a stall on top.
    const double pictures = Number(streams[0], "nb_read_packets");
    EXPECT_GE(pictures, 8.0 * recorded.wallSeconds);
    EXPECT_LE(pictures, 15.0 * recorded.outerSeconds + 8);
}

TEST_F(Recording, StopDuringAMicrophoneStallIsPromptAndKeepsWhatWasRecorded) {
    Faults stall;
    stall.stallAfter = 25; // 20 ms buffers: half a second of sound, then nothing
    stall.stallMs = 8000;
    OpenDevices({}, stall);
    const Recorded recorded = Record("stall.mp4", 2000);
    EXPECT_LT(recorded.stopMs, 2000u);
    const std::vector<Fields> streams = MediaProbe::Streams("stall.mp4");
    ASSERT_EQ(streams.size(), 2u);
    EXPECT_TRUE(VideoAsRecorded("stall.mp4", streams[0], recorded));
    EXPECT_GT(Number(streams[1], "duration"), 0.2);
    EXPECT_LT(Number(streams[1], "duration"), 1.0);
    EXPECT_TRUE(Engine().WorkerRunning());
}

// Damaged samples at random moments, several in a row at times and right at
// the start: each is decoded as well as it goes or left out, and the file
// keeps the recording's length because pictures carry their arrival time.
TEST_F(Recording, SamplesDamagedAtRandomLeaveACompleteFileOfTheTrueLength) {
    Faults damaged;
    damaged.randomSeed = 4711;
    damaged.corruptEvery = 5;
    damaged.truncateEvery = 6;
    damaged.zeroLengthEvery = 4;
    OpenDevices(damaged);
    const uint64_t decoded = Engine().DecodedFrames();
    const uint64_t recordedBefore = Engine().RecordedFrames();
    const Recorded recorded = Record("damaged.mp4", 4000);
    EXPECT_LT(recorded.stopMs, 2000u);
    // Half the samples are whole, a quarter never arrive: pictures went on being decoded
    // and recorded all along, not only until the first damaged one.
    EXPECT_GE(Engine().DecodedFrames() - decoded, 6.0 * recorded.wallSeconds);
    EXPECT_GE(Engine().RecordedFrames() - recordedBefore, 6.0 * recorded.wallSeconds);
    EXPECT_TRUE(Engine().WorkerRunning());

    const std::vector<Fields> streams = MediaProbe::Streams("damaged.mp4");
    ASSERT_EQ(streams.size(), 2u);
    const Fields& video = streams[0];
    EXPECT_EQ(Text(video, "codec_name"), "h264");
    EXPECT_EQ(Number(video, "width"), 640);
    EXPECT_EQ(Text(streams[1], "codec_name"), "aac");
    EXPECT_NEAR(Number(video, "start_time") + Number(video, "duration"), recorded.wallSeconds, 0.5);
    EXPECT_GE(Number(video, "nb_read_packets"), 6.0 * recorded.wallSeconds);
    EXPECT_EQ(MediaProbe::DecodeErrors("damaged.mp4"), "");
}

// A microphone whose clock runs fast or slow by ORVANA_DRIFT_PPM (default
// 1 %, far beyond real ones, so that a short recording shows it), the fast
// one also held up for 300 ms with its sound delivered late at once: the
// sound's length matches the picture's duration and its end the picture's
// end, each within 40 ms. The long form: ORVANA_DRIFT_SECONDS=600
// ORVANA_DRIFT_PPM=1500 (README).
class MicrophoneClock : public Recording {
protected:
    void RecordAndCompare(int sign) {
        const char* secondsText = std::getenv("ORVANA_DRIFT_SECONDS");
        const char* ppmText = std::getenv("ORVANA_DRIFT_PPM");
        const DWORD seconds = secondsText != nullptr ? std::atoi(secondsText) : 12;
        const int clockPpm = sign * (ppmText != nullptr ? std::atoi(ppmText) : 10000);
        Faults stall;
        if (clockPpm > 0) {
            stall.stallAfter = 150; // 3 s of 20 ms buffers
            stall.stallMs = 300;
        }
        OpenDevices({}, stall, true, clockPpm);
        const std::string name = "drift" + std::to_string(clockPpm) + ".mp4";
        const Recorded recorded = Record(name, seconds * 1000);
        const std::vector<Fields> streams = MediaProbe::Streams(name);
        ASSERT_EQ(streams.size(), 2u);
        const double pictureEnd = Number(streams[0], "start_time") + Number(streams[0], "duration");
        const double soundEnd = Number(streams[1], "start_time") + Number(streams[1], "duration");
        const double soundLength = MediaProbe::SoundSamples(name) / 48000.0;
        // The silence that ends the sound fills what was still on its way at
        // the stop.
        std::printf("microphone %+d ppm, %.1f s: picture %.3f s, sound %.3f s long; "
                    "ends: picture %.3f s, sound %.3f s, its last %.3f s silent\n",
                    clockPpm, recorded.wallSeconds, Number(streams[0], "duration"), soundLength,
                    pictureEnd, soundEnd, MediaProbe::TrailingSilence(name));
        EXPECT_NEAR(soundLength, Number(streams[0], "duration"), 0.04);
        EXPECT_NEAR(soundEnd, pictureEnd, 0.04);
    }
};

TEST_F(MicrophoneClock, FastAndHeldUpForAMoment) {
    RecordAndCompare(1);
}

TEST_F(MicrophoneClock, Slow) {
    RecordAndCompare(-1);
}

// Real microphones as the recording meets them: sound handed over in half
// seconds, a microphone that will not start (Windows' privacy settings,
// another program holding it) and one pulled out while it records.
class Microphone : public Recording {
protected:
    // The synthetic devices as OpenDevices leaves them, the microphone changed.
    static void ChangeMicrophone(void (*change)(TestDevices::MicrophoneConfig&)) {
        TestDevices::Configuration configuration = TestDevices::LoadConfiguration();
        ASSERT_EQ(configuration.microphones.size(), 1u);
        change(configuration.microphones[0]);
        ASSERT_TRUE(TestDevices::SaveConfiguration(configuration));
    }

    struct Ends {
        double pictures = 0; // where the pictures end
        double sound = 0;    // where the sound track ends
        double tone = 0;     // where the microphone's own sound ends in it
    };
    static Ends EndsOf(const std::string& name) {
        const std::vector<Fields> streams = MediaProbe::Streams(name);
        Ends ends;
        if (streams.size() != 2u) {
            ADD_FAILURE() << name << " has " << streams.size() << " streams";
            return ends;
        }
        ends.pictures = Number(streams[0], "start_time") + Number(streams[0], "duration");
        ends.sound = Number(streams[1], "start_time") + Number(streams[1], "duration");
        ends.tone = ends.sound - MediaProbe::TrailingSilence(name);
        return ends;
    }
};

// A microphone that hands its sound over in 500 ms buffers (as real ones do
// unless asked for shorter ones) still has its sound up to the stop in the
// file: the sound the user heard last is not cut off.
TEST_F(Microphone, SoundUpToTheStopReachesTheFile) {
    OpenDevices();
    ChangeMicrophone([](TestDevices::MicrophoneConfig& microphone) { microphone.bufferMs = 500; });
    for (const char* name : {"last-words-1.mp4", "last-words-2.mp4"}) {
        SCOPED_TRACE(name);
        Record(name, 2500);
        const Ends ends = EndsOf(name);
        std::printf("microphone of 500 ms buffers: pictures end at %.3f s, sound at %.3f s, "
                    "the microphone's sound at %.3f s\n",
                    ends.pictures, ends.sound, ends.tone);
        EXPECT_NEAR(ends.tone, ends.pictures, 0.06);
        EXPECT_NEAR(ends.sound, ends.pictures, 0.06);
    }
}

// A microphone that refuses to start: the recording goes on with its
// pictures and no sound track (as with no microphone at all), and says why
// while it runs; the next recording after the cause went away has sound.
TEST_F(Microphone, ThatWillNotStartLeavesPicturesAndSaysWhy) {
    OpenDevices();
    CaptureEngine& engine = Engine();
    EXPECT_EQ(engine.WhyNoSound(), MicrophoneProblem::None) << "no recording runs";
    struct Case {
        HRESULT startError;
        MicrophoneProblem problem;
        const char* name;
    };
    static Case current{};
    for (const Case& refusal :
         {Case{E_ACCESSDENIED, MicrophoneProblem::Denied, "denied.mp4"},
          Case{HRESULT_FROM_WIN32(ERROR_NO_SYSTEM_RESOURCES), MicrophoneProblem::InUse,
               "in-use.mp4"},
          Case{HRESULT_FROM_WIN32(ERROR_GEN_FAILURE), MicrophoneProblem::InUse, "held.mp4"},
          Case{E_UNEXPECTED, MicrophoneProblem::Failed, "failed.mp4"},
          Case{S_OK, MicrophoneProblem::None, "freed.mp4"}}) {
        SCOPED_TRACE(refusal.name);
        current = refusal;
        ChangeMicrophone([](TestDevices::MicrophoneConfig& microphone) {
            microphone.startError = current.startError;
        });
        const Recorded recorded = Record(refusal.name, 1500, [](CaptureEngine& running) {
            EXPECT_TRUE(running.IsRecording());
            EXPECT_EQ(running.WhyNoSound(), current.problem);
        });
        EXPECT_EQ(engine.WhyNoSound(), MicrophoneProblem::None) << "after the stop";
        const std::vector<Fields> streams = MediaProbe::Streams(refusal.name);
        ASSERT_EQ(streams.size(), refusal.startError == S_OK ? 2u : 1u);
        EXPECT_TRUE(VideoAsRecorded(refusal.name, streams[0], recorded));
    }
}

// A microphone pulled out while it records: the pictures go on, the sound
// track goes on silent to their end (a whole track, as players and editors
// expect), and the recording says why there is no sound.
TEST_F(Microphone, LostWhileRecordingGoesOnSilentToTheEnd) {
    OpenDevices();
    const Recorded recorded = Record("lost.mp4", 4000, [](CaptureEngine& running) {
        EXPECT_EQ(running.WhyNoSound(), MicrophoneProblem::None);
        ASSERT_TRUE(TestDevices::Unplug(TestDevices::kDefaultMicrophonePath, false));
        EXPECT_TRUE(WaitFor([&] { return running.WhyNoSound() == MicrophoneProblem::Lost; }));
    });
    EXPECT_EQ(Engine().WhyNoSound(), MicrophoneProblem::None) << "after the stop";
    const std::vector<Fields> streams = MediaProbe::Streams("lost.mp4");
    ASSERT_EQ(streams.size(), 2u);
    EXPECT_TRUE(VideoAsRecorded("lost.mp4", streams[0], recorded));
    const Ends ends = EndsOf("lost.mp4");
    EXPECT_NEAR(ends.sound, ends.pictures, 0.06);
    // Its last second is silence; what came before the loss is the tone.
    EXPECT_GE(MediaProbe::TrailingSilence("lost.mp4"), 0.95);
    const double volume = MediaProbe::MeanVolume("lost.mp4");
    EXPECT_GT(volume, -40.0);
    EXPECT_LT(volume, -15.0);
}

// FFmpeg's device string ends a name at a ":"; such a microphone is opened
// by its alternative name and the recording has its sound.
TEST_F(Recording, MicrophoneWithAColonInItsNameIsRecorded) {
    OpenDevices({}, {}, true, 0, L"Microphone Array (USB: Audio)");
    Record("colon.mp4", 1500);
    EXPECT_EQ(MediaProbe::Streams("colon.mp4").size(), 2u);
    EXPECT_NEAR(MediaProbe::MeanVolume("colon.mp4"), -15.0, 2.0);
}

TEST_F(Recording, WithoutAMicrophoneTheFileHasPictureOnly) {
    OpenDevices({}, {}, false);
    const Recorded recorded = Record("silent.mp4", 1500);
    const std::vector<Fields> streams = MediaProbe::Streams("silent.mp4");
    ASSERT_EQ(streams.size(), 1u);
    EXPECT_TRUE(VideoAsRecorded("silent.mp4", streams[0], recorded));
}

// The camera left (or switched) between the start and its first picture:
// the file still has a picture that players can show, not an empty track.
TEST_F(Recording, ARecordingEndedBeforeItsFirstPictureStillHasOne) {
    RecordingFile file;
    ASSERT_TRUE(file.Open(MediaProbe::WindowsPath("no-picture.mp4"), 640, 480, 30, nullptr));
    file.Begin(MonotonicMicros());
    EXPECT_TRUE(file.Finish());
    const std::vector<Fields> streams = MediaProbe::Streams("no-picture.mp4");
    ASSERT_EQ(streams.size(), 1u);
    EXPECT_EQ(Number(streams[0], "nb_read_packets"), 1);
    EXPECT_EQ(MediaProbe::DecodeErrors("no-picture.mp4"), "");
}

// Another program (a backup tool, an indexer) holding the recording open for
// writing keeps the finish from opening it: the file stays fragmented, whole
// and playable, and the next start finishes it. While the recording runs
// others may only read it, so the other program takes it as it is closed.
HANDLE g_heldElsewhere = INVALID_HANDLE_VALUE;

void HoldOpenElsewhere(const std::string& path) {
    if (g_heldElsewhere == INVALID_HANDLE_VALUE) {
        g_heldElsewhere = ::CreateFileW(WidePath(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
}

// A journal of recordings under way of a test's own, kept on its disk and
// emptied with it.
class TestJournal {
public:
    explicit TestJournal(SimulatedDisk& disk) {
        ::CreateDirectoryW(Folder().c_str(), nullptr);
        disk.KeepJournalIn(Folder());
    }
    ~TestJournal() {
        for (const std::string& name : Entries()) {
            ::DeleteFileW(WidePath(MediaProbe::WindowsPath("journal\\" + name)).c_str());
        }
    }
    static std::wstring Folder() { return WidePath(MediaProbe::WindowsPath("journal")); }
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        WIN32_FIND_DATAW found{};
        HANDLE search = ::FindFirstFileW((Folder() + L"\\*.recording").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                names.push_back(Utf8Path(found.cFileName));
            } while (::FindNextFileW(search, &found));
            ::FindClose(search);
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    // The one entry there is.
    RecordingJournalEntry Only() const {
        RecordingJournalEntry entry;
        const std::vector<std::string> names = Entries();
        if (names.size() == 1) {
            ParseJournalEntry(
                TestSupport::WholeFile(MediaProbe::WindowsPath("journal\\" + names[0])), entry);
        }
        return entry;
    }
    void Put(const RecordingJournalEntry& entry) const {
        TestSupport::WriteWholeFile(
            MediaProbe::WindowsPath("journal\\" + JournalEntryFileName(entry.id)),
            FormatJournalEntry(entry));
    }
};

TEST_F(Recording, AFileHeldOpenElsewhereStaysFragmentedAndTheNextStartFinishesIt) {
    const TestJournal journal(*m_disk);
    OpenDevices({}, {}, false);
    const std::string name = "2021-02-03_04-05-06.mp4";
    m_disk->OpenElsewhereOnClose(&HoldOpenElsewhere);
    const Recorded recorded = Record(name, 1500);
    m_disk->OpenElsewhereOnClose(nullptr);
    ASSERT_NE(g_heldElsewhere, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(Engine().Recordings().LastFinished().ordinary);
    EXPECT_TRUE(Engine().Recordings().LastFinished().complete);
    EXPECT_GT(Fragments(name), 0);
    std::vector<Fields> streams = MediaProbe::Streams(name);
    ASSERT_EQ(streams.size(), 1u);
    EXPECT_TRUE(VideoAsRecorded(name, streams[0], recorded));
    // Its entry stays for the next start.
    EXPECT_EQ(journal.Only().path, MediaProbe::WindowsPath(name));
    ::CloseHandle(g_heldElsewhere);

    const std::atomic<bool> running{false};
    EXPECT_EQ(RepairJournaledRecordings(journal.Folder(), running).finished, 1u);
    EXPECT_TRUE(journal.Entries().empty());
    EXPECT_EQ(Fragments(name), 0);
    streams = MediaProbe::Streams(name);
    ASSERT_EQ(streams.size(), 1u);
    EXPECT_TRUE(VideoAsRecorded(name, streams[0], recorded));
    ::DeleteFileA(MediaProbe::WindowsPath(name).c_str());
}

// Two copies of the program recording in the same second, and another
// program's file under the name they chose: the create never opens a file
// that is there but takes the next free number, so every file stays whole;
// when all names of that second are taken, nothing is made.
TEST_F(Recording, ANameTakenAfterItWasChosenIsLeftAloneAndTheNextNumberTaken) {
    OpenDevices({}, {}, false);
    CaptureEngine& engine = Engine();
    const std::string stamp = "2023-04-05_06-07-08";
    const std::string theirs = "another program's file";
    for (const char* extension : {".mp4", ".jpg"}) {
        ASSERT_TRUE(
            TestSupport::WriteWholeFile(MediaProbe::WindowsPath(stamp + extension), theirs));
    }
    // The other copy made its file first, and records on while this one starts.
    RecordingFile other;
    ASSERT_TRUE(other.Open(MediaProbe::WindowsPath(stamp + ".mp4"), 640, 480, 30, nullptr));
    EXPECT_EQ(other.Path(), MediaProbe::WindowsPath(stamp + "_2.mp4"));
    other.Begin(MonotonicMicros());
    ASSERT_TRUE(EngineTest::RecordCurrentCamera(engine, MediaProbe::WindowsPath(stamp + ".mp4")));
    ASSERT_TRUE(engine.TakePhotoTo(MediaProbe::WindowsPath(stamp + ".jpg")));
    ASSERT_TRUE(WaitFor([&] { return !engine.PhotoPending(); }));
    Pump(1000);
    ASSERT_TRUE(engine.StopRecording());
    ASSERT_TRUE(engine.WaitForFinishedRecordings(kFinishWaitMs));
    EXPECT_TRUE(engine.Recordings().LastFinished().ordinary);
    EXPECT_TRUE(other.Finish());

    for (const char* extension : {".mp4", ".jpg"}) {
        EXPECT_TRUE(TestSupport::WholeFile(MediaProbe::WindowsPath(stamp + extension)) == theirs)
            << "the other program's " << extension << " was overwritten";
    }
    EXPECT_EQ(MediaProbe::Streams(stamp + "_2.mp4").size(), 1u);
    EXPECT_EQ(MediaProbe::DecodeErrors(stamp + "_2.mp4"), "");
    const std::vector<Fields> ours = MediaProbe::Streams(stamp + "_3.mp4");
    ASSERT_EQ(ours.size(), 1u);
    EXPECT_GT(Number(ours[0], "nb_read_packets"), 10);
    EXPECT_EQ(MediaProbe::DecodeErrors(stamp + "_3.mp4"), "");
    const std::vector<Fields> photo = MediaProbe::Streams(stamp + "_2.jpg");
    ASSERT_EQ(photo.size(), 1u);
    EXPECT_EQ(Text(photo[0], "codec_name"), "mjpeg");

    // The last number of the second is taken as well: no recording, no
    // photo, and that file keeps its bytes.
    for (const char* extension : {".mp4", ".jpg"}) {
        ASSERT_TRUE(TestSupport::WriteWholeFile(MediaProbe::WindowsPath(stamp + "_999" + extension),
                                                theirs));
    }
    EXPECT_FALSE(
        EngineTest::RecordCurrentCamera(engine, MediaProbe::WindowsPath(stamp + "_999.mp4")));
    EXPECT_FALSE(engine.IsRecording());
    EXPECT_FALSE(engine.TakePhotoTo(MediaProbe::WindowsPath(stamp + "_999.jpg")));
    for (const char* extension : {".mp4", ".jpg"}) {
        EXPECT_TRUE(TestSupport::WholeFile(MediaProbe::WindowsPath(stamp + "_999" + extension)) ==
                    theirs)
            << "the last " << extension << " of the second was overwritten";
    }
}

// The stop only hands the finish to the recording's thread: on a disk as
// slow as a USB stick the window does not wait for it, and a new recording
// and a photo start while the file is still being finished.
TEST_F(Recording, StopReturnsAtOnceAndTheNextRecordingStartsWhileTheFileIsFinished) {
    OpenDevices();
    CaptureEngine& engine = Engine();
    // The finish flushes four times: six seconds on this disk.
    m_disk->SlowFlush(1500);
    ASSERT_TRUE(EngineTest::RecordCurrentCamera(engine, MediaProbe::WindowsPath("slow.mp4")));
    Pump(1000);
    const int64_t stopping = MonotonicMicros();
    EXPECT_TRUE(engine.StopRecording());
    const int64_t stopUs = MonotonicMicros() - stopping;
    // The target is 100 ms; a loaded machine gets some slack, far below the finish.
    EXPECT_LT(stopUs, 1000000) << "the window waited for the finish";
    EXPECT_FALSE(engine.WaitForFinishedRecordings(0));
    ASSERT_TRUE(EngineTest::RecordCurrentCamera(engine, MediaProbe::WindowsPath("next.mp4")));
    ASSERT_TRUE(engine.TakePhotoTo(MediaProbe::WindowsPath("meanwhile.jpg")));
    ASSERT_TRUE(WaitFor([&] { return !engine.PhotoPending(); }));
    EXPECT_TRUE(MediaProbe::Exists("meanwhile.jpg"));
    EXPECT_FALSE(engine.WaitForFinishedRecordings(0))
        << "the photo and the new recording waited for the finish";
    m_disk->SlowFlush(0);
    Pump(1000);
    engine.StopRecording();
    ASSERT_TRUE(engine.WaitForFinishedRecordings(kFinishWaitMs));
    for (const char* name : {"slow.mp4", "next.mp4"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Fragments(name), 0);
        EXPECT_EQ(MediaProbe::Streams(name).size(), 2u);
        EXPECT_EQ(MediaProbe::DecodeErrors(name), "");
    }
}

TEST_F(Recording, UnwritableFolderRefusesTheStartAndLeavesNothingOpen) {
    OpenDevices();
    CaptureEngine& engine = Engine();
    EXPECT_FALSE(
        EngineTest::RecordCurrentCamera(engine, MediaProbe::WindowsPath("missing\\a.mp4")));
    EXPECT_FALSE(engine.IsRecording());
    EXPECT_FALSE(engine.Recordings().Active());
    EXPECT_FALSE(engine.TakePhotoTo(MediaProbe::WindowsPath("missing\\a.jpg")));
    EXPECT_FALSE(engine.PhotoPending());
    // The microphone was let go: the next recording has it again, at the
    // volume set meanwhile (half: 6 dB below the tone's -15 dB).
    engine.SetRecordingVolume(50);
    Record("after.mp4", 1000);
    engine.SetRecordingVolume(100);
    EXPECT_EQ(MediaProbe::Streams("after.mp4").size(), 2u);
    EXPECT_NEAR(MediaProbe::MeanVolume("after.mp4"), -21.0, 2.0);
}

// A user name in letters the ANSI code page cannot hold (Polish and Chinese
// on an English system) names the Videos folder.
TEST_F(Recording, VideosFolderOutsideTheCodePageTakesRecordingsAndPhotos) {
    const VideosFolder videos("Łódź_视频");
    OpenDevices({}, {}, false);
    CaptureEngine& engine = Engine();
    ASSERT_TRUE(EngineTest::RecordCurrentCamera(engine));
    // Two photos meanwhile, most likely in one second: two files all the same.
    for (int photo = 0; photo < 2; ++photo) {
        ASSERT_TRUE(engine.TakePhoto());
        ASSERT_TRUE(WaitFor([&] { return !engine.PhotoPending(); }));
    }
    Pump(1000);
    ASSERT_TRUE(engine.StopRecording());
    ASSERT_TRUE(engine.WaitForFinishedRecordings(kFinishWaitMs));
    EXPECT_TRUE(engine.Recordings().LastFinished().ordinary);
    std::vector<std::string> photos;
    std::vector<std::string> recordings;
    for (const std::string& name : videos.Files("OrvanaCapture")) {
        (EndsWith(name, ".jpg") ? photos : recordings).push_back(name);
    }
    EXPECT_EQ(photos.size(), 2u);
    ASSERT_EQ(recordings.size(), 1u);
    ASSERT_TRUE(EndsWith(recordings[0], ".mp4"));
    const std::vector<Fields> streams =
        MediaProbe::Streams(videos / "OrvanaCapture/" + recordings[0]);
    ASSERT_EQ(streams.size(), 1u);
    EXPECT_EQ(Number(streams[0], "width"), 640);
    EXPECT_EQ(Number(streams[0], "height"), 480);
}

// The next start finishes what the journal names and what carries the
// entry's mark, nothing else: recordings go into the Videos folder itself
// where "OrvanaCapture" cannot be made, among the user's own files, and a
// fragmented MP4 of another program named like ours stays byte for byte as
// it was. A file kept online only is not opened; its entry waits, as does
// the entry of a file on a drive that is away, and a recording that another
// running copy still writes is left alone.
RecordingJournalEntry g_killedEntry;

void CopyWhileRecorded(CaptureEngine&) {
    // What a recording cut off now (the program killed) leaves on disk,
    // its last fragment most likely cut in the middle, and its entry.
    Pump(700);
    ::CopyFileA(MediaProbe::WindowsPath("source.mp4").c_str(),
                MediaProbe::WindowsPath("killed.mp4").c_str(), FALSE);
    WIN32_FIND_DATAW found{};
    const std::wstring journal = TestJournal::Folder();
    HANDLE search = ::FindFirstFileW((journal + L"\\*.recording").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        ParseJournalEntry(TestSupport::WholeFile(journal + L"\\" + found.cFileName), g_killedEntry);
        ::FindClose(search);
    }
}

TEST_F(Recording, TheNextStartFinishesOnlyTheRecordingsTheJournalNamesAndMarks) {
    const TestJournal journal(*m_disk);
    OpenDevices({}, {}, false);
    // New recordings never take a name that exists: another test's source goes first.
    ::DeleteFileA(MediaProbe::WindowsPath("source.mp4").c_str());
    Record("source.mp4", 1500, CopyWhileRecorded);
    ASSERT_EQ(g_killedEntry.path, MediaProbe::WindowsPath("source.mp4"));
    EXPECT_TRUE(journal.Entries().empty()) << "the finished recording's entry stayed";
    const std::string killed = TestSupport::WholeFile(MediaProbe::WindowsPath("killed.mp4"));
    ASSERT_GT(Fragments("killed.mp4"), 0);

    const VideosFolder videos("videos");
    ::CreateDirectoryW(WidePath(MediaProbe::WindowsPath(videos / "OrvanaCapture")).c_str(),
                       nullptr);
    const auto put = [&](const std::string& name, const std::string& bytes) {
        TestSupport::WriteWholeFile(WidePath(MediaProbe::WindowsPath(videos / name)), bytes);
    };
    const auto bytesOf = [&](const std::string& name) {
        return TestSupport::WholeFile(WidePath(MediaProbe::WindowsPath(videos / name)));
    };
    // Our killed recording, named in the journal; the same file under the
    // user's own name; another program's fragmented MP4s, named like ours,
    // one of them where the journal names a recording of ours that is gone.
    const std::string ours = "OrvanaCapture/2020-01-01_00-00-00_2.mp4";
    put(ours, killed);
    put("holiday.mp4", killed);
    MediaProbe::Run("ffmpeg -v error -y -f lavfi -i testsrc=size=160x120:rate=30 -t 1 "
                    "-c:v libx264 -g 12 -movflags frag_keyframe+empty_moov " +
                    MediaProbe::UnixPath(videos / "2020-01-01_00-00-01.mp4") + " && cp " +
                    MediaProbe::UnixPath(videos / "2020-01-01_00-00-01.mp4") + " " +
                    MediaProbe::UnixPath(videos / "OrvanaCapture/2020-01-01_00-00-03.mp4"));
    const std::string foreign = bytesOf("2020-01-01_00-00-01.mp4");
    ASSERT_GT(foreign.size(), 1000u);
    journal.Put({g_killedEntry.id, MediaProbe::WindowsPath(videos / ours)});
    const RecordingJournalEntry gone{NewRecordingId(),
                                     MediaProbe::WindowsPath(videos / "2020-01-01_00-00-01.mp4")};
    journal.Put(gone);
    const RecordingJournalEntry away{NewRecordingId(),
                                     "Q:\\OrvanaCapture\\2020-01-01_00-00-04.mp4"};
    journal.Put(away);
    // An entry a power cut left half written.
    TestSupport::WriteWholeFile(
        MediaProbe::WindowsPath("journal\\" + JournalEntryFileName(NewRecordingId())),
        FormatJournalEntry(gone).substr(0, 20));
    // The entry of a recording that another copy of the program is writing.
    const RecordingJournalEntry running{NewRecordingId(),
                                        MediaProbe::WindowsPath(videos / "holiday.mp4")};
    journal.Put(running);
    HANDLE held = ::CreateFileW(
        (journal.Folder() + L"\\" + WidePath(JournalEntryFileName(running.id))).c_str(),
        GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    // First start: our recording is kept online only.
    const std::wstring oursPath = WidePath(MediaProbe::WindowsPath(videos / ours));
    m_disk->SetAttributes(oursPath, FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_ARCHIVE);
    const std::atomic<bool> stop{false};
    RepairCounts counts = RepairJournaledRecordings(journal.Folder(), stop, *m_disk);
    m_disk->SetAttributes(oursPath, 0);
    EXPECT_EQ(counts.finished, 0u);
    // The entry whose name another program's file has now, and the half one.
    EXPECT_EQ(counts.removed, 2u);
    EXPECT_EQ(counts.unreachable, 2u);
    EXPECT_EQ(counts.inUse, 1u);
    EXPECT_TRUE(bytesOf(ours) == killed) << "a file kept online only was changed";
    EXPECT_EQ(journal.Entries().size(), 3u);

    // Next start: it is here now.
    RecordingRepair repair(m_disk);
    repair.Start();
    ASSERT_TRUE(WaitFor([&] { return repair.Done(); }, 20000));
    EXPECT_EQ(repair.Repaired(), 1u);
    EXPECT_EQ(Fragments(videos / ours), 0);
    EXPECT_EQ(MediaProbe::DecodeErrors(videos / ours), "");
    EXPECT_EQ(MediaProbe::Streams(videos / ours).size(), 1u);
    EXPECT_TRUE(bytesOf("holiday.mp4") == killed) << "the user's own file was changed";
    EXPECT_TRUE(bytesOf("2020-01-01_00-00-01.mp4") == foreign) << "another program's file changed";
    EXPECT_TRUE(bytesOf("OrvanaCapture/2020-01-01_00-00-03.mp4") == foreign)
        << "another program's file changed";
    std::vector<std::string> expectedLeft = {JournalEntryFileName(away.id),
                                             JournalEntryFileName(running.id)};
    std::sort(expectedLeft.begin(), expectedLeft.end()); // as Entries lists them
    EXPECT_EQ(journal.Entries(), expectedLeft);
    ::CloseHandle(held);
    EXPECT_EQ(videos.Files().size(), 2u);
    EXPECT_EQ(videos.Files("OrvanaCapture").size(), 2u);
}

// Closing the window waits for the start-up repair a bounded time, whatever
// the repair is doing: here a finish whose flushes a stalled disk holds up
// for seconds. The finish stopped halfway is resumed by the next start.
TEST_F(Recording, TheRepairLetsGoWithinABoundedWaitWhileADiskStallsItsFinish) {
    const TestJournal journal(*m_disk);
    OpenDevices({}, {}, false);
    // New recordings never take a name that exists: another test's source goes first.
    ::DeleteFileA(MediaProbe::WindowsPath("source.mp4").c_str());
    Record("source.mp4", 1500, CopyWhileRecorded);
    const std::string name = "stalled.mp4";
    ASSERT_TRUE(::CopyFileA(MediaProbe::WindowsPath("killed.mp4").c_str(),
                            MediaProbe::WindowsPath(name).c_str(), FALSE));
    journal.Put({g_killedEntry.id, MediaProbe::WindowsPath(name)});

    m_disk->SlowFlush(4000);
    RecordingRepair repair(m_disk);
    repair.Start();
    Pump(500); // into the finish's first flush
    const int64_t stopping = MonotonicMicros();
    EXPECT_FALSE(repair.Stop(300));
    EXPECT_LT(MonotonicMicros() - stopping, 800000) << "the window waited for the repair";
    // The thread, let go of, ends on its own once the disk answers.
    ASSERT_TRUE(WaitFor([&] { return repair.Done(); }, 20000));
    m_disk->SlowFlush(0);
    EXPECT_GT(MediaProbe::Streams(name).size(), 0u);
    EXPECT_EQ(journal.Entries().size(), 1u);

    const std::atomic<bool> running{false};
    EXPECT_EQ(RepairJournaledRecordings(journal.Folder(), running).finished, 1u);
    EXPECT_EQ(Fragments(name), 0);
    EXPECT_EQ(MediaProbe::DecodeErrors(name), "");
    EXPECT_TRUE(journal.Entries().empty());
}

// A write that fails (a full disk, a drive pulled out) and free space below
// the reserve each end the recording as a stop would, with the file whole
// as far as it was written.
TEST_F(Recording, ADiskThatFillsEndsTheRecordingAsAStopWould) {
    OpenDevices();
    CaptureEngine& engine = Engine();
    struct Case {
        const char* name;
        int64_t writableBytes;
        int64_t freeBytes;
    };
    for (const Case& disk : {Case{"full.mp4", 0, -1}, Case{"low.mp4", -1, 60LL << 20}}) {
        SCOPED_TRACE(disk.name);
        ASSERT_TRUE(EngineTest::RecordCurrentCamera(engine, MediaProbe::WindowsPath(disk.name)));
        const int64_t started = MonotonicMicros();
        Pump(1200);
        m_disk->Fill(disk.writableBytes, disk.freeBytes);
        const double faulted = (MonotonicMicros() - started) / 1e6;
        EXPECT_TRUE(WaitFor([&] { return engine.RecordingEndedByItself(); }));
        if (disk.writableBytes == 0) {
            // A photo on that disk leaves no broken file.
            const uint64_t photos = engine.PhotosWritten();
            ASSERT_TRUE(engine.TakePhotoTo(MediaProbe::WindowsPath("full.jpg")));
            ASSERT_TRUE(WaitFor([&] { return !engine.PhotoPending(); }));
            EXPECT_EQ(engine.PhotosWritten(), photos);
            EXPECT_FALSE(MediaProbe::Exists("full.jpg"));
        }
        engine.StopRecording();
        m_disk->Fill(-1, -1);
        const std::vector<Fields> streams = MediaProbe::Streams(disk.name);
        ASSERT_EQ(streams.size(), 2u);
        const double duration = Number(streams[0], "start_time") + Number(streams[0], "duration");
        EXPECT_GT(duration, 0.6);
        // Nothing from after the fault but the fragment in hand (0.4 s).
        EXPECT_LT(duration, faulted + 1.2);
        EXPECT_EQ(MediaProbe::DecodeErrors(disk.name), "");
    }
    // A disk that is nearly full refuses the start, as an unwritable folder does.
    m_disk->Fill(-1, 60LL << 20);
    EXPECT_FALSE(EngineTest::RecordCurrentCamera(engine, MediaProbe::WindowsPath("refused.mp4")));
    EXPECT_FALSE(engine.IsRecording());
    EXPECT_FALSE(MediaProbe::Exists("refused.mp4"));
}

// Antivirus scans, USB sticks, network folders and flash cleaning up stall
// writes for a second and more: the recording rides them out without losing
// a picture, and its file still reaches the disk every second or two.
TEST_F(Recording, ADiskStallingASecondInThreeLosesNoPicture) {
    OpenDevices();
    m_disk->Stall(1000, 3000);
    const Recorded recorded = Record("stalling.mp4", 20000);
    const int64_t longestUnflushedUs = m_disk->LongestFlushGapMicros();
    m_disk->Stall(0, 0);
    std::printf("%.1f s recorded: %llu pictures, %llu dropped, %.2f s longest unflushed\n",
                recorded.wallSeconds,
                static_cast<unsigned long long>(Engine().Recordings().LastPictures()),
                static_cast<unsigned long long>(Engine().Recordings().LastDroppedPictures()),
                longestUnflushedUs / 1e6);
    std::fflush(stdout);
    // Written straight to such a disk, a third of the pictures were lost.
    // None is on a quiet machine; on a busy one the encoder, which yields
    // to the preview, may fall behind now and then on its own.
    const uint64_t dropped = Engine().Recordings().LastDroppedPictures();
    EXPECT_LE(dropped, Engine().Recordings().LastPictures() / 20);
    EXPECT_LT(recorded.stopMs, 1000u);
    // A flush every second, held up by a stall at most.
    EXPECT_LT(longestUnflushedUs, 2500000);
    EXPECT_TRUE(Engine().Recordings().LastFinished().ordinary);
    const std::vector<Fields> streams = MediaProbe::Streams("stalling.mp4");
    ASSERT_EQ(streams.size(), 2u);
    EXPECT_TRUE(VideoAsRecorded("stalling.mp4", streams[0], recorded));
    EXPECT_EQ(Number(streams[0], "nb_read_packets"),
              static_cast<double>(Engine().Recordings().LastPictures()));
    EXPECT_GE(Number(streams[0], "nb_read_packets"), 15.0 * recorded.wallSeconds);
}

// On FAT32 (SD cards, many USB sticks) a file stops at 4 GiB - 1: before a
// recording's file would pass what its volume allows, with room left for its
// index, the recording goes on in a new file named for that moment. Both are
// ordinary MP4 files, the second beginning where the first ends, nothing
// lost between them, and the window is told.
TEST_F(Recording, AFileAtItsVolumesSizeLimitGoesOnInANewFileLosingNothing) {
    const VideosFolder videos("fat32");
    OpenDevices();
    CaptureEngine& engine = Engine();
    constexpr int64_t kLimit = 120 * 1024;
    m_disk->LimitFileSize(kLimit);
    ASSERT_TRUE(EngineTest::RecordCurrentCamera(engine));
    const int64_t started = MonotonicMicros();
    std::vector<std::string> told;
    bool endedByItself = false;
    for (int tick = 0; tick < 40; ++tick) {
        Pump(200);
        std::string path;
        if (engine.TakeRecordingContinuation(&path)) {
            told.push_back(path);
        }
        endedByItself = endedByItself || engine.RecordingEndedByItself();
    }
    EXPECT_FALSE(endedByItself) << "the file met the limit";
    Recorded recorded;
    recorded.wallSeconds = (MonotonicMicros() - started) / 1e6;
    ASSERT_TRUE(engine.StopRecording());
    ASSERT_TRUE(engine.WaitForFinishedRecordings(kFinishWaitMs));
    std::printf("%.1f s recorded: %llu pictures, %llu dropped\n", recorded.wallSeconds,
                static_cast<unsigned long long>(engine.Recordings().LastPictures()),
                static_cast<unsigned long long>(engine.Recordings().LastDroppedPictures()));

    const std::vector<std::string> files = videos.Files("OrvanaCapture");
    ASSERT_GE(files.size(), 2u);
    ASSERT_EQ(told.size(), files.size() - 1);
    double pictures = 0;
    double pictureSeconds = 0;
    double soundSeconds = 0;
    for (size_t index = 0; index < files.size(); ++index) {
        const std::string name = videos / "OrvanaCapture/" + files[index];
        SCOPED_TRACE(name);
        if (index > 0) {
            EXPECT_TRUE(EndsWith(told[index - 1], files[index]));
        }
        EXPECT_LE(OutputFileSize(MediaProbe::WindowsPath(name)), kLimit);
        EXPECT_EQ(Fragments(name), 0);
        EXPECT_EQ(MediaProbe::DecodeErrors(name), "");
        const std::vector<Fields> streams = MediaProbe::Streams(name);
        ASSERT_EQ(streams.size(), 2u);
        // Each file's picture and sound begin at its start and end together.
        const double videoEnd = Number(streams[0], "start_time") + Number(streams[0], "duration");
        const double soundEnd = Number(streams[1], "start_time") + Number(streams[1], "duration");
        EXPECT_LT(Number(streams[0], "start_time"), 0.15);
        EXPECT_LT(Number(streams[1], "start_time"), 0.05);
        EXPECT_NEAR(soundEnd, videoEnd, 0.1);
        pictures += Number(streams[0], "nb_read_packets");
        pictureSeconds += videoEnd;
        soundSeconds += MediaProbe::SoundSamples(name) / 48000.0;
    }
    // Every picture written is in one of the files, and together they last
    // as long as the recording did, with sound all along.
    EXPECT_EQ(pictures, static_cast<double>(engine.Recordings().LastPictures()));
    EXPECT_NEAR(pictureSeconds, recorded.wallSeconds, 0.3);
    EXPECT_NEAR(soundSeconds, pictureSeconds, 0.05 * files.size());
}

// Photos are fed exact pictures, without a camera: black and white halves.
TEST_F(Recording, PhotoIsAFullRangeJpegOfTheNextPictureAtItsOwnSize) {
    CaptureEngine& engine = Engine();
    auto feed = [&](int width, int height) {
        const std::vector<uint8_t> halves =
            MediaTest::Yuy2Halves(width, height, {16, 128, 128}, {235, 128, 128});
        const uint64_t before = engine.PhotosWritten();
        engine.QueueVideoSample(TestSupport::StreamFormatOf("YUY2", width, height), 0.0,
                                halves.data(), static_cast<int32_t>(halves.size()));
        return WaitFor([&] { return engine.PhotosWritten() > before; });
    };
    // Samples the closed camera left in the queue go first.
    ASSERT_TRUE(WaitFor([&] { return engine.QueuedItems() == 0; }));
    Pump(50);
    // The engine last saw another size; the photo takes the picture's own.
    ASSERT_TRUE(engine.TakePhotoTo(MediaProbe::WindowsPath("first.jpg")));
    EXPECT_TRUE(engine.PhotoPending());
    ASSERT_TRUE(feed(320, 240));
    EXPECT_FALSE(engine.PhotoPending());
    ASSERT_TRUE(engine.TakePhotoTo(MediaProbe::WindowsPath("second.jpg")));
    ASSERT_TRUE(feed(640, 360));

    struct Expected {
        const char* name;
        int width, height;
    };
    for (const Expected& photo :
         {Expected{"first.jpg", 320, 240}, Expected{"second.jpg", 640, 360}}) {
        SCOPED_TRACE(photo.name);
        const std::vector<Fields> streams = MediaProbe::Streams(photo.name);
        ASSERT_EQ(streams.size(), 1u);
        EXPECT_EQ(Text(streams[0], "codec_name"), "mjpeg");
        EXPECT_EQ(Number(streams[0], "width"), photo.width);
        EXPECT_EQ(Number(streams[0], "height"), photo.height);
        const std::vector<uint8_t> rgb = MediaProbe::Rgb(photo.name);
        ASSERT_EQ(rgb.size(), static_cast<size_t>(photo.width) * photo.height * 3);
        const size_t middle = static_cast<size_t>(photo.height / 2) * photo.width;
        for (int channel = 0; channel < 3; ++channel) {
            EXPECT_LE(rgb[(middle + photo.width / 4) * 3 + channel], 4) << "black half";
            EXPECT_GE(rgb[(middle + photo.width * 3 / 4) * 3 + channel], 251) << "white half";
        }
    }
    // A photo asked for and given up to a newer one leaves no empty file.
    ASSERT_TRUE(engine.TakePhotoTo(MediaProbe::WindowsPath("dropped.jpg")));
    ASSERT_TRUE(engine.TakePhotoTo(MediaProbe::WindowsPath("kept.jpg")));
    EXPECT_FALSE(MediaProbe::Exists("dropped.jpg"));
    // Until its picture comes, a photo has no file, not even an empty one.
    EXPECT_FALSE(MediaProbe::Exists("kept.jpg"));
    ASSERT_TRUE(feed(320, 240));
    EXPECT_TRUE(MediaProbe::Exists("kept.jpg"));
}

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new MediaTestEnvironment());

} // namespace
