// The camera registry on the synthetic DirectShow devices: enumeration,
// merging by device identity, selection and the unplugging of devices.
#include "tests/support/MessagePump.h"
#include "tests/win32/CameraTestSupport.h"
#include "tools/testdevices/TestDeviceControl.h"

#include <set>

using namespace CameraTest;
using TestSupport::Pump;

namespace {

class CameraRegistryTest : public DeviceTest {};

} // namespace

TEST_F(CameraRegistryTest, DefaultDevicesAreOneCameraAndOneMicrophone) {
    Enumeration found = EnumerateAndMerge();
    ASSERT_EQ(found.cameraCount, 1);
    ASSERT_EQ(found.microphoneCount, 1);
    EXPECT_EQ(found.cameras[0]->friendlyName, TestDevices::kDefaultCameraName);
    EXPECT_EQ(found.cameras[0]->devicePath, TestDevices::kDefaultCameraPath);
    EXPECT_EQ(found.microphones[0]->friendlyName, TestDevices::kDefaultMicrophoneName);
    EXPECT_TRUE(found.cameras[0]->moniker);
    EXPECT_TRUE(found.cameras[0]->captureFilter);

    // A new camera is closed, holds no graph and has a zeroed format.
    const OrvanaCamera& camera = *found.cameras[0];
    EXPECT_FALSE(camera.opened || camera.running || camera.graphBuilt);
    EXPECT_FALSE(camera.graph || camera.grabberFilter || camera.nullRenderer ||
                 camera.sampleGrabber || camera.captureBuilder || camera.streamConfig);
    EXPECT_TRUE(camera.formats.empty());
    EXPECT_EQ(camera.currentFormat.width, 0);
    EXPECT_EQ(camera.sampleSink.load(), nullptr);

    CameraRegistry& registry = CameraRegistry::Instance();
    EXPECT_EQ(registry.Cameras(), std::vector<OrvanaCamera*>{found.cameras[0]});
    EXPECT_EQ(registry.Microphones(), std::vector<OrvanaAudio*>{found.microphones[0]});
    EXPECT_FALSE(found.cameraRemoved);
    EXPECT_FALSE(found.microphoneRemoved);
}

TEST_F(CameraRegistryTest, NoCameraMeansNoMicrophonesEither) {
    EnumerateAndMerge();
    ASSERT_EQ(CameraRegistry::Instance().Microphones().size(), 1u);

    Configuration configuration;
    configuration.microphones.push_back(TestDevices::DefaultMicrophone());
    Configure(configuration);
    Enumeration found = EnumerateAndMerge();
    EXPECT_EQ(found.cameraCount, 0);
    EXPECT_EQ(found.microphoneCount, 0);
    EXPECT_TRUE(CameraRegistry::Instance().Microphones().empty());
    EXPECT_TRUE(CameraRegistry::Instance().Cameras().empty());
    EXPECT_EQ(CameraRegistry::Instance().CurrentCamera(), nullptr);
    EXPECT_EQ(CameraRegistry::Instance().CurrentMicrophone(), nullptr);
}

TEST_F(CameraRegistryTest, ElevenDevicesOfAKindGiveTen) {
    Configuration configuration;
    for (int n = 0; n < 11; ++n) {
        configuration.cameras.push_back(Camera(n, TestDevices::StandardVideoFormats()));
        configuration.microphones.push_back(TestDevices::DefaultMicrophone(
            L"Test Microphone " + std::to_wstring(n),
            L"\\\\?\\root#orvana_test_microphone#" + std::to_wstring(n) + L"#x\\wave"));
    }
    Configure(configuration);
    Enumeration found = EnumerateAndMerge();
    ASSERT_EQ(found.cameraCount, 10);
    EXPECT_EQ(found.microphoneCount, 10);
    std::set<std::wstring> names;
    for (int i = 0; i < 10; ++i) {
        ASSERT_NE(found.cameras[i], nullptr);
        names.insert(found.cameras[i]->friendlyName);
    }
    EXPECT_EQ(names.size(), 10u);
    EXPECT_EQ(CameraRegistry::Instance().Cameras().size(), 10u);
}

TEST_F(CameraRegistryTest, ReenumeratingKeepsTheOpenCameraObject) {
    OrvanaCamera* camera = OpenFirstCamera();
    ASSERT_NE(camera, nullptr);
    ASSERT_TRUE(camera->opened);
    ASSERT_TRUE(camera->running);
    const std::vector<StreamFormat> formats = camera->formats;
    IGraphBuilder* graph = camera->graph.Get();
    OrvanaAudio* firstMicrophone = CameraRegistry::Instance().CurrentMicrophone();
    ASSERT_NE(firstMicrophone, nullptr);

    Enumeration found = EnumerateAndMerge();
    ASSERT_EQ(found.cameraCount, 1);

    CameraRegistry& registry = CameraRegistry::Instance();
    ASSERT_EQ(registry.Cameras().size(), 1u);
    EXPECT_EQ(registry.Cameras()[0], camera);
    EXPECT_FALSE(found.cameraRemoved);
    EXPECT_TRUE(camera->opened);
    EXPECT_TRUE(camera->running);
    EXPECT_EQ(camera->graph.Get(), graph);
    EXPECT_EQ(camera->formats.size(), formats.size());

    // Microphones keep their objects too; the enumeration's new ones went.
    ASSERT_EQ(registry.Microphones().size(), 1u);
    EXPECT_EQ(registry.Microphones()[0], firstMicrophone);
    EXPECT_EQ(found.microphones[0], nullptr);
    EXPECT_EQ(found.cameras[0], nullptr);

    // Still streaming after the merge.
    Samples().Reset();
    Pump(500);
    EXPECT_GT(Samples().samples.load(), 0);
}

TEST_F(CameraRegistryTest, UnpluggingTheOpenCameraClosesAndDropsIt) {
    Configuration configuration;
    configuration.cameras.push_back(Camera(1, TestDevices::StandardVideoFormats()));
    configuration.cameras.push_back(Camera(2, TestDevices::StandardVideoFormats()));
    Configure(configuration);
    EnumerateAndMerge();
    CameraRegistry& registry = CameraRegistry::Instance();
    ASSERT_EQ(registry.Cameras().size(), 2u);
    OrvanaCamera* open = registry.Cameras()[0];
    OrvanaCamera* other = registry.Cameras()[1];
    registry.SetSampleSink(&Samples());
    registry.SelectCamera(open, nullptr, nullptr);
    ASSERT_TRUE(open->running);

    // A camera that is not open leaves without the flag.
    ASSERT_TRUE(TestDevices::Unplug(other->devicePath, false));
    Enumeration found = EnumerateAndMerge();
    EXPECT_EQ(found.cameraCount, 1);
    EXPECT_FALSE(found.cameraRemoved);
    EXPECT_EQ(registry.Cameras(), std::vector<OrvanaCamera*>{open});
    EXPECT_TRUE(open->running);

    ASSERT_TRUE(TestDevices::Unplug(open->devicePath, false));
    found = EnumerateAndMerge();
    EXPECT_EQ(found.cameraCount, 0);
    EXPECT_TRUE(found.cameraRemoved);
    EXPECT_TRUE(registry.Cameras().empty());
    EXPECT_FALSE(open->opened);
    EXPECT_FALSE(open->running);
    EXPECT_FALSE(open->graphBuilt);
    EXPECT_FALSE(open->graph || open->grabberFilter || open->nullRenderer || open->sampleGrabber ||
                 open->captureBuilder || open->streamConfig);
    EXPECT_TRUE(open->captureFilter);
    EXPECT_TRUE(open->moniker);
    // The caller chooses the next camera; the dropped object is still valid
    // (read above), but no longer anybody's current camera.
    EXPECT_EQ(registry.Current(), nullptr);

    // Nothing arrives any more from the closed graph.
    Samples().Reset();
    Pump(300);
    EXPECT_EQ(Samples().samples.load(), 0);

    // Plugged in again it is a new object, which opens and streams.
    ASSERT_TRUE(TestDevices::Replug(open->devicePath, false));
    found = EnumerateAndMerge();
    ASSERT_EQ(registry.Cameras().size(), 1u);
    OrvanaCamera* again = registry.Cameras()[0];
    EXPECT_NE(again, open);
    registry.SelectCamera(again, nullptr, nullptr);
    EXPECT_TRUE(again->running);
    Pump(500);
    EXPECT_GT(Samples().samples.load(), 0);
}

// Closing takes the graph apart and lets go of every filter in it, so that
// opening and closing again and again keeps nothing: the capture filter is
// left with the camera's own references, grabber and renderer with none.
TEST_F(CameraRegistryTest, ClosingLetsGoOfEveryFilterOfTheGraph) {
    EnumerateAndMerge();
    CameraRegistry& registry = CameraRegistry::Instance();
    OrvanaCamera* camera = registry.Cameras().at(0);
    auto references = [](IUnknown* object) {
        object->AddRef();
        return object->Release();
    };
    const ULONG idle = references(camera->captureFilter.Get());
    for (int round = 0; round < 2; ++round) {
        registry.SelectCamera(camera, nullptr, nullptr);
        ASSERT_TRUE(camera->running);
        Microsoft::WRL::ComPtr<IBaseFilter> grabber = camera->grabberFilter;
        Microsoft::WRL::ComPtr<IBaseFilter> renderer = camera->nullRenderer;
        camera->Close();
        EXPECT_EQ(references(camera->captureFilter.Get()), idle);
        EXPECT_EQ(grabber.Detach()->Release(), 0u);
        EXPECT_EQ(renderer.Detach()->Release(), 0u);
    }
}

TEST_F(CameraRegistryTest, CurrentAndSetCurrent) {
    Configuration configuration;
    for (int n = 0; n < 3; ++n) {
        configuration.cameras.push_back(Camera(n, TestDevices::StandardVideoFormats()));
    }
    configuration.microphones.push_back(TestDevices::DefaultMicrophone());
    Configure(configuration);
    CameraRegistry& registry = CameraRegistry::Instance();
    EXPECT_EQ(registry.CurrentCamera(), nullptr);
    EnumerateAndMerge();
    ASSERT_EQ(registry.Cameras().size(), 3u);
    EXPECT_EQ(registry.Current(), nullptr);
    EXPECT_EQ(registry.CurrentCamera(), registry.Cameras()[0]);
    EXPECT_EQ(registry.SetCurrentCamera(2), registry.Cameras()[2]);
    EXPECT_EQ(registry.SetCurrentCamera(5), nullptr);
    EXPECT_EQ(registry.SetCurrentCamera(3), nullptr);
    EXPECT_EQ(registry.CurrentCamera(), registry.Cameras()[2]);
    EXPECT_FALSE(registry.Cameras()[2]->opened);
    EXPECT_EQ(registry.SetCurrentMicrophone(1), nullptr);
    EXPECT_EQ(registry.CurrentMicrophone(), registry.Microphones()[0]);
}

TEST_F(CameraRegistryTest, SelectingAnotherCameraClosesThePrevious) {
    Configuration configuration;
    configuration.cameras.push_back(Camera(1, TestDevices::StandardVideoFormats()));
    configuration.cameras.push_back(Camera(2, TestDevices::StandardVideoFormats()));
    Configure(configuration);
    EnumerateAndMerge();
    CameraRegistry& registry = CameraRegistry::Instance();
    OrvanaCamera* first = registry.Cameras()[0];
    OrvanaCamera* second = registry.Cameras()[1];
    registry.SetSampleSink(&Samples());

    registry.SelectCamera(first, nullptr, nullptr);
    ASSERT_TRUE(first->running);
    EXPECT_EQ(first->sampleSink.load(), &Samples());
    IGraphBuilder* graph = first->graph.Get();

    // The current, open camera: nothing happens, no rebuild.
    // (a marker entry shows whether the formats were enumerated again)
    const size_t count = first->formats.size();
    first->formats.push_back(StreamFormat());
    registry.SelectCamera(first, nullptr, nullptr);
    EXPECT_EQ(first->graph.Get(), graph);
    EXPECT_TRUE(first->running);
    EXPECT_EQ(first->formats.size(), count + 1);
    first->formats.resize(count);

    registry.SelectCamera(second, nullptr, nullptr);
    EXPECT_EQ(registry.Current(), second);
    EXPECT_FALSE(first->opened);
    EXPECT_FALSE(first->running);
    EXPECT_FALSE(first->graph);
    EXPECT_TRUE(second->opened);
    EXPECT_TRUE(second->running);
    EXPECT_FALSE(second->formats.empty());

    registry.SelectCamera(nullptr, nullptr, nullptr);
    EXPECT_EQ(registry.Current(), second);
    EXPECT_TRUE(second->running);
}

TEST_F(CameraRegistryTest, CurrentButClosedCameraIsOpenedBySelect) {
    EnumerateAndMerge();
    CameraRegistry& registry = CameraRegistry::Instance();
    OrvanaCamera* camera = registry.CurrentCamera();
    ASSERT_NE(camera, nullptr);
    registry.SelectCamera(camera, nullptr, nullptr);
    EXPECT_TRUE(camera->opened);
    EXPECT_TRUE(camera->running);
}

TEST_F(CameraRegistryTest, SampleGrabberCallbackCountsNothing) {
    EnumerateAndMerge();
    OrvanaCamera* camera = CameraRegistry::Instance().Cameras().at(0);
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(camera->QueryInterface(IID_ISampleGrabberCB, &out), S_OK);
    EXPECT_EQ(out, static_cast<ISampleGrabberCB*>(camera));
    EXPECT_EQ(camera->QueryInterface(IID_IUnknown, &out), S_OK);
    EXPECT_EQ(out, static_cast<ISampleGrabberCB*>(camera));
    EXPECT_EQ(camera->QueryInterface(IID_IBaseFilter, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(camera->QueryInterface(IID_ISampleGrabberCB, nullptr), E_POINTER);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(camera->AddRef(), 2u);
        EXPECT_EQ(camera->Release(), 1u);
        EXPECT_EQ(camera->Release(), 1u);
    }

    // Buffers go to the sink only when one is set and the camera knows the
    // format it delivers them in.
    unsigned char bytes[4] = {0xFF, 0xD8, 0xFF, 0xD9};
    EXPECT_EQ(camera->BufferCB(0.5, bytes, 4), S_OK);
    camera->sampleSink = &Samples();
    EXPECT_EQ(camera->BufferCB(0.5, bytes, 4), S_OK);
    EXPECT_EQ(Samples().samples.load(), 0);
    CameraRegistry::Instance().SetSampleSink(&Samples());
    CameraRegistry::Instance().SelectCamera(camera, nullptr, nullptr);
    ASSERT_EQ(camera->Stop(), S_OK);
    Samples().Reset();
    EXPECT_EQ(camera->BufferCB(0.5, bytes, 4), S_OK);
    EXPECT_EQ(Samples().samples.load(), 1);
    EXPECT_EQ(Samples().jpegSamples.load(), 1);
    EXPECT_EQ(camera->SampleCB(0.5, nullptr), S_OK);
    camera->sampleSink = nullptr;

    OrvanaAudio* microphone = CameraRegistry::Instance().Microphones().at(0);
    EXPECT_EQ(microphone->AddRef(), 2u);
    EXPECT_EQ(microphone->Release(), 1u);
    EXPECT_EQ(microphone->QueryInterface(IID_ISampleGrabberCB, &out), S_OK);
    EXPECT_EQ(out, static_cast<ISampleGrabberCB*>(microphone));
    EXPECT_EQ(microphone->BufferCB(0.0, bytes, 4), S_OK);
    AM_MEDIA_TYPE format{};
    EXPECT_EQ(microphone->GetCaptureFormat(format), 1);
    EXPECT_EQ(format.cbFormat, 0u);
}

// The current microphone unplugged while the camera stays: the first one left
// takes its place, and with none left there is none (pictures only), not the
// object of a device that is gone.
TEST_F(CameraRegistryTest, CurrentMicrophoneThatLeavesIsReplacedByTheFirstLeft) {
    Configuration configuration;
    configuration.cameras.push_back(Camera(0, TestDevices::StandardVideoFormats()));
    for (int n = 0; n < 3; ++n) {
        configuration.microphones.push_back(TestDevices::DefaultMicrophone(
            L"Microphone " + std::to_wstring(n),
            L"\\\\?\\root#orvana_test_microphone#" + std::to_wstring(n) + L"#x\\wave"));
    }
    Configure(configuration);
    CameraRegistry& registry = CameraRegistry::Instance();
    EnumerateAndMerge();
    ASSERT_EQ(registry.Microphones().size(), 3u);
    registry.SelectCamera(registry.CurrentCamera(), nullptr, nullptr);
    ASSERT_TRUE(registry.Current()->opened);
    ASSERT_NE(registry.SetCurrentMicrophone(1), nullptr);

    ASSERT_TRUE(TestDevices::Unplug(configuration.microphones[1].devicePath, false));
    Enumeration found = EnumerateAndMerge();
    EXPECT_FALSE(found.cameraRemoved);
    ASSERT_NE(registry.CurrentMicrophone(), nullptr);
    EXPECT_EQ(registry.CurrentMicrophone()->friendlyName, L"Microphone 0");

    ASSERT_TRUE(TestDevices::Unplug(configuration.microphones[0].devicePath, false));
    ASSERT_TRUE(TestDevices::Unplug(configuration.microphones[2].devicePath, false));
    EnumerateAndMerge();
    EXPECT_TRUE(registry.Microphones().empty());
    EXPECT_EQ(registry.CurrentMicrophone(), nullptr);
    EXPECT_TRUE(registry.Current()->opened);
}
