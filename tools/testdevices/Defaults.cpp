// What the synthetic devices are when nothing is configured.
#include "tools/testdevices/TestDeviceControl.h"

namespace TestDevices {

const CLSID CLSID_OrvanaTestCamera = {
    0x4f52564e, 0x5443, 0x4d01, {0x8a, 0x11, 0x5e, 0x57, 0xca, 0x3e, 0x7a, 0x01}};
const CLSID CLSID_OrvanaTestMicrophone = {
    0x4f52564e, 0x5443, 0x4d01, {0x8a, 0x11, 0x5e, 0x57, 0xca, 0x3e, 0x7a, 0x02}};

const wchar_t kDefaultCameraName[] = L"Orvana Test Camera";
const wchar_t kDefaultCameraPath[] =
    L"\\\\?\\root#orvana_test_camera#0000#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";
const wchar_t kDefaultMicrophoneName[] = L"Orvana Test Microphone";
const wchar_t kDefaultMicrophonePath[] =
    L"\\\\?\\root#orvana_test_microphone#0000#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\wave";

std::vector<VideoFormat> StandardVideoFormats() {
    std::vector<VideoFormat> formats;
    const VideoSubtype subtypes[] = {VideoSubtype::MJPG, VideoSubtype::YUY2, VideoSubtype::H264};
    const int sizes[][2] = {{640, 480}, {1280, 720}, {1920, 1080}};
    for (VideoSubtype subtype : subtypes) {
        for (const auto& size : sizes) {
            formats.push_back({subtype, size[0], size[1], 30});
            formats.push_back({subtype, size[0], size[1], 15});
        }
    }
    return formats;
}

namespace {

PropertyRange Range(long minimum, long maximum, long defaultValue, long capsFlags) {
    PropertyRange range;
    range.supported = true;
    range.minimum = minimum;
    range.maximum = maximum;
    range.step = 1;
    range.defaultValue = defaultValue;
    range.capsFlags = capsFlags;
    range.value = defaultValue;
    // A camera that can adjust a property itself starts in automatic mode.
    range.flags = (capsFlags & 1) ? 1 : 2;
    return range;
}

} // namespace

void SetStandardProperties(CameraConfig& camera) {
    for (auto& range : camera.procAmp)
        range = PropertyRange();
    for (auto& range : camera.cameraControl)
        range = PropertyRange();
    camera.procAmp[0] = Range(-64, 64, 0, 2);          // brightness
    camera.procAmp[1] = Range(0, 100, 32, 3);          // contrast
    camera.procAmp[2] = Range(-40, 40, 0, 3);          // hue
    camera.procAmp[3] = Range(0, 100, 64, 2);          // saturation
    camera.procAmp[4] = Range(0, 7, 3, 2);             // sharpness
    camera.procAmp[5] = Range(72, 500, 100, 2);        // gamma
    camera.procAmp[6] = Range(0, 1, 1, 2);             // colour enable
    camera.procAmp[7] = Range(2800, 6500, 4600, 3);    // white balance (kelvin)
    camera.procAmp[8] = Range(0, 2, 1, 2);             // backlight compensation
    camera.procAmp[9] = Range(0, 1, 0, 2);             // gain, used as the mirror state
    camera.procAmp[13] = Range(0, 2, 1, 2);            // power-line frequency: off, 50 Hz, 60 Hz
    camera.cameraControl[3] = Range(100, 400, 100, 2); // zoom
    camera.cameraControl[6] = Range(0, 250, 60, 3);    // focus
}

CameraConfig DefaultCamera(const std::wstring& name, const std::wstring& devicePath) {
    CameraConfig camera;
    camera.name = name;
    camera.devicePath = devicePath;
    camera.capturePin = StandardVideoFormats();
    SetStandardProperties(camera);
    return camera;
}

MicrophoneConfig DefaultMicrophone(const std::wstring& name, const std::wstring& devicePath) {
    MicrophoneConfig microphone;
    microphone.name = name;
    microphone.devicePath = devicePath;
    return microphone;
}

Configuration DefaultConfiguration() {
    Configuration configuration;
    configuration.cameras.push_back(DefaultCamera());
    configuration.microphones.push_back(DefaultMicrophone());
    return configuration;
}

} // namespace TestDevices
