// Endpoint volume on a fake Core Audio endpoint that records what it is told
// and counts its references, and once on Wine's own endpoints.
#include <windows.h>

#include <audioclient.h>
#include <endpointvolume.h>
#include <mmdeviceapi.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <iostream>

#include "Core/EndpointVolume.h"

namespace {

// Lives on the test's stack: the reference the test holds is the first one,
// and every reference the code takes must be given back.
template <class Interface> class FakeObject : public Interface {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (IsEqualIID(iid, __uuidof(IUnknown)) || IsEqualIID(iid, __uuidof(Interface))) {
            AddRef();
            *out = static_cast<Interface*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }

    ULONG references = 1;
};

class FakeEndpointVolume : public FakeObject<IAudioEndpointVolume> {
public:
    HRESULT STDMETHODCALLTYPE SetMasterVolumeLevelScalar(FLOAT level, LPCGUID context) override {
        ++scalarCalls;
        scalar = level;
        scalarContext = context;
        return scalarAnswer;
    }
    HRESULT STDMETHODCALLTYPE SetMute(WINBOOL muted, LPCGUID context) override {
        ++muteCalls;
        mute = muted;
        muteContext = context;
        return muteAnswer;
    }

    HRESULT STDMETHODCALLTYPE RegisterControlChangeNotify(IAudioEndpointVolumeCallback*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE
    UnregisterControlChangeNotify(IAudioEndpointVolumeCallback*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetChannelCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMasterVolumeLevel(FLOAT, LPCGUID) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMasterVolumeLevel(FLOAT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMasterVolumeLevelScalar(FLOAT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetChannelVolumeLevel(UINT, FLOAT, LPCGUID) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetChannelVolumeLevelScalar(UINT, FLOAT, LPCGUID) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetChannelVolumeLevel(UINT, FLOAT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetChannelVolumeLevelScalar(UINT, FLOAT*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetMute(WINBOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetVolumeStepInfo(UINT*, UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE VolumeStepUp(LPCGUID) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE VolumeStepDown(LPCGUID) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryHardwareSupport(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetVolumeRange(FLOAT*, FLOAT*, FLOAT*) override { return E_NOTIMPL; }

    HRESULT scalarAnswer = S_OK;
    HRESULT muteAnswer = S_OK;
    int scalarCalls = 0;
    float scalar = -1.0f;
    LPCGUID scalarContext = nullptr;
    int muteCalls = 0;
    WINBOOL mute = -1;
    LPCGUID muteContext = nullptr;
};

// Only its activation matters; nothing is ever called on it.
class FakeAudioClient : public FakeObject<IAudioClient> {
public:
    HRESULT STDMETHODCALLTYPE Initialize(AUDCLNT_SHAREMODE, DWORD, REFERENCE_TIME, REFERENCE_TIME,
                                         const WAVEFORMATEX*, LPCGUID) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetBufferSize(UINT32*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetStreamLatency(REFERENCE_TIME*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCurrentPadding(UINT32*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsFormatSupported(AUDCLNT_SHAREMODE, const WAVEFORMATEX*,
                                                WAVEFORMATEX**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetMixFormat(WAVEFORMATEX**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDevicePeriod(REFERENCE_TIME*, REFERENCE_TIME*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Start() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Stop() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reset() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetEventHandle(HANDLE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetService(REFIID, void**) override { return E_NOTIMPL; }
};

class FakeDevice : public FakeObject<IMMDevice> {
public:
    HRESULT STDMETHODCALLTYPE Activate(REFIID iid, DWORD, PROPVARIANT*, void** out) override {
        *out = nullptr;
        if (IsEqualIID(iid, __uuidof(IAudioEndpointVolume))) {
            return Hand(volumeAnswer, volume, out);
        }
        if (IsEqualIID(iid, __uuidof(IAudioClient))) {
            return Hand(clientAnswer, client, out);
        }
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE OpenPropertyStore(DWORD, IPropertyStore**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetId(LPWSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetState(DWORD*) override { return E_NOTIMPL; }

    HRESULT volumeAnswer = S_OK;
    HRESULT clientAnswer = S_OK;
    FakeEndpointVolume* volume = nullptr;
    FakeAudioClient* client = nullptr;

private:
    template <class Object> static HRESULT Hand(HRESULT answer, Object* object, void** out) {
        if (SUCCEEDED(answer) && object != nullptr) {
            object->AddRef();
            *out = object;
        }
        return answer;
    }
};

class FakeEnumerator : public FakeObject<IMMDeviceEnumerator> {
public:
    HRESULT STDMETHODCALLTYPE GetDefaultAudioEndpoint(EDataFlow askedFlow, ERole askedRole,
                                                      IMMDevice** out) override {
        flow = askedFlow;
        role = askedRole;
        *out = nullptr;
        if (SUCCEEDED(answer) && device != nullptr) {
            device->AddRef();
            *out = device;
        }
        return answer;
    }
    HRESULT STDMETHODCALLTYPE EnumAudioEndpoints(EDataFlow, DWORD, IMMDeviceCollection**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetDevice(LPCWSTR, IMMDevice**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE
    RegisterEndpointNotificationCallback(IMMNotificationClient*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE
    UnregisterEndpointNotificationCallback(IMMNotificationClient*) override {
        return E_NOTIMPL;
    }

    HRESULT answer = S_OK;
    FakeDevice* device = nullptr;
    EDataFlow flow = EDataFlow_enum_count;
    ERole role = ERole_enum_count;
};

using VolumeCall = std::function<bool()>;

::testing::AssertionResult FailsWith(const VolumeCall& call, const char* text) {
    try {
        const bool answer = call();
        return ::testing::AssertionFailure() << "answered " << answer << " instead of failing";
    } catch (const EndpointVolumeError& error) {
        if (std::strcmp(error.what(), text) != 0) {
            return ::testing::AssertionFailure() << "failed with \"" << error.what() << "\"";
        }
        return ::testing::AssertionSuccess();
    }
}

class EndpointVolumeTest : public ::testing::Test {
protected:
    EndpointVolumeTest() {
        enumerator.device = &device;
        device.volume = &volume;
        device.client = &client;
    }

    bool Microphone(int level) { return SetMicrophoneVolume(&enumerator, level); }
    VolumeCall MicrophoneCall(int level) {
        return [this, level] { return Microphone(level); };
    }

    // Every reference the code took has been given back.
    ::testing::AssertionResult OnlyTestReferencesLeft() const {
        if (enumerator.references == 1 && device.references == 1 && volume.references == 1 &&
            client.references == 1) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure()
               << "references: enumerator " << enumerator.references << ", device "
               << device.references << ", volume " << volume.references << ", client "
               << client.references;
    }

    FakeEnumerator enumerator;
    FakeDevice device;
    FakeEndpointVolume volume;
    FakeAudioClient client;
};

} // namespace

TEST_F(EndpointVolumeTest, LevelsBecomeHundredthsOnTheChosenEndpoint) {
    const struct {
        int level;
        float scalar;
    } cases[] = {{0, 0.0f}, {37, 0.37f}, {50, 0.5f}, {99, 0.99f}, {100, 1.0f}};
    for (const auto& step : cases) {
        SCOPED_TRACE(step.level);
        EXPECT_TRUE(Microphone(step.level));
        EXPECT_EQ(volume.scalar, step.scalar);
        ASSERT_NE(volume.scalarContext, nullptr);
        EXPECT_TRUE(IsEqualGUID(*volume.scalarContext, GUID_NULL));
        EXPECT_TRUE(OnlyTestReferencesLeft());
    }
    EXPECT_EQ(enumerator.flow, eCapture);
    EXPECT_EQ(enumerator.role, eConsole);
    EXPECT_EQ(volume.muteCalls, 0);

    EXPECT_TRUE(SetSpeakerVolume(&enumerator, 12));
    EXPECT_EQ(volume.scalar, 0.12f);
    EXPECT_EQ(enumerator.flow, eRender);
    EXPECT_EQ(enumerator.role, eMultimedia);
    EXPECT_TRUE(OnlyTestReferencesLeft());
}

TEST_F(EndpointVolumeTest, MinusOneMutesAndMinusTwoUnmutesAnsweringFalse) {
    EXPECT_FALSE(Microphone(-1));
    EXPECT_EQ(volume.mute, TRUE);
    EXPECT_EQ(volume.muteContext, nullptr);
    EXPECT_FALSE(SetSpeakerVolume(&enumerator, -2));
    EXPECT_EQ(volume.mute, FALSE);
    EXPECT_EQ(volume.muteCalls, 2);
    EXPECT_EQ(volume.scalarCalls, 0);
    EXPECT_TRUE(OnlyTestReferencesLeft());
}

TEST_F(EndpointVolumeTest, OtherLevelsAreRefusedWithoutTouchingTheEndpoint) {
    for (int level : {101, -3, INT_MIN, INT_MAX}) {
        SCOPED_TRACE(level);
        EXPECT_TRUE(FailsWith(MicrophoneCall(level), "Invalid Arg"));
        EXPECT_TRUE(OnlyTestReferencesLeft());
    }
    EXPECT_EQ(volume.scalarCalls, 0);
    EXPECT_EQ(volume.muteCalls, 0);
}

TEST_F(EndpointVolumeTest, EachFailingStepRaisesItsTextAndReleasesWhatItHeld) {
    enumerator.answer = HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    EXPECT_TRUE(FailsWith(MicrophoneCall(50), "GetDefaultAudioEndpoint"));
    EXPECT_TRUE(OnlyTestReferencesLeft());
    // A success that hands back no device is no endpoint either.
    enumerator.answer = S_OK;
    enumerator.device = nullptr;
    EXPECT_TRUE(FailsWith(MicrophoneCall(50), "GetDefaultAudioEndpoint"));
    enumerator.device = &device;

    device.volumeAnswer = E_NOINTERFACE;
    EXPECT_TRUE(FailsWith(MicrophoneCall(50), "pDevice->Active"));
    EXPECT_TRUE(OnlyTestReferencesLeft());
    device.volumeAnswer = S_OK;
    device.clientAnswer = AUDCLNT_E_DEVICE_INVALIDATED;
    EXPECT_TRUE(FailsWith(MicrophoneCall(50), "pDevice->Active"));
    EXPECT_TRUE(OnlyTestReferencesLeft());
    device.clientAnswer = S_OK;
    EXPECT_EQ(volume.scalarCalls, 0);

    // Wine answers E_NOTIMPL here.
    volume.scalarAnswer = E_NOTIMPL;
    EXPECT_TRUE(FailsWith(MicrophoneCall(50), "SetMasterVolumeLevelScalar"));
    volume.muteAnswer = E_NOTIMPL;
    EXPECT_TRUE(FailsWith(MicrophoneCall(-1), "SetMute"));
    EXPECT_TRUE(FailsWith(MicrophoneCall(-2), "SetMute"));
    EXPECT_TRUE(OnlyTestReferencesLeft());
}

// Whatever endpoints the Wine prefix has (often none, or one that cannot set
// its volume), each call either does its work or fails with one of its texts.
TEST(EndpointVolumeOnSystem, DefaultEndpointsSetOrFailWithAKnownText) {
    const char* const knownTexts[] = {
        "CoCreateInstance", "GetDefaultAudioEndpoint",    "pDevice->Active",
        "SetMute",          "SetMasterVolumeLevelScalar", "Invalid Arg"};
    const struct {
        const char* name;
        bool (*set)(int);
    } endpoints[] = {{"microphone", SetMicrophoneVolume}, {"speaker", SetSpeakerVolume}};
    for (const auto& endpoint : endpoints) {
        for (int level : {50, -1, 101}) {
            SCOPED_TRACE(::testing::Message() << endpoint.name << " " << level);
            try {
                const bool answer = endpoint.set(level);
                EXPECT_NE(level, 101);
                EXPECT_EQ(answer, level >= 0);
                std::cout << endpoint.name << " " << level << ": answered " << answer << "\n";
            } catch (const EndpointVolumeError& error) {
                bool known = false;
                for (const char* text : knownTexts) {
                    known = known || std::strcmp(error.what(), text) == 0;
                }
                EXPECT_TRUE(known) << error.what();
                std::cout << endpoint.name << " " << level << ": " << error.what() << "\n";
            }
        }
    }
}
