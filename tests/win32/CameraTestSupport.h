// Helpers shared by the device-layer tests: configuring the synthetic test
// devices, enumerating them into the registry and collecting camera samples.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "Core/CameraRegistry.h"
#include "Core/OrvanaAudio.h"
#include "Core/OrvanaCamera.h"
#include "tools/testdevices/TestDeviceControl.h"

namespace CameraTest {

using TestDevices::CameraConfig;
using TestDevices::Configuration;
using TestDevices::VideoFormat;
using TestDevices::VideoSubtype;

inline std::wstring PathOf(int n) {
    return L"\\\\?\\root#orvana_test_camera#" + std::to_wstring(1000 + n) +
           L"#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";
}

inline CameraConfig Camera(int n, std::vector<VideoFormat> capturePin) {
    CameraConfig camera =
        TestDevices::DefaultCamera(L"Test Camera " + std::to_wstring(n), PathOf(n));
    camera.capturePin = std::move(capturePin);
    return camera;
}

// Closes every camera the registry holds and forgets all devices, so each
// test starts from an empty registry (the objects themselves stay alive).
inline void ResetRegistry() {
    CameraRegistry& registry = CameraRegistry::Instance();
    for (OrvanaCamera* camera : registry.Cameras()) {
        if (camera->opened || camera->graphBuilt || camera->running) {
            camera->Close();
        }
    }
    // Every device leaves, as if all were unplugged at once.
    bool cameraRemoved = false;
    bool microphoneRemoved = false;
    registry.MergeDevices(nullptr, 0, cameraRemoved, nullptr, 0, microphoneRemoved);
    registry.SetSampleSink(nullptr);
}

struct Enumeration {
    OrvanaCamera* cameras[CameraRegistry::kMaxDevices] = {};
    OrvanaAudio* microphones[CameraRegistry::kMaxDevices] = {};
    int cameraCount = -1;
    int microphoneCount = -1;
    bool cameraRemoved = false;
    bool microphoneRemoved = false;
};

// EnumerateDevices followed by MergeDevices, as the main window does it.
inline Enumeration EnumerateAndMerge() {
    Enumeration result;
    CameraRegistry& registry = CameraRegistry::Instance();
    registry.EnumerateDevices(result.cameras, result.cameraCount, result.microphones,
                              result.microphoneCount);
    registry.MergeDevices(result.cameras, result.cameraCount, result.cameraRemoved,
                          result.microphones, result.microphoneCount, result.microphoneRemoved);
    return result;
}

// Counts the samples the cameras hand to the registry's sample sink.
struct SampleLog final : SampleSink {
    std::atomic<int> samples{0};
    std::atomic<int> jpegSamples{0};
    std::atomic<long> lastLength{-1};
    std::atomic<int> wrongLength{0};
    std::atomic<long> expectedLength{0};

    void Reset(long expected = 0) {
        samples = 0;
        jpegSamples = 0;
        lastLength = -1;
        wrongLength = 0;
        expectedLength = expected;
    }

    void TakeSample(const StreamFormat&, double, const uint8_t* buffer, int32_t length) override {
        ++samples;
        lastLength = length;
        if (expectedLength != 0 && length != expectedLength) {
            ++wrongLength;
        }
        // A whole JPEG picture: start-of-image first, end-of-image last.
        if (buffer != nullptr && length >= 4 && buffer[0] == 0xFF && buffer[1] == 0xD8 &&
            buffer[length - 2] == 0xFF && buffer[length - 1] == 0xD9) {
            ++jpegSamples;
        }
    }
};

inline SampleLog& Samples() {
    static SampleLog log;
    return log;
}

// Ends the test program when the steps in its scope do not end within
// limitMs: a deadlock would otherwise hold it until ctest gives up, and say
// nothing about where.
class HangGuard {
public:
    HangGuard(const char* what, DWORD limitMs)
        : m_done(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        m_watch = std::thread([this, what, limitMs] {
            if (::WaitForSingleObject(m_done, limitMs) == WAIT_TIMEOUT) {
                std::fprintf(stderr, "%s: still not done after %lu ms, ending the test\n", what,
                             static_cast<unsigned long>(limitMs));
                std::fflush(stderr);
                ::TerminateProcess(::GetCurrentProcess(), 3);
            }
        });
    }
    ~HangGuard() {
        ::SetEvent(m_done);
        m_watch.join();
        ::CloseHandle(m_done);
    }
    HangGuard(const HangGuard&) = delete;
    HangGuard& operator=(const HangGuard&) = delete;

private:
    HANDLE m_done;
    std::thread m_watch;
};

// Each test configures the devices it needs and starts from an empty registry.
class DeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetRegistry();
        ASSERT_TRUE(TestDevices::ResetConfiguration());
        Samples().Reset();
    }
    void TearDown() override {
        ResetRegistry();
        TestDevices::ResetConfiguration();
    }

    static void Configure(const Configuration& configuration) {
        ASSERT_TRUE(TestDevices::SaveConfiguration(configuration));
    }

    // Enumerates, merges and opens the first camera with the sample counter
    // as its frame handler.
    static OrvanaCamera* OpenFirstCamera() {
        Enumeration found = EnumerateAndMerge();
        CameraRegistry& registry = CameraRegistry::Instance();
        if (found.cameraCount < 1 || registry.Cameras().empty()) {
            return nullptr;
        }
        registry.SetSampleSink(&Samples());
        registry.SelectCamera(registry.Cameras().front(), nullptr, nullptr);
        return registry.Cameras().front();
    }
};

inline int IndexOf(const OrvanaCamera& camera, const char* name, int width, int height,
                   int frameRate) {
    for (size_t i = 0; i < camera.formats.size(); ++i) {
        const StreamFormat& format = camera.formats[i];
        if (std::string(format.subtypeName) == name && format.width == width &&
            format.height == height && format.frameRate == frameRate) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

} // namespace CameraTest
