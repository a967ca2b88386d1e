// The camera's image properties, mirror state and power-line frequency on the
// synthetic devices, checked against the state the device keeps.
#include "tests/win32/CameraTestSupport.h"
#include "tools/testdevices/TestDeviceControl.h"

using namespace CameraTest;
using TestDevices::PropertyRange;

namespace {

class CameraPropertiesTest : public DeviceTest {
protected:
    // Enumerates the configured camera without opening it.
    OrvanaCamera* Find(const CameraConfig& config) {
        Configuration configuration;
        configuration.cameras.push_back(config);
        EXPECT_TRUE(TestDevices::SaveConfiguration(configuration));
        // A fresh object: its filter reads the configuration just saved.
        ResetRegistry();
        EnumerateAndMerge();
        const std::vector<OrvanaCamera*>& cameras = CameraRegistry::Instance().Cameras();
        return cameras.size() == 1 ? cameras[0] : nullptr;
    }

    static PropertyRange Stored(bool procAmp, int property) {
        const Configuration configuration = TestDevices::LoadConfiguration();
        EXPECT_EQ(configuration.cameras.size(), 1u);
        if (configuration.cameras.empty()) {
            return PropertyRange();
        }
        const CameraConfig& camera = configuration.cameras[0];
        return procAmp ? camera.procAmp[property] : camera.cameraControl[property];
    }
};

CameraConfig StandardCamera() {
    return Camera(1, {{VideoSubtype::MJPG, 640, 480, 30}});
}

} // namespace

TEST_F(CameraPropertiesTest, RangesAndValuesComeFromTheDevice) {
    CameraConfig config = StandardCamera();
    config.procAmp[1] = PropertyRange{true, 0, 200, 5, 32, 3, 77, 1};
    config.cameraControl[6] = PropertyRange{true, 0, 250, 1, 60, 3, 120, 2};
    OrvanaCamera* camera = Find(config);
    ASSERT_NE(camera, nullptr);
    ASSERT_FALSE(camera->opened);

    long minimum = 1, maximum = 1, step = 0, defaultValue = 0, caps = 0;
    ASSERT_EQ(camera->GetVideoProcAmpRange(1, minimum, maximum, step, defaultValue, caps), 0);
    EXPECT_EQ(minimum, 0);
    EXPECT_EQ(maximum, 200);
    EXPECT_EQ(step, 5);
    EXPECT_EQ(defaultValue, 32);
    EXPECT_EQ(caps, 3);
    long value = 0, flags = 0;
    ASSERT_EQ(camera->GetVideoProcAmp(1, value, flags), 0);
    EXPECT_EQ(value, 77);
    EXPECT_EQ(flags, 1);

    ASSERT_EQ(camera->GetCameraControlRange(6, minimum, maximum, step, defaultValue, caps), 0);
    EXPECT_EQ(maximum, 250);
    EXPECT_EQ(defaultValue, 60);
    ASSERT_EQ(camera->GetCameraControl(6, value, flags), 0);
    EXPECT_EQ(value, 120);
    EXPECT_EQ(flags, 2);

    // A property the device lacks fails and writes nothing.
    value = -5;
    EXPECT_LT(camera->GetVideoProcAmp(11, value, flags), 0);
    EXPECT_EQ(value, -5);
    EXPECT_LT(camera->GetCameraControlRange(0, minimum, maximum, step, defaultValue, caps), 0);
}

TEST_F(CameraPropertiesTest, SetWritesValueAndModeWithoutReadingFirst) {
    OrvanaCamera* camera = Find(StandardCamera());
    ASSERT_NE(camera, nullptr);
    ASSERT_EQ(camera->SetCameraControl(3, 120, 2), 0);
    PropertyRange zoom = Stored(false, 3);
    EXPECT_EQ(zoom.value, 120);
    EXPECT_EQ(zoom.flags, 2);

    ASSERT_EQ(camera->SetVideoProcAmp(7, 5000, 2), 0);
    EXPECT_EQ(Stored(true, 7).value, 5000);
    EXPECT_EQ(Stored(true, 7).flags, 2);
    long value = 0, flags = 0;
    ASSERT_EQ(camera->SetVideoProcAmp(7, 5000, 1), 0);
    ASSERT_EQ(camera->GetVideoProcAmp(7, value, flags), 0);
    EXPECT_EQ(value, 5000);
    EXPECT_EQ(flags, 1);
}

TEST_F(CameraPropertiesTest, PropertiesWorkWhileTheCameraStreams) {
    OrvanaCamera* camera = Find(StandardCamera());
    ASSERT_NE(camera, nullptr);
    CameraRegistry::Instance().SelectCamera(camera, nullptr, nullptr);
    ASSERT_TRUE(camera->running);
    ASSERT_EQ(camera->SetVideoProcAmp(0, 10, 2), 0);
    long value = 0, flags = 0;
    ASSERT_EQ(camera->GetVideoProcAmp(0, value, flags), 0);
    EXPECT_EQ(value, 10);
    EXPECT_TRUE(camera->running);
}

TEST_F(CameraPropertiesTest, MissingInterfacesFailWithNoInterface) {
    CameraConfig config = StandardCamera();
    config.hasVideoProcAmp = false;
    config.hasCameraControl = false;
    OrvanaCamera* camera = Find(config);
    ASSERT_NE(camera, nullptr);
    long a = 0, b = 0, c = 0, d = 0, e = 0;
    EXPECT_EQ(camera->GetVideoProcAmpRange(0, a, b, c, d, e), E_NOINTERFACE);
    EXPECT_EQ(camera->GetVideoProcAmp(0, a, b), E_NOINTERFACE);
    EXPECT_EQ(camera->SetVideoProcAmp(0, 1, 2), E_NOINTERFACE);
    EXPECT_EQ(camera->GetCameraControlRange(3, a, b, c, d, e), E_NOINTERFACE);
    EXPECT_EQ(camera->GetCameraControl(3, a, b), E_NOINTERFACE);
    EXPECT_EQ(camera->SetCameraControl(3, 120, 2), E_NOINTERFACE);
    long frequency = 2;
    EXPECT_EQ(camera->GetPowerLineFrequency(frequency), E_NOINTERFACE);
    EXPECT_EQ(frequency, 2);
    EXPECT_EQ(camera->SetPowerLineFrequency(1), E_NOINTERFACE);
    EXPECT_EQ(camera->SetMirror(true), E_NOINTERFACE);
}

TEST_F(CameraPropertiesTest, PowerLineFrequencyReadsAndWritesWithTheRangeFlags) {
    CameraConfig config = StandardCamera();
    config.procAmp[13] = PropertyRange{true, 0, 2, 1, 1, 2, 1, 2};
    OrvanaCamera* camera = Find(config);
    ASSERT_NE(camera, nullptr);
    long frequency = 0;
    ASSERT_EQ(camera->GetPowerLineFrequency(frequency), 0);
    EXPECT_EQ(frequency, 1);

    ASSERT_EQ(camera->SetPowerLineFrequency(2), 0);
    PropertyRange stored = Stored(true, 13);
    EXPECT_EQ(stored.value, 2);
    EXPECT_EQ(stored.flags, 2);
    ASSERT_EQ(camera->GetPowerLineFrequency(frequency), 0);
    EXPECT_EQ(frequency, 2);
}

TEST_F(CameraPropertiesTest, PowerLineFrequencyIsWrittenWithCapabilityFlagsNotItsMode) {
    CameraConfig config = StandardCamera();
    // The device offers both modes (3) while manual mode (2) is in force; a
    // write with the capability flags leaves it in automatic mode.
    config.procAmp[13] = PropertyRange{true, 0, 2, 1, 1, 3, 2, 2};
    OrvanaCamera* camera = Find(config);
    ASSERT_NE(camera, nullptr);
    ASSERT_EQ(camera->SetPowerLineFrequency(1), 0);
    PropertyRange stored = Stored(true, 13);
    EXPECT_EQ(stored.value, 1);
    EXPECT_EQ(stored.flags, 1);
}

TEST_F(CameraPropertiesTest, CameraWithoutPowerLinePropertyLeavesThePreset) {
    CameraConfig config = StandardCamera();
    config.procAmp[13] = PropertyRange();
    OrvanaCamera* camera = Find(config);
    ASSERT_NE(camera, nullptr);
    long frequency = 2;
    EXPECT_LT(camera->GetPowerLineFrequency(frequency), 0);
    EXPECT_EQ(frequency, 2);
    EXPECT_LT(camera->SetPowerLineFrequency(1), 0);
    EXPECT_FALSE(Stored(true, 13).supported);
}

TEST_F(CameraPropertiesTest, MirrorKeepsThePropertysMode) {
    CameraConfig config = StandardCamera();
    config.procAmp[9] = PropertyRange{true, 0, 1, 1, 0, 3, 0, 1};
    OrvanaCamera* camera = Find(config);
    ASSERT_NE(camera, nullptr);
    ASSERT_EQ(camera->SetMirror(true), 0);
    PropertyRange stored = Stored(true, 9);
    EXPECT_EQ(stored.value, 1);
    EXPECT_EQ(stored.flags, 1);
    ASSERT_EQ(camera->SetMirror(false), 0);
    EXPECT_EQ(Stored(true, 9).value, 0);

    config.procAmp[9] = PropertyRange();
    camera = Find(config);
    ASSERT_NE(camera, nullptr);
    EXPECT_LT(camera->SetMirror(true), 0);
}
