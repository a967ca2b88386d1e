// OrvanaCamera: one video capture device, its stream formats, its
// sample-grabber graph and its image properties. The registry creates one
// per device and keeps it for the life of the process.
#pragma once

#include <windows.h>

#include <dshow.h>
#include <qedit.h>
#include <wrl/client.h>

#include "Core/DeviceResult.h"
#include "Core/GrabberCallback.h"

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "Core/SampleSink.h"
#include "Core/StreamFormat.h"

// Receives every captured sound buffer: sample time in seconds, the bytes
// (valid only during the call) and their number. Runs on the streaming thread.
using FrameCallback = void (*)(double sampleTime, unsigned char* buffer, long length);

// The video-processing gain, which cameras made for this program use as
// their mirror switch: range 0 to 1, 0 normal, 1 mirrored. On other cameras
// it is a real gain.
constexpr long kMirrorProperty = VideoProcAmp_Gain;
// Message number the graph's events are posted with when a camera is opened.
constexpr UINT kGraphNotifyMessage = 78;

// The first pin of filter whose connection state and direction are the given
// ones; S_OK with one reference in *pin, or VFW_E_NOT_FOUND.
HRESULT FindFilterPin(IBaseFilter* filter, bool connected, PIN_DIRECTION direction, IPin** pin);

class OrvanaCamera final : public GrabberCallback {
public:
    OrvanaCamera(IMoniker* moniker, IBaseFilter* captureFilter, std::wstring friendlyName,
                 std::wstring devicePath);
    OrvanaCamera(const OrvanaCamera&) = delete;
    OrvanaCamera& operator=(const OrvanaCamera&) = delete;
    ~OrvanaCamera();

    // Every buffer the grabber delivers goes to sampleSink with the format
    // the camera delivers now; without a known format it is dropped, since
    // it could not be decoded.
    HRESULT STDMETHODCALLTYPE BufferCB(double sampleTime, BYTE* buffer, LONG length) override;

    // Lifecycle (OrvanaCamera.cpp), built on the graph and format parts below.
    HRESULT Stop();
    // Stops, tears the graph down and marks the camera not opened; answers 0.
    HRESULT Close();
    // Runs a built graph that is not running; the result is kept in
    // startResult.
    void RunGraph();
    // The same, answering Run's result (also kept in startResult); a graph
    // that would not run is stopped again, so that it can be taken apart or
    // started again.
    HRESULT StartGraph();
    // Takes the graph down and builds it again at currentFormat, then runs
    // it: for a camera that runs but has stopped delivering. kNotAvailable when not
    // opened; otherwise as SetFormat.
    HRESULT Reopen(UINT notifyMessage);
    // Switches to formats[index] by rebuilding the graph. 0 switched, kNotAvailable not
    // opened or index out of range, E_UNEXPECTED when the graph would not
    // stop, or the failure of rebuilding, of the pin's SetFormat or of
    // running. After a failure the camera is back at its previous format,
    // running again if it ran.
    HRESULT SetFormat(UINT notifyMessage, unsigned index);

    // Graph (CaptureGraph.cpp).
    HRESULT CreateGraphObjects();
    // 0 built or nothing to do, kNotAvailable no usable pin, connection or format, or a failure
    // code.
    HRESULT BuildGraph(HWND notifyWindow, UINT notifyMessage);
    // Disconnects and removes every filter downstream of filter; takes over the reference.
    void RemoveDownstream(Microsoft::WRL::ComPtr<IBaseFilter> filter);
    void ReleaseGraphObjects();

    // Formats (CameraFormats.cpp): read from the pins, calling nothing above.
    void EnumerateFormats();
    // Reads the capture pin's format and keeps it for GetCurrentFormat (user-
    // interface thread, with the graph built and not running).
    void RecordActiveFormat();
    // 0 with the capture pin's format as recorded when the graph was last
    // built, or kNotAvailable. Never calls into the filter: the
    // streaming thread asks it for every sample, and real filters hold their
    // lock in Stop while they wait for that thread.
    HRESULT GetCurrentFormat(StreamFormat& format, int& frameRate);

    // Image properties (CameraProperties.cpp): 0 or the failing HRESULT.
    HRESULT GetVideoProcAmpRange(long property, long& minimum, long& maximum, long& steppingDelta,
                                 long& defaultValue, long& capsFlags);
    HRESULT GetVideoProcAmp(long property, long& value, long& flags);
    HRESULT SetVideoProcAmp(long property, long value, long flags);
    HRESULT GetCameraControlRange(long property, long& minimum, long& maximum, long& steppingDelta,
                                  long& defaultValue, long& capsFlags);
    HRESULT GetCameraControl(long property, long& value, long& flags);
    HRESULT SetCameraControl(long property, long value, long flags);
    HRESULT GetPowerLineFrequency(long& value);
    HRESULT SetPowerLineFrequency(long value);
    // Whether property 9 is a mirror switch: its range is exactly 0 to 1.
    bool HasMirrorSwitch();
    // Writes the mirror switch with the mode flags the property has now.
    HRESULT SetMirror(bool mirrored);

    Microsoft::WRL::ComPtr<IMoniker> moniker;
    Microsoft::WRL::ComPtr<IBaseFilter> captureFilter;
    Microsoft::WRL::ComPtr<IBaseFilter> grabberFilter;
    Microsoft::WRL::ComPtr<IBaseFilter> nullRenderer;
    Microsoft::WRL::ComPtr<ISampleGrabber> sampleGrabber;
    Microsoft::WRL::ComPtr<IGraphBuilder> graph;
    Microsoft::WRL::ComPtr<ICaptureGraphBuilder2> captureBuilder;
    Microsoft::WRL::ComPtr<IAMStreamConfig> streamConfig;
    bool opened = false;
    bool running = false;
    bool graphBuilt = false;
    // Why the camera last failed to open or run (the failing HRESULT, or kNotAvailable
    // when nothing could be connected); S_OK once it runs. A camera held by
    // another program answers HRESULT_FROM_WIN32(ERROR_NO_SYSTEM_RESOURCES)
    // or 0x8007001F, one that the privacy setting denies E_ACCESSDENIED.
    HRESULT startResult = S_OK;
    HWND notifyWindow = nullptr;
    std::vector<PinFormatGroup> pinGroups;
    std::vector<StreamFormat> formats;
    StreamFormat currentFormat;
    // Set while the graph is stopped, read on the streaming thread.
    std::atomic<SampleSink*> sampleSink{nullptr};
    // Without a mirror switch: whether the program flips this camera's
    // picture itself. User-interface thread only.
    bool pictureMirrored = false;
    std::wstring friendlyName;
    std::wstring devicePath;

private:
    HRESULT Rebuild(UINT notifyMessage, bool run);
    // Run on the built graph: S_OK, or the failure, the graph stopped again.
    HRESULT RunBuiltGraph();
    // The steps of BuildGraph (CaptureGraph.cpp): S_OK, kNotAvailable or a failure code.
    HRESULT AddGraphFilters();
    HRESULT ConnectCapturePin();
    HRESULT SettleFormat();
    HRESULT HookGrabber(HWND window, UINT notifyMessage);

    std::mutex m_activeLock; // guards the three below
    bool m_activeKnown = false;
    StreamFormat m_activeFormat{};
    int m_activeFrameRate = 0;
};
