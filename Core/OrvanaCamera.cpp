#include "Core/OrvanaCamera.h"

#include <utility>

using Microsoft::WRL::ComPtr;

OrvanaCamera::OrvanaCamera(IMoniker* deviceMoniker, IBaseFilter* deviceFilter, std::wstring name,
                           std::wstring path)
    : moniker(deviceMoniker), captureFilter(deviceFilter), friendlyName(std::move(name)),
      devicePath(std::move(path)) {}

OrvanaCamera::~OrvanaCamera() = default;

HRESULT STDMETHODCALLTYPE OrvanaCamera::BufferCB(double sampleTime, BYTE* buffer, LONG length) {
    SampleSink* const sink = sampleSink.load();
    if (sink == nullptr || buffer == nullptr || length <= 0) {
        return S_OK;
    }
    StreamFormat format{};
    int frameRate = 0;
    if (GetCurrentFormat(format, frameRate) == 0) {
        sink->TakeSample(format, sampleTime, buffer, length);
    }
    return S_OK;
}

HRESULT OrvanaCamera::Stop() {
    if (!running) {
        return S_OK;
    }
    if (!graph) {
        // The graph was let go after a stop that failed; with it gone there is
        // nothing left that runs, and keeping the flag would block every
        // later opening of this camera.
        running = false;
        return S_OK;
    }
    ComPtr<IMediaControl> control;
    HRESULT hr = graph.As(&control);
    if (FAILED(hr)) {
        return hr;
    }
    hr = control->Stop();
    if (FAILED(hr)) {
        return hr;
    }
    running = false;
    return S_OK;
}

HRESULT OrvanaCamera::Close() {
    if (running) {
        Stop();
    }
    if (graphBuilt) {
        // A graph that would not stop is not taken apart; its references are
        // let go all the same.
        if (!running) {
            RemoveDownstream(captureFilter);
            graphBuilt = false;
        }
        ReleaseGraphObjects();
    }
    opened = false;
    std::lock_guard<std::mutex> hold(m_activeLock);
    m_activeKnown = false;
    return 0;
}

void OrvanaCamera::RunGraph() {
    StartGraph();
}

HRESULT OrvanaCamera::StartGraph() {
    if (running) {
        return S_OK;
    }
    startResult = RunBuiltGraph();
    if (SUCCEEDED(startResult)) {
        running = true;
    }
    return startResult;
}

HRESULT OrvanaCamera::RunBuiltGraph() {
    if (!graphBuilt || !graph) {
        return E_UNEXPECTED;
    }
    ComPtr<IMediaControl> control;
    HRESULT hr = graph.As(&control);
    if (FAILED(hr)) {
        return hr;
    }
    hr = control->Run();
    // Wine's graph reports success even when a filter failed to start (it
    // keeps only the first filter's answer); the capture filter itself
    // tells whether it runs.
    FILTER_STATE state = State_Running;
    if (SUCCEEDED(hr) && captureFilter && SUCCEEDED(captureFilter->GetState(0, &state)) &&
        state == State_Stopped) {
        control->Stop();
        // Why it did not start (held by another program, denied) is what the
        // user is told; the filter answers it again when asked to start alone.
        hr = captureFilter->Pause();
        captureFilter->Stop();
        return FAILED(hr) ? hr : E_FAIL;
    }
    if (FAILED(hr)) {
        // Filters that did start are stopped, so the graph can be taken apart.
        control->Stop();
        return hr;
    }
    return S_OK;
}

HRESULT OrvanaCamera::Reopen(UINT notifyMessage) {
    if (!opened) {
        return kNotAvailable;
    }
    return Rebuild(notifyMessage, true);
}

HRESULT OrvanaCamera::SetFormat(UINT notifyMessage, unsigned index) {
    if (!opened || index >= formats.size()) {
        return kNotAvailable;
    }
    const bool wasRunning = running;
    const StreamFormat previous = currentFormat;
    currentFormat = formats[index];
    const HRESULT hr = Rebuild(notifyMessage, wasRunning);
    if (!DeviceDone(hr)) {
        currentFormat = previous;
        // A graph that would not stop still runs at the previous format; any
        // other failure left the camera stopped, so it comes back at the
        // format it had rather than freeze the preview.
        if (hr != E_UNEXPECTED) {
            Rebuild(notifyMessage, wasRunning);
        }
    }
    return hr;
}

HRESULT OrvanaCamera::Rebuild(UINT notifyMessage, bool run) {
    if (running) {
        Stop();
    }
    if (graphBuilt) {
        if (running) {
            return E_UNEXPECTED;
        }
        RemoveDownstream(captureFilter);
        graphBuilt = false;
    }
    ReleaseGraphObjects();
    HRESULT hr = CreateGraphObjects();
    if (FAILED(hr)) {
        return hr;
    }
    hr = BuildGraph(notifyWindow, notifyMessage);
    if (!DeviceDone(hr)) {
        return hr;
    }
    return run ? StartGraph() : S_OK;
}
