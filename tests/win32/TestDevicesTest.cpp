// The synthetic capture devices seen the way the program sees hardware: through the system
// device enumerator, capture graphs with the Sample Grabber, and FFmpeg's dshow input.
#include <windows.h>

#include <dbt.h>
#include <dshow.h>
#include <qedit.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <mutex>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavdevice/avdevice.h>
#include <libavformat/avformat.h>
}

#include "Core/ComHelpers.h"
#include "tests/support/MessagePump.h"
#include "tools/testdevices/TestDeviceControl.h"
#include "tools/testdevices/TestPicture.h"

using Microsoft::WRL::ComPtr;
using namespace TestDevices;

namespace {

const CLSID kSampleGrabber = {
    0xc1f400a0, 0x3f08, 0x11d3, {0x9f, 0x0b, 0x00, 0x60, 0x08, 0x03, 0x9e, 0x37}};
const CLSID kNullRenderer = {
    0xc1f400a4, 0x3f08, 0x11d3, {0x9f, 0x0b, 0x00, 0x60, 0x08, 0x03, 0x9e, 0x37}};

struct Device {
    std::wstring name;
    std::wstring path;
    ComPtr<IMoniker> moniker;
};

std::wstring ReadProperty(IPropertyBag* bag, const wchar_t* name) {
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    std::wstring text;
    if (SUCCEEDED(bag->Read(name, &value, nullptr)) && value.vt == VT_BSTR)
        text = value.bstrVal;
    VariantClear(&value);
    return text;
}

std::vector<Device> Enumerate(const GUID& category) {
    std::vector<Device> devices;
    ComPtr<ICreateDevEnum> devEnum;
    ComPtr<IEnumMoniker> monikers;
    if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&devEnum))) ||
        devEnum->CreateClassEnumerator(category, &monikers, 0) != S_OK) {
        return devices;
    }
    ComPtr<IMoniker> moniker;
    while (monikers->Next(1, &moniker, nullptr) == S_OK) {
        ComPtr<IPropertyBag> bag;
        if (SUCCEEDED(moniker->BindToStorage(nullptr, nullptr, IID_PPV_ARGS(&bag)))) {
            devices.push_back({ReadProperty(bag.Get(), L"FriendlyName"),
                               ReadProperty(bag.Get(), L"DevicePath"), moniker});
        }
        moniker.Reset();
    }
    return devices;
}

const Device* FindByPath(const std::vector<Device>& devices, const std::wstring& path) {
    for (const auto& device : devices) {
        if (_wcsicmp(device.path.c_str(), path.c_str()) == 0)
            return &device;
    }
    return nullptr;
}

ComPtr<IBaseFilter> BindCamera(const std::wstring& path = kDefaultCameraPath) {
    ComPtr<IBaseFilter> filter;
    const auto devices = Enumerate(CLSID_VideoInputDeviceCategory);
    const Device* device = FindByPath(devices, path);
    if (device)
        device->moniker->BindToObject(nullptr, nullptr, IID_PPV_ARGS(&filter));
    return filter;
}

using TestSupport::Pump;

// Keeps the length and time of every buffer, and the bytes of the first few.
class SampleCollector : public ISampleGrabberCB {
public:
    explicit SampleCollector(size_t keepBytes) : keepBytes_(keepBytes) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_ISampleGrabberCB) {
            *out = static_cast<ISampleGrabberCB*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // Lives on the test's stack, longer than any graph that calls it.
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP SampleCB(double, IMediaSample*) override { return S_OK; }
    STDMETHODIMP BufferCB(double time, BYTE* buffer, LONG length) override {
        std::lock_guard<std::mutex> guard(lock_);
        lengths.push_back(length);
        times.push_back(time);
        if (bytes.size() < keepBytes_)
            bytes.emplace_back(buffer, buffer + length);
        return S_OK;
    }
    size_t Count() {
        std::lock_guard<std::mutex> guard(lock_);
        return lengths.size();
    }

    std::vector<long> lengths;
    std::vector<double> times;
    std::vector<std::vector<BYTE>> bytes;

private:
    std::mutex lock_;
    size_t keepBytes_;
};

// Capture filter -> Sample Grabber -> Null Renderer, built the plain way.
class CaptureGraph {
public:
    HRESULT Build(IBaseFilter* capture, SampleCollector* collector, const VideoFormat* format,
                  bool render = true) {
        HRESULT hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_PPV_ARGS(&graph));
        if (SUCCEEDED(hr)) {
            // No reference clock, as the program runs its graphs.
            ComPtr<IMediaFilter> timing;
            if (SUCCEEDED(graph.As(&timing)))
                timing->SetSyncSource(nullptr);
            hr = CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_PPV_ARGS(&builder));
        }
        if (SUCCEEDED(hr))
            hr = builder->SetFiltergraph(graph.Get());
        if (SUCCEEDED(hr)) {
            hr = CoCreateInstance(kSampleGrabber, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_PPV_ARGS(&grabberFilter));
        }
        if (SUCCEEDED(hr)) {
            hr = CoCreateInstance(kNullRenderer, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_PPV_ARGS(&nullRenderer));
        }
        if (SUCCEEDED(hr))
            hr = graph->AddFilter(capture, L"Video Capture");
        if (SUCCEEDED(hr))
            hr = graph->AddFilter(grabberFilter.Get(), L"Grabber");
        if (SUCCEEDED(hr))
            hr = graph->AddFilter(nullRenderer.Get(), L"NullRender");
        if (FAILED(hr))
            return hr;
        capture_ = capture;
        if (format) {
            hr = builder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, capture,
                                        IID_IAMStreamConfig, &config);
            if (FAILED(hr))
                return hr;
            hr = ApplyFormat(*format);
            if (FAILED(hr))
                return hr;
        }
        hr = grabberFilter.As(&grabber);
        if (SUCCEEDED(hr))
            hr = grabber->SetBufferSamples(FALSE);
        if (SUCCEEDED(hr))
            hr = grabber->SetOneShot(FALSE);
        if (SUCCEEDED(hr))
            hr = grabber->SetCallback(collector, 1);
        if (SUCCEEDED(hr) && render) {
            hr = builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, capture,
                                       grabberFilter.Get(), nullRenderer.Get());
        }
        return hr;
    }

    HRESULT ApplyFormat(const VideoFormat& format) {
        int count = 0, size = 0;
        HRESULT hr = config->GetNumberOfCapabilities(&count, &size);
        for (int i = 0; SUCCEEDED(hr) && i < count; ++i) {
            AM_MEDIA_TYPE* given = nullptr;
            VIDEO_STREAM_CONFIG_CAPS caps;
            if (config->GetStreamCaps(i, &given, reinterpret_cast<BYTE*>(&caps)) != S_OK)
                continue;
            const MediaTypePtr type(given);
            const auto* info = reinterpret_cast<VIDEOINFOHEADER*>(type->pbFormat);
            const bool match = type->subtype == SubtypeGuid(format.subtype) &&
                               info->bmiHeader.biWidth == format.width &&
                               info->bmiHeader.biHeight == format.height &&
                               info->AvgTimePerFrame == 10000000LL / format.fps;
            if (match)
                return config->SetFormat(type.get());
        }
        return E_FAIL;
    }

    HRESULT RunFor(DWORD milliseconds) {
        ComPtr<IMediaControl> control;
        HRESULT hr = graph.As(&control);
        if (SUCCEEDED(hr))
            hr = control->Run();
        if (FAILED(hr))
            return hr;
        Pump(milliseconds);
        return control->Stop();
    }

    void TearDown() {
        if (graph) {
            ComPtr<IMediaControl> control;
            if (SUCCEEDED(graph.As(&control)))
                control->Stop();
            for (IBaseFilter* filter : {nullRenderer.Get(), grabberFilter.Get(), capture_}) {
                if (filter)
                    graph->RemoveFilter(filter);
            }
        }
        config.Reset();
        grabber.Reset();
        nullRenderer.Reset();
        grabberFilter.Reset();
        builder.Reset();
        graph.Reset();
        capture_ = nullptr;
    }

    ~CaptureGraph() { TearDown(); }

    ComPtr<IGraphBuilder> graph;
    ComPtr<ICaptureGraphBuilder2> builder;
    ComPtr<IBaseFilter> grabberFilter;
    ComPtr<IBaseFilter> nullRenderer;
    ComPtr<ISampleGrabber> grabber;
    ComPtr<IAMStreamConfig> config;

private:
    IBaseFilter* capture_ = nullptr;
};

// Width and height from a JPEG's frame header; false unless it is a whole JPEG.
bool JpegSize(const std::vector<BYTE>& jpeg, int& width, int& height) {
    const size_t n = jpeg.size();
    if (n < 4 || jpeg[0] != 0xFF || jpeg[1] != 0xD8 || jpeg[n - 2] != 0xFF || jpeg[n - 1] != 0xD9) {
        return false;
    }
    size_t pos = 2;
    while (pos + 4 <= n && jpeg[pos] == 0xFF) {
        const BYTE marker = jpeg[pos + 1];
        const size_t length = (jpeg[pos + 2] << 8) | jpeg[pos + 3];
        if (marker >= 0xC0 && marker <= 0xC3) {
            if (pos + 9 > n)
                return false;
            height = (jpeg[pos + 5] << 8) | jpeg[pos + 6];
            width = (jpeg[pos + 7] << 8) | jpeg[pos + 8];
            return true;
        }
        pos += 2 + length;
    }
    return false;
}

// Decodes a list of buffers with FFmpeg; answers the decoded frames' sizes.
std::vector<std::pair<int, int>> Decode(AVCodecID codecId,
                                        const std::vector<std::vector<BYTE>>& buffers,
                                        std::vector<std::vector<uint8_t>>* lumaRows = nullptr) {
    std::vector<std::pair<int, int>> sizes;
    const AVCodec* codec = avcodec_find_decoder(codecId);
    AVCodecContext* context = codec ? avcodec_alloc_context3(codec) : nullptr;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    if (context && packet && frame && avcodec_open2(context, codec, nullptr) == 0) {
        for (const auto& buffer : buffers) {
            packet->data = const_cast<uint8_t*>(buffer.data());
            packet->size = static_cast<int>(buffer.size());
            if (avcodec_send_packet(context, packet) < 0)
                continue;
            while (avcodec_receive_frame(context, frame) == 0) {
                sizes.emplace_back(frame->width, frame->height);
                if (lumaRows) {
                    // A row through the frame counter, near the top left.
                    const uint8_t* row = frame->data[0] + frame->linesize[0] * (frame->height / 10);
                    lumaRows->emplace_back(row, row + frame->width / 4);
                }
            }
        }
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&context);
    return sizes;
}

// Processor time of the whole process (the camera's streaming thread included), in seconds.
double ProcessorSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto seconds = [](const FILETIME& time) {
        return ((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

class TestDevicesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(ResetConfiguration()); }
    void TearDown() override { ResetConfiguration(); }

    // Runs the camera's filter in format for about milliseconds, its samples
    // going to collector, and takes the graph down again.
    static ::testing::AssertionResult Capture(IBaseFilter* filter, const VideoFormat& format,
                                              DWORD milliseconds, SampleCollector& collector) {
        CaptureGraph graph;
        HRESULT hr = graph.Build(filter, &collector, &format);
        if (hr != S_OK) {
            return ::testing::AssertionFailure()
                   << "building the graph for " << SubtypeName(format.subtype) << ' '
                   << format.width << 'x' << format.height << " answered " << std::hex << hr;
        }
        hr = graph.RunFor(milliseconds);
        graph.TearDown();
        if (hr != S_OK) {
            return ::testing::AssertionFailure() << "running the graph answered " << std::hex << hr;
        }
        return ::testing::AssertionSuccess();
    }
};

TEST_F(TestDevicesTest, DefaultDevicesAreEnumeratedWithTheirProperties) {
    const auto cameras = Enumerate(CLSID_VideoInputDeviceCategory);
    const Device* camera = FindByPath(cameras, kDefaultCameraPath);
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(camera->name, L"Orvana Test Camera");
    const auto microphones = Enumerate(CLSID_AudioInputDeviceCategory);
    bool found = false;
    for (const auto& microphone : microphones)
        found = found || microphone.name == L"Orvana Test Microphone";
    EXPECT_TRUE(found);
}

TEST_F(TestDevicesTest, ConfiguredCamerasEnumerateWithTheirOwnFormatsAndUnpluggedOnesDoNot) {
    Configuration configuration;
    CameraConfig first = DefaultCamera(
        L"Front Camera",
        L"\\\\?\\usb#vid_1111&pid_0001#1#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global");
    first.capturePin = {{VideoSubtype::YUY2, 320, 240, 30}};
    CameraConfig second = DefaultCamera(
        L"Back Camera",
        L"\\\\?\\usb#vid_1111&pid_0002#1#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global");
    second.capturePin = {{VideoSubtype::H264, 1920, 1080, 30}, {VideoSubtype::MJPG, 640, 480, 15}};
    configuration.cameras = {first, second};
    configuration.microphones = {DefaultMicrophone()};
    ASSERT_TRUE(SaveConfiguration(configuration));

    auto cameras = Enumerate(CLSID_VideoInputDeviceCategory);
    EXPECT_EQ(FindByPath(cameras, kDefaultCameraPath), nullptr); // no longer configured
    for (const auto* config : {&first, &second}) {
        const Device* device = FindByPath(cameras, config->devicePath);
        ASSERT_NE(device, nullptr);
        EXPECT_EQ(device->name, config->name);
        ComPtr<IBaseFilter> filter;
        ASSERT_EQ(device->moniker->BindToObject(nullptr, nullptr, IID_PPV_ARGS(&filter)), S_OK);
        ComPtr<IPin> pin;
        ASSERT_EQ(filter->FindPin(L"Capture", &pin), S_OK);
        ComPtr<IAMStreamConfig> streamConfig;
        ASSERT_EQ(pin.As(&streamConfig), S_OK);
        int count = 0, size = 0;
        ASSERT_EQ(streamConfig->GetNumberOfCapabilities(&count, &size), S_OK);
        ASSERT_EQ(count, static_cast<int>(config->capturePin.size()));
        for (int i = 0; i < count; ++i) {
            AM_MEDIA_TYPE* given = nullptr;
            BYTE caps[sizeof(VIDEO_STREAM_CONFIG_CAPS)];
            ASSERT_EQ(streamConfig->GetStreamCaps(i, &given, caps), S_OK);
            const MediaTypePtr type(given);
            const auto* info = reinterpret_cast<VIDEOINFOHEADER*>(type->pbFormat);
            EXPECT_EQ(type->subtype, SubtypeGuid(config->capturePin[i].subtype));
            EXPECT_EQ(info->bmiHeader.biWidth, config->capturePin[i].width);
            EXPECT_EQ(info->bmiHeader.biHeight, config->capturePin[i].height);
            EXPECT_EQ(info->AvgTimePerFrame, 10000000LL / config->capturePin[i].fps);
        }
    }

    ASSERT_TRUE(Unplug(second.devicePath, false));
    cameras = Enumerate(CLSID_VideoInputDeviceCategory);
    EXPECT_NE(FindByPath(cameras, first.devicePath), nullptr);
    EXPECT_EQ(FindByPath(cameras, second.devicePath), nullptr);
    ASSERT_TRUE(Replug(second.devicePath, false));
    EXPECT_NE(FindByPath(Enumerate(CLSID_VideoInputDeviceCategory), second.devicePath), nullptr);
    EXPECT_FALSE(Unplug(L"\\\\?\\no#such#device", false));
}

TEST_F(TestDevicesTest, InvalidConfigurationsAreRefusedAndFormatTextsRoundTrip) {
    Configuration duplicate = DefaultConfiguration();
    duplicate.cameras.push_back(DefaultCamera(L"Other", kDefaultCameraPath));
    EXPECT_FALSE(SaveConfiguration(duplicate));
    Configuration oddSize = DefaultConfiguration();
    oddSize.cameras[0].capturePin = {{VideoSubtype::MJPG, 641, 480, 30}};
    EXPECT_FALSE(SaveConfiguration(oddSize));
    Configuration badProperty = DefaultConfiguration();
    badProperty.cameras[0].procAmp[0].value = 1000; // outside its range
    EXPECT_FALSE(SaveConfiguration(badProperty));
    Configuration noPins = DefaultConfiguration();
    noPins.cameras[0].capturePin.clear();
    EXPECT_FALSE(SaveConfiguration(noPins));
    // A refused configuration leaves the default devices in place.
    EXPECT_NE(FindByPath(Enumerate(CLSID_VideoInputDeviceCategory), kDefaultCameraPath), nullptr);

    std::vector<VideoFormat> formats;
    ASSERT_TRUE(ParseFormatList(FormatListText(StandardVideoFormats()), formats));
    EXPECT_EQ(formats, StandardVideoFormats());
    VideoFormat format;
    EXPECT_TRUE(ParseFormat(L"H264 1920x1080@30", format));
    EXPECT_EQ(format, (VideoFormat{VideoSubtype::H264, 1920, 1080, 30}));
    EXPECT_TRUE(ParseFormat(FormatText({VideoSubtype::RGB24, 322, 240, 15, true}), format));
    EXPECT_EQ(format, (VideoFormat{VideoSubtype::RGB24, 322, 240, 15, true}));
    for (const wchar_t* bad :
         {L"Y41P 640x480@30", L"MJPG 640x480", L"MJPG 640x480@30 x", L"NV12 640x480@30 VIH2 x",
          L"MJPG 0x480@30", L"YUY2 640x480@0", L""}) {
        EXPECT_FALSE(ParseFormat(bad, format)) << bad;
    }

    // What is saved is what is loaded, faults and pins included.
    Configuration configuration = DefaultConfiguration();
    configuration.cameras[0].stillPin = {{VideoSubtype::MJPG, 1920, 1080, 15}};
    configuration.cameras[0].secondPinIsPreview = true;
    configuration.cameras[0].secondPin = {{VideoSubtype::YUY2, 640, 480, 30}};
    configuration.cameras[0].faults.stallAfter = 3;
    configuration.cameras[0].faults.stallMs = 500;
    configuration.microphones[0].toneHz = 440;
    ASSERT_TRUE(SaveConfiguration(configuration));
    const Configuration loaded = LoadConfiguration();
    ASSERT_EQ(loaded.cameras.size(), 1u);
    EXPECT_EQ(loaded.cameras[0].stillPin, configuration.cameras[0].stillPin);
    EXPECT_EQ(loaded.cameras[0].secondPin, configuration.cameras[0].secondPin);
    EXPECT_TRUE(loaded.cameras[0].secondPinIsPreview);
    EXPECT_EQ(loaded.cameras[0].faults, configuration.cameras[0].faults);
    EXPECT_EQ(loaded.microphones[0].toneHz, 440);
}

TEST_F(TestDevicesTest, PinsReportCategoriesAndTheStandardCapabilities) {
    Configuration configuration = DefaultConfiguration();
    configuration.cameras[0].secondPin = {{VideoSubtype::H264, 1280, 720, 30}};
    configuration.cameras[0].stillPin = {{VideoSubtype::MJPG, 1920, 1080, 15}};
    ASSERT_TRUE(SaveConfiguration(configuration));
    ComPtr<IBaseFilter> filter = BindCamera();
    ASSERT_TRUE(filter);

    ComPtr<IEnumPins> pins;
    ASSERT_EQ(filter->EnumPins(&pins), S_OK);
    std::vector<GUID> categories;
    ComPtr<IPin> pin;
    while (pins->Next(1, &pin, nullptr) == S_OK) {
        ComPtr<IKsPropertySet> properties;
        ASSERT_EQ(pin.As(&properties), S_OK);
        GUID category = GUID_NULL;
        DWORD returned = 0;
        ASSERT_EQ(properties->Get(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0, &category,
                                  sizeof(category), &returned),
                  S_OK);
        EXPECT_EQ(returned, sizeof(GUID));
        EXPECT_EQ(properties->Get(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0, &category,
                                  sizeof(category) - 1, &returned),
                  E_UNEXPECTED);
        categories.push_back(category);
        pin.Reset();
    }
    ASSERT_EQ(categories.size(), 3u);
    EXPECT_EQ(categories[0], PIN_CATEGORY_CAPTURE);
    EXPECT_EQ(categories[1], PIN_CATEGORY_CAPTURE);
    EXPECT_EQ(categories[2], PIN_CATEGORY_STILL);

    ComPtr<ICaptureGraphBuilder2> builder;
    ASSERT_EQ(CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER,
                               IID_PPV_ARGS(&builder)),
              S_OK);
    ComPtr<IAMStreamConfig> config;
    ASSERT_EQ(builder->FindInterface(&PIN_CATEGORY_CAPTURE, nullptr, filter.Get(),
                                     IID_IAMStreamConfig, &config),
              S_OK);
    int count = 0, size = 0;
    ASSERT_EQ(config->GetNumberOfCapabilities(&count, &size), S_OK);
    const auto standard = StandardVideoFormats();
    ASSERT_EQ(count, static_cast<int>(standard.size()));
    EXPECT_EQ(size, static_cast<int>(sizeof(VIDEO_STREAM_CONFIG_CAPS)));
    AM_MEDIA_TYPE* type = nullptr;
    BYTE caps[sizeof(VIDEO_STREAM_CONFIG_CAPS)];
    EXPECT_EQ(config->GetStreamCaps(count, &type, caps), S_FALSE);

    // The active format starts as the first capability and follows SetFormat.
    ASSERT_EQ(config->GetStreamCaps(4, &type, caps), S_OK);
    ASSERT_EQ(config->SetFormat(type), S_OK);
    AM_MEDIA_TYPE* active = nullptr;
    ASSERT_EQ(config->GetFormat(&active), S_OK);
    EXPECT_EQ(active->subtype, type->subtype);
    EXPECT_EQ(reinterpret_cast<VIDEOINFOHEADER*>(active->pbFormat)->bmiHeader.biWidth, 1920);
    // A size the camera does not offer is refused.
    reinterpret_cast<VIDEOINFOHEADER*>(type->pbFormat)->bmiHeader.biWidth = 1000;
    EXPECT_EQ(config->SetFormat(type), VFW_E_INVALIDMEDIATYPE);
    for (AM_MEDIA_TYPE* t : {type, active}) {
        CoTaskMemFree(t->pbFormat);
        CoTaskMemFree(t);
    }
}

TEST_F(TestDevicesTest, MjpegGraphDeliversValidMovingJpegsAtTheChosenRate) {
    ComPtr<IBaseFilter> filter = BindCamera();
    ASSERT_TRUE(filter);
    SampleCollector collector(200);
    ASSERT_TRUE(Capture(filter.Get(), {VideoSubtype::MJPG, 640, 480, 30}, 2000, collector));

    EXPECT_GE(collector.lengths.size(), 50u);
    EXPECT_LE(collector.lengths.size(), 70u);
    for (const auto& jpeg : collector.bytes) {
        int width = 0, height = 0;
        ASSERT_TRUE(JpegSize(jpeg, width, height));
        EXPECT_EQ(width, 640);
        EXPECT_EQ(height, 480);
    }
    for (size_t i = 1; i < collector.times.size(); ++i) {
        EXPECT_GT(collector.times[i], collector.times[i - 1]);
    }
    std::vector<std::vector<uint8_t>> rows;
    const auto sizes = Decode(AV_CODEC_ID_MJPEG, collector.bytes, &rows);
    ASSERT_EQ(sizes.size(), collector.bytes.size());
    EXPECT_EQ(sizes[0], std::make_pair(640, 480));
    ASSERT_GE(rows.size(), 2u);
    EXPECT_NE(rows[0], rows[1]); // the frame counter changes the picture
}

TEST_F(TestDevicesTest, Yuy2SamplesAreWholeFramesAndH264SamplesDecodeToTheChosenSize) {
    ComPtr<IBaseFilter> filter = BindCamera();
    ASSERT_TRUE(filter);
    {
        SampleCollector collector(0);
        ASSERT_TRUE(Capture(filter.Get(), {VideoSubtype::YUY2, 1280, 720, 15}, 1000, collector));
        ASSERT_GE(collector.lengths.size(), 5u);
        for (long length : collector.lengths)
            EXPECT_EQ(length, 1843200);
    }
    {
        SampleCollector collector(100);
        ASSERT_TRUE(Capture(filter.Get(), {VideoSubtype::H264, 640, 480, 30}, 1500, collector));
        ASSERT_GE(collector.bytes.size(), 20u);
        // Annex B: every sample starts with a start code.
        EXPECT_EQ(collector.bytes[0][0], 0);
        EXPECT_EQ(collector.bytes[0][1], 0);
        const auto sizes = Decode(AV_CODEC_ID_H264, collector.bytes);
        ASSERT_GE(sizes.size(), collector.bytes.size() - 2);
        for (const auto& size : sizes)
            EXPECT_EQ(size, std::make_pair(640, 480));
    }
}

TEST_F(TestDevicesTest, NoisyCameraDeliversItsSensorNoiseAndKeepsUpAt1080p) {
    Configuration configuration = DefaultConfiguration();
    configuration.cameras[0].noiseLevel = kWebcamNoiseLevel;
    ASSERT_TRUE(SaveConfiguration(configuration));
    ComPtr<IBaseFilter> filter = BindCamera();
    ASSERT_TRUE(filter);
    SampleCollector collector(1);
    CaptureGraph graph;
    const VideoFormat format{VideoSubtype::YUY2, 1920, 1080, 30};
    ASSERT_EQ(graph.Build(filter.Get(), &collector, &format), S_OK);
    const double processorBefore = ProcessorSeconds();
    ASSERT_EQ(graph.RunFor(2000), S_OK);
    const double processor = ProcessorSeconds() - processorBefore;
    graph.TearDown();
    const size_t delivered = collector.Count();
    ASSERT_GE(delivered, 10u);
    // Processor time, not the rate seen, which other work on the machine lowers: the whole
    // camera (picture, noise, packing, the grabber's copy) takes 6 ms a picture, the still
    // picture 3 ms; a third of a picture's 33 ms leaves the camera its pace on a busy machine.
    const double perPicture = processor / delivered;
    EXPECT_LT(perPicture, 0.011) << delivered << " pictures in " << processor << " s";

    // In the middle of the third bar, below the frame number: flat but for the noise, whose
    // neighbouring values differ by its standard deviation times the square root of two.
    ASSERT_EQ(collector.bytes.size(), 1u);
    const std::vector<BYTE>& sample = collector.bytes[0];
    ASSERT_EQ(sample.size(), 1920u * 1080 * 2);
    double squares = 0;
    int count = 0;
    for (int y = 1080 / 4; y < 1080 / 2; ++y) {
        for (int x = 1920 * 2 / 8 + 60; x < 1920 * 3 / 8 - 60; ++x) {
            const int step = sample[(y * 1920 + x + 1) * 2] - sample[(y * 1920 + x) * 2];
            squares += step * step;
            ++count;
        }
    }
    const double deviation = std::sqrt(squares / count / 2);
    EXPECT_NEAR(deviation, kWebcamNoiseLevel, kWebcamNoiseLevel * 0.15);
}

TEST_F(TestDevicesTest, SetFormatOnAConnectedPinReconnectsWithTheNewFormat) {
    // The program's own graph: the capture pin connected straight to the grabber, then the
    // chosen format applied to the connected pin.
    ComPtr<IBaseFilter> filter = BindCamera();
    ASSERT_TRUE(filter);
    SampleCollector collector(0);
    CaptureGraph graph;
    ASSERT_EQ(graph.Build(filter.Get(), &collector, nullptr, false), S_OK);
    ComPtr<IPin> capturePin, grabberIn, grabberOut, rendererIn;
    ASSERT_EQ(filter->FindPin(L"Capture", &capturePin), S_OK);
    ASSERT_EQ(graph.grabberFilter->FindPin(L"In", &grabberIn), S_OK);
    ASSERT_EQ(graph.grabberFilter->FindPin(L"Out", &grabberOut), S_OK);
    ASSERT_EQ(graph.nullRenderer->FindPin(L"In", &rendererIn), S_OK);
    ASSERT_EQ(graph.graph->Connect(capturePin.Get(), grabberIn.Get()), S_OK);
    ASSERT_EQ(graph.graph->Connect(grabberOut.Get(), rendererIn.Get()), S_OK);
    ASSERT_EQ(capturePin.As(&graph.config), S_OK);
    ASSERT_EQ(graph.ApplyFormat({VideoSubtype::YUY2, 640, 480, 30}), S_OK);
    AM_MEDIA_TYPE connected = {};
    ASSERT_EQ(capturePin->ConnectionMediaType(&connected), S_OK);
    EXPECT_EQ(connected.subtype, MEDIASUBTYPE_YUY2);
    CoTaskMemFree(connected.pbFormat);
    ASSERT_EQ(graph.RunFor(1000), S_OK);
    graph.TearDown();
    ASSERT_GE(collector.lengths.size(), 10u);
    for (long length : collector.lengths)
        EXPECT_EQ(length, 640 * 480 * 2);
}

TEST_F(TestDevicesTest, PropertiesKeepRangesAndValuesAndRejectWhatHardwareRejects) {
    ComPtr<IBaseFilter> filter = BindCamera();
    ASSERT_TRUE(filter);
    ComPtr<IAMVideoProcAmp> procAmp;
    ComPtr<IAMCameraControl> cameraControl;
    ASSERT_EQ(filter.As(&procAmp), S_OK);
    ASSERT_EQ(filter.As(&cameraControl), S_OK);

    CameraConfig standard = DefaultCamera();
    for (long property : {0L, 1L, 2L, 3L, 4L, 7L, 9L, 13L}) {
        long minimum, maximum, step, defaultValue, caps, value, flags;
        ASSERT_EQ(procAmp->GetRange(property, &minimum, &maximum, &step, &defaultValue, &caps),
                  S_OK);
        EXPECT_EQ(minimum, standard.procAmp[property].minimum);
        EXPECT_EQ(maximum, standard.procAmp[property].maximum);
        EXPECT_EQ(defaultValue, standard.procAmp[property].defaultValue);
        ASSERT_EQ(procAmp->Get(property, &value, &flags), S_OK);
        EXPECT_EQ(value, defaultValue);
    }
    long minimum, maximum, step, defaultValue, caps, value, flags;
    EXPECT_EQ(procAmp->GetRange(10, &minimum, &maximum, &step, &defaultValue, &caps),
              E_PROP_ID_UNSUPPORTED);
    EXPECT_EQ(procAmp->Set(10, 0, 2), E_PROP_ID_UNSUPPORTED);
    EXPECT_EQ(procAmp->Set(0, 65, 2), E_INVALIDARG); // above the maximum
    EXPECT_EQ(procAmp->Set(0, 10, 1), E_INVALIDARG); // brightness has no automatic mode
    EXPECT_EQ(procAmp->Set(0, 10, 0), E_INVALIDARG);
    EXPECT_EQ(procAmp->Set(0, 10, 2), S_OK);
    EXPECT_EQ(procAmp->Set(7, 5000, 1), S_OK);
    EXPECT_EQ(procAmp->Set(13, 2, 2), S_OK);
    ASSERT_EQ(procAmp->Get(7, &value, &flags), S_OK);
    EXPECT_EQ(value, 5000);
    EXPECT_EQ(flags, 1);
    EXPECT_EQ(cameraControl->Set(3, 120, 2), S_OK);
    EXPECT_EQ(cameraControl->Set(3, 99, 2), E_INVALIDARG);
    EXPECT_EQ(cameraControl->Get(0, &value, &flags), E_PROP_ID_UNSUPPORTED); // no pan

    // The state outlives the filter, as in a camera, and is visible to the tests.
    filter.Reset();
    procAmp.Reset();
    cameraControl.Reset();
    const Configuration stored = LoadConfiguration();
    EXPECT_EQ(stored.cameras[0].procAmp[0].value, 10);
    EXPECT_EQ(stored.cameras[0].procAmp[13].value, 2);
    EXPECT_EQ(stored.cameras[0].cameraControl[3].value, 120);
    ComPtr<IBaseFilter> again = BindCamera();
    ASSERT_TRUE(again);
    ASSERT_EQ(again.As(&procAmp), S_OK);
    ASSERT_EQ(procAmp->Get(0, &value, &flags), S_OK);
    EXPECT_EQ(value, 10);
    EXPECT_EQ(flags, 2);

    Configuration bare = DefaultConfiguration();
    bare.cameras[0].hasVideoProcAmp = false;
    ASSERT_TRUE(SaveConfiguration(bare));
    ComPtr<IBaseFilter> withoutProcAmp = BindCamera();
    ASSERT_TRUE(withoutProcAmp);
    ComPtr<IAMVideoProcAmp> missing;
    EXPECT_EQ(withoutProcAmp.As(&missing), E_NOINTERFACE);
}

TEST_F(TestDevicesTest, FaultsShapeTheDeliveredSamples) {
    Faults faults;
    faults.zeroLengthEvery = 4;
    faults.truncateEvery = 5;
    faults.endOfStreamAfter = 20;
    ASSERT_TRUE(SetFaults(kDefaultCameraPath, faults));
    ComPtr<IBaseFilter> filter = BindCamera();
    ASSERT_TRUE(filter);
    SampleCollector collector(0);
    const VideoFormat format{VideoSubtype::YUY2, 640, 480, 30};
    ASSERT_TRUE(Capture(filter.Get(), format, 1500, collector));
    // Twenty samples, then the end of the stream. Wine's grabber hands no empty buffer to
    // BufferCB, so the zero-length samples (every fourth) show as missing ones.
    std::vector<long> expected;
    for (int number = 1; number <= 20; ++number) {
        if (number % 4 != 0)
            expected.push_back(number % 5 == 0 ? 640 * 480 : 640 * 480 * 2);
    }
    EXPECT_EQ(collector.lengths, expected);

    // A slow camera, then an unplugged one: nothing arrives until it is plugged back.
    faults = Faults();
    faults.actualFps = 10;
    ASSERT_TRUE(SetFaults(kDefaultCameraPath, faults));
    Pump(300); // the filter re-reads its faults at most every quarter of a second
    SampleCollector slow(0);
    CaptureGraph graph;
    ASSERT_EQ(graph.Build(filter.Get(), &slow, &format), S_OK);
    ComPtr<IMediaControl> control;
    ASSERT_EQ(graph.graph.As(&control), S_OK);
    const DWORD started = GetTickCount();
    ASSERT_TRUE(SUCCEEDED(control->Run()));
    Pump(1000);
    const size_t beforeUnplug = slow.Count();
    // Measured against the time that really passed: a loaded machine pumps longer.
    const double seconds = (GetTickCount() - started) / 1000.0;
    EXPECT_GE(beforeUnplug / seconds, 6.0);
    EXPECT_LE(beforeUnplug / seconds, 13.0);
    ASSERT_TRUE(Unplug(kDefaultCameraPath, false));
    Pump(400); // the stream notices within a quarter of a second
    const size_t atUnplug = slow.Count();
    Pump(600);
    EXPECT_EQ(slow.Count(), atUnplug);
    ASSERT_TRUE(Replug(kDefaultCameraPath, false));
    Pump(800);
    EXPECT_GT(slow.Count(), atUnplug);
    control->Stop();
}

LRESULT CALLBACK RecordDeviceChange(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

struct DeviceChange {
    WPARAM event;
    DWORD deviceType;
    GUID classGuid;
    std::string name;
};
std::vector<DeviceChange> g_deviceChanges;

LRESULT CALLBACK RecordDeviceChange(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DEVICECHANGE && lParam) {
        const auto* header = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_A*>(lParam);
        g_deviceChanges.push_back(
            {wParam, header->dbcc_devicetype, header->dbcc_classguid, header->dbcc_name});
        return TRUE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(TestDevicesTest, UnplugAndReplugNotifyTheMainWindow) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = RecordDeviceChange;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "UIFrame";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowA("UIFrame", "Orvana", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                nullptr, windowClass.hInstance, nullptr);
    ASSERT_TRUE(window);
    g_deviceChanges.clear();
    ASSERT_TRUE(Unplug(kDefaultCameraPath));
    ASSERT_TRUE(Replug(kDefaultCameraPath));
    DestroyWindow(window);

    ASSERT_EQ(g_deviceChanges.size(), 2u);
    const GUID capture = {
        0x65e8773d, 0x8f56, 0x11d0, {0xa3, 0xb9, 0x00, 0xa0, 0xc9, 0x22, 0x31, 0x96}};
    EXPECT_EQ(g_deviceChanges[0].event, static_cast<WPARAM>(DBT_DEVICEREMOVECOMPLETE));
    EXPECT_EQ(g_deviceChanges[1].event, static_cast<WPARAM>(DBT_DEVICEARRIVAL));
    for (const auto& change : g_deviceChanges) {
        EXPECT_EQ(change.deviceType, static_cast<DWORD>(DBT_DEVTYP_DEVICEINTERFACE));
        EXPECT_EQ(change.classGuid, capture);
        EXPECT_EQ(
            change.name,
            "\\\\?\\root#orvana_test_camera#0000#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global");
    }
}

TEST_F(TestDevicesTest, FfmpegDshowInputReadsTheMicrophoneTone) {
    avdevice_register_all();
    const AVInputFormat* dshow = av_find_input_format("dshow");
    ASSERT_NE(dshow, nullptr);
    AVFormatContext* input = nullptr;
    ASSERT_EQ(avformat_open_input(&input, "audio=Orvana Test Microphone", dshow, nullptr), 0);
    ASSERT_GE(input->nb_streams, 1u);
    const AVCodecParameters* parameters = input->streams[0]->codecpar;
    EXPECT_EQ(parameters->codec_type, AVMEDIA_TYPE_AUDIO);
    EXPECT_EQ(parameters->codec_id, AV_CODEC_ID_PCM_S16LE);
    EXPECT_EQ(parameters->sample_rate, 48000);
    EXPECT_EQ(parameters->ch_layout.nb_channels, 2);

    std::vector<int16_t> left;
    AVPacket* packet = av_packet_alloc();
    const DWORD start = GetTickCount();
    while (left.size() < 96000 && GetTickCount() - start < 8000 &&
           av_read_frame(input, packet) >= 0) {
        const auto* samples = reinterpret_cast<const int16_t*>(packet->data);
        for (int i = 0; i + 1 < packet->size / 2; i += 2)
            left.push_back(samples[i]);
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    avformat_close_input(&input);

    ASSERT_GE(left.size(), 96000u);
    int crossings = 0, peak = 0;
    for (size_t i = 1; i < 96000; ++i) {
        if (left[i - 1] < 0 && left[i] >= 0)
            ++crossings;
        peak = std::max<int>(peak, std::abs(left[i]));
    }
    EXPECT_NEAR(crossings, 2000, 40); // 1 kHz for 2 s
    EXPECT_NEAR(peak, 8192, 100);
}

TEST_F(TestDevicesTest, FilterIsReleasedAfterTheGraphIsTornDown) {
    ComPtr<IBaseFilter> filter = BindCamera();
    ASSERT_TRUE(filter);
    {
        SampleCollector collector(0);
        ASSERT_TRUE(Capture(filter.Get(), {VideoSubtype::MJPG, 640, 480, 30}, 300, collector));
        EXPECT_GT(collector.lengths.size(), 0u);
    }
    EXPECT_EQ(filter.Detach()->Release(), 0u);
}

} // namespace
