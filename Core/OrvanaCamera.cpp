#include "Core/OrvanaCamera.h"

#include <utility>

using Microsoft::WRL::ComPtr;

OrvanaCamera::OrvanaCamera(IMoniker* deviceMoniker, IBaseFilter* deviceFilter, std::wstring name,
                           std::wstring path)
    : moniker(deviceMoniker), captureFilter(deviceFilter), friendlyName(std::move(name)),
      devicePath(std::move(path)) {}

OrvanaCamera::~OrvanaCamera() = default;

HRESULT STDMETHODCALLTYPE OrvanaCamera::BufferCB(double sampleTime, BYTE* buffer, LONG length) {
    const FrameCallback callback = frameCallback;
    if (callback != nullptr) {
        callback(sampleTime, buffer, length);
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
    return 0;
}

void OrvanaCamera::RunGraph() {
    if (running || !graphBuilt || !graph) {
        return;
    }
    ComPtr<IMediaControl> control;
    if (SUCCEEDED(graph.As(&control)) && SUCCEEDED(control->Run())) {
        running = true;
    }
}
