#include "Core/EndpointVolume.h"

#include <audioclient.h>
#include <endpointvolume.h>
#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

namespace {

constexpr int kMuteCommand = -1;
constexpr int kUnmuteCommand = -2;
constexpr unsigned kMaximumLevel = 100;

// A success that hands back no object counts as a failure, so nothing is
// called through a null pointer.
template <class Interface> bool Activated(HRESULT hr, const ComPtr<Interface>& object) {
    return SUCCEEDED(hr) && object;
}

bool ApplyLevel(IAudioEndpointVolume* volume, int level) {
    if (level == kUnmuteCommand || level == kMuteCommand) {
        if (FAILED(volume->SetMute(level == kMuteCommand ? TRUE : FALSE, nullptr))) {
            throw EndpointVolumeError("SetMute");
        }
        return false;
    }
    // Read as unsigned, every other negative value is out of range too.
    if (static_cast<unsigned>(level) > kMaximumLevel) {
        throw EndpointVolumeError("Invalid Arg");
    }
    const float scalar = static_cast<float>(level) / 100.0f;
    if (FAILED(volume->SetMasterVolumeLevelScalar(scalar, &GUID_NULL))) {
        throw EndpointVolumeError("SetMasterVolumeLevelScalar");
    }
    return true;
}

ComPtr<IMMDeviceEnumerator> CreateEnumerator() {
    ComPtr<IMMDeviceEnumerator> enumerator;
    const HRESULT hr = ::CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                                          IID_PPV_ARGS(&enumerator));
    if (!Activated(hr, enumerator)) {
        throw EndpointVolumeError("CoCreateInstance");
    }
    return enumerator;
}

bool SetDefaultEndpointVolume(IMMDeviceEnumerator* enumerator, EDataFlow flow, ERole role,
                              int level) {
    // Declared in this order so that unwinding releases the client, the
    // volume and then the device.
    ComPtr<IMMDevice> device;
    ComPtr<IAudioEndpointVolume> volume;
    ComPtr<IAudioClient> client;

    HRESULT hr = enumerator->GetDefaultAudioEndpoint(flow, role, &device);
    if (!Activated(hr, device)) {
        throw EndpointVolumeError("GetDefaultAudioEndpoint");
    }
    hr = device->Activate(__uuidof(IAudioEndpointVolume), CLSCTX_ALL, nullptr, &volume);
    if (!Activated(hr, volume)) {
        throw EndpointVolumeError("pDevice->Active");
    }
    // The client is never used, but an endpoint that cannot give one is
    // treated as unusable.
    hr = device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr, &client);
    if (!Activated(hr, client)) {
        throw EndpointVolumeError("pDevice->Active");
    }
    return ApplyLevel(volume.Get(), level);
}

} // namespace

bool SetMicrophoneVolume(IMMDeviceEnumerator* enumerator, int level) {
    return SetDefaultEndpointVolume(enumerator, eCapture, eConsole, level);
}

bool SetSpeakerVolume(IMMDeviceEnumerator* enumerator, int level) {
    return SetDefaultEndpointVolume(enumerator, eRender, eMultimedia, level);
}

bool SetMicrophoneVolume(int level) {
    const ComPtr<IMMDeviceEnumerator> enumerator = CreateEnumerator();
    return SetMicrophoneVolume(enumerator.Get(), level);
}

bool SetSpeakerVolume(int level) {
    const ComPtr<IMMDeviceEnumerator> enumerator = CreateEnumerator();
    return SetSpeakerVolume(enumerator.Get(), level);
}
