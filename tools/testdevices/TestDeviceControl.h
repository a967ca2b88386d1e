// Control of the synthetic DirectShow capture devices (OrvanaTestDevices.dll) for test programs.
//
// The devices' configuration lives under HKCU\Software\OrvanaTestDevices; the DLL's filters read
// it when they are created and the streaming threads re-read the fault switches and the plug
// state about four times a second. The enumeration entries (the category instances that the
// system device enumerator lists) live under HKCR\CLSID\{category}\Instance and are rewritten
// by SaveConfiguration, Unplug and Replug. The class identifiers themselves are registered by
// "regsvr32 OrvanaTestDevices.dll" (DllRegisterServer).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace TestDevices {

// Class identifiers of the two filters.
// {4F52564E-5443-4D01-8A11-5E57CA3E7A01}
extern const CLSID CLSID_OrvanaTestCamera;
// {4F52564E-5443-4D01-8A11-5E57CA3E7A02}
extern const CLSID CLSID_OrvanaTestMicrophone;

// The compressed formats and the uncompressed ones capture cards and laptop cameras send:
// NV12 (Y, then interleaved U V), I420 and IYUV (Y, U, V), YV12 (Y, V, U), UYVY (packed
// 4:2:2), RGB24 and RGB32 (B G R [X] bytes, rows bottom-up as DirectShow's RGB is, RGB24
// rows padded to four bytes).
enum class VideoSubtype { MJPG, YUY2, H264, NV12, I420, IYUV, YV12, UYVY, RGB24, RGB32 };

struct VideoFormat {
    VideoSubtype subtype = VideoSubtype::MJPG;
    int width = 640;  // even, 16 to 4096
    int height = 480; // even, 16 to 4096
    int fps = 30;     // 1 to 120
    // Announced with a VIDEOINFOHEADER2 (FORMAT_VideoInfo2) instead of a VIDEOINFOHEADER.
    bool videoInfo2 = false;
};

bool operator==(const VideoFormat& a, const VideoFormat& b);

// One IAMVideoProcAmp or IAMCameraControl property. capsFlags: 1 automatic, 2 manual, 3 both.
// value and flags are the state now in force; Set through the interface changes them and the
// filter writes the new state back (readable with LoadConfiguration).
struct PropertyRange {
    bool supported = false;
    long minimum = 0;
    long maximum = 0;
    long step = 1;
    long defaultValue = 0;
    long capsFlags = 2;
    long value = 0;
    long flags = 2;
};

// Fault switches; 0 means off. Counting starts at 1 with the first sample of a run.
// With randomSeed set, the three sample faults strike at random instead of periodically:
// each sample independently has each of them with probability 1/N, the same samples of a
// run for the same seed.
struct Faults {
    unsigned corruptEvery = 0;     // every Nth sample has bytes of its payload scrambled
    unsigned truncateEvery = 0;    // every Nth sample is cut to half its length
    unsigned zeroLengthEvery = 0;  // every Nth sample is delivered with length 0
    unsigned stallAfter = 0;       // after this many samples of a run (0: before the first) ...
    unsigned stallMs = 0;          // ... delivery stops for this long (once per run)
    unsigned actualFps = 0;        // deliver at this rate instead of the nominal one
    unsigned endOfStreamAfter = 0; // after this many samples: EndOfStream, nothing more this run
    unsigned randomSeed = 0;       // 0: the "Every" faults are periodic; else their random seed
    // Cameras only. 1: the filter behaves like Windows' kernel-streaming proxy and Wine's webcam
    // filter: Stop holds the filter's lock while it waits for the streaming thread, which
    // delivers one more sample after Stop began; IAMStreamConfig::GetFormat takes that lock.
    unsigned lockedStop = 0;
    // Cameras only. Formats of more pixels than this fail to run (Pause/Run answer
    // ERROR_NO_SYSTEM_RESOURCES), as on a USB bus without the bandwidth for them.
    unsigned maxPixels = 0;
    // Pause and Run (from stopped) answer this HRESULT and nothing starts, as a camera held by
    // another program does (0x800705AA or 0x8007001F) or one that Windows' privacy setting
    // denies (E_ACCESSDENIED, 0x80070005). 0: off. Cleared, the next start succeeds.
    unsigned startFailure = 0;
    // 1: the device starts and runs but delivers nothing, as some cameras do; cleared, a running
    // stream starts delivering within a quarter of a second.
    unsigned deliverNothing = 0;
};

bool operator==(const Faults& a, const Faults& b);

// How long a device's driver takes to answer, in milliseconds (0 to kMaxDelayMs; 0, the default,
// answers at once). Read when the filter is made, so a change reaches the next opening.
struct Delays {
    // Each change of the filter's state (Pause, Run, Stop): real USB cameras take 0.3 to 3 s to
    // start. A graph's Run from stopped pauses first, so it costs this twice. Stop takes its time
    // after the streaming threads have ended.
    unsigned startMs = 0;
    // Cameras only: each IAMVideoProcAmp and IAMCameraControl GetRange, Get and Set (10 to 50 ms
    // on real ones).
    unsigned propertyMs = 0;
    // Binding the device's moniker to its filter (BindToObject, through the filter's
    // IPersistPropertyBag::Load); the moniker's own property bag is the system's and answers at
    // once.
    unsigned bindMs = 0;
};
constexpr unsigned kMaxDelayMs = 60000;

constexpr int kProcAmpCount = 14;      // VideoProcAmp property numbers 0..13
constexpr int kCameraControlCount = 7; // CameraControl property numbers 0..6

struct CameraConfig {
    std::wstring name;
    std::wstring devicePath;
    bool plugged = true;
    std::vector<VideoFormat> capturePin; // first output pin (capture); the first entry is active
    std::vector<VideoFormat> secondPin;  // empty: no second output pin
    bool secondPinIsPreview = false;     // category of the second pin: preview, else capture
    std::vector<VideoFormat> stillPin;   // empty: no still pin (PIN_CATEGORY_STILL)
    bool hasVideoProcAmp = true;         // false: QueryInterface answers E_NOINTERFACE
    bool hasCameraControl = true;
    // Sensor noise of the picture: the luma noise's standard deviation in 8-bit steps, 0 to 32
    // (3: a webcam in an ordinary room); above 0 the view drifts too. 0: the still test picture.
    int noiseLevel = 0;
    PropertyRange procAmp[kProcAmpCount];
    PropertyRange cameraControl[kCameraControlCount];
    Faults faults;
    Delays delays;
};

struct MicrophoneConfig {
    std::wstring name;
    std::wstring devicePath;
    bool plugged = true;
    int sampleRate = 48000; // 8000 to 192000
    int channels = 2;       // 1 or 2; 16-bit PCM
    int toneHz = 1000;      // sine tone, amplitude a quarter of full scale
    // How far the microphone's own sample clock runs from the system's, in parts per million
    // (-100000 to 100000; positive: fast, more samples a second than its rate). Its time
    // stamps count its own samples, as a real one's do, so they drift with it.
    int clockPpm = 0;
    // Length of the buffers it hands over when the program suggests none through
    // IAMBufferNegotiation (2 to 2000 ms); real microphones use about 500 ms then. A buffer is
    // handed over once it is full, stamped with the time its first sample was captured.
    int bufferMs = 500;
    // What Pause and Run answer (0: they start), as when Windows' privacy settings deny the
    // microphone (E_ACCESSDENIED) or another program holds it (0x800705AA, 0x8007001F).
    HRESULT startError = S_OK;
    Faults faults; // corruption, zero length, stall, rate and end of stream apply
    Delays delays; // start and bind; propertyMs is not used
};

struct Configuration {
    std::vector<CameraConfig> cameras;
    std::vector<MicrophoneConfig> microphones;
};

// MJPG, YUY2 and H264, each at 640x480, 1280x720 and 1920x1080, each at 30 and 15 fps, in
// that order (MJPG 640x480 at 30 fps first).
std::vector<VideoFormat> StandardVideoFormats();
// The property table of a typical webcam: VideoProcAmp 0-9 and 13 (power line: 0 off,
// 1 50 Hz, 2 60 Hz), CameraControl zoom (3) and focus (6); values at their defaults.
void SetStandardProperties(CameraConfig& camera);

extern const wchar_t kDefaultCameraName[]; // "Orvana Test Camera"
extern const wchar_t kDefaultCameraPath[]; // "\\?\root#orvana_test_camera#0000#{65e8...}\global"
extern const wchar_t kDefaultMicrophoneName[]; // "Orvana Test Microphone"
extern const wchar_t kDefaultMicrophonePath[];

CameraConfig DefaultCamera(const std::wstring& name = kDefaultCameraName,
                           const std::wstring& devicePath = kDefaultCameraPath);
MicrophoneConfig DefaultMicrophone(const std::wstring& name = kDefaultMicrophoneName,
                                   const std::wstring& devicePath = kDefaultMicrophonePath);
// One default camera and one default microphone: what the devices are with nothing configured.
Configuration DefaultConfiguration();

// The stored configuration with the filters' property state applied, or the default one when
// nothing is configured.
Configuration LoadConfiguration();
// Stores the configuration (dropping earlier property state) and updates the enumeration so
// that exactly its plugged devices are listed. Answers false when the registry refuses, or
// when the configuration is invalid (empty name or path, duplicate path, bad format).
bool SaveConfiguration(const Configuration& configuration);
// Forgets everything stored; the default devices are listed again.
bool ResetConfiguration();

// Changes the fault switches of one device (camera or microphone) by device path; a running
// stream picks them up within a quarter of a second. False when no such device is configured.
bool SetFaults(const std::wstring& devicePath, const Faults& faults);

// Simulated unplug and replug: takes the device out of the enumeration (or puts it back), stops
// (or resumes) the delivery of a running filter (a running microphone then reports
// EC_DEVICE_LOST to its graph, as a real one does), and when notify is set sends WM_DEVICECHANGE
// (DBT_DEVICEREMOVECOMPLETE or DBT_DEVICEARRIVAL, KSCATEGORY_CAPTURE, the device path as name)
// to every top-level window of class "UIFrame". A replugged camera has forgotten its property
// state (back at the configured values), as many drivers' cameras do. False when no such device
// is configured.
bool Unplug(const std::wstring& devicePath, bool notify = true);
bool Replug(const std::wstring& devicePath, bool notify = true);

// Sends the WM_DEVICECHANGE message alone; answers the number of windows it reached.
int NotifyDeviceChange(const std::wstring& devicePath, bool arrival);

// Rewrites the category instances of the configured (or default) plugged devices and removes
// those of devices that are no longer configured or are unplugged.
bool UpdateEnumeration();
// Removes every category instance that names one of the two class identifiers.
bool RemoveEnumeration();

// Text forms used in the registry: "MJPG 640x480@30", "NV12 1280x720@30 VIH2" (announced with
// a VIDEOINFOHEADER2); lists separated by ';'.
std::wstring FormatText(const VideoFormat& format);
bool ParseFormat(const std::wstring& text, VideoFormat& format);
std::wstring FormatListText(const std::vector<VideoFormat>& formats);
bool ParseFormatList(const std::wstring& text, std::vector<VideoFormat>& formats);
const char* SubtypeName(VideoSubtype subtype);
GUID SubtypeGuid(VideoSubtype subtype);

} // namespace TestDevices
