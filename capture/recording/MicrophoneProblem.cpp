#include "capture/recording/MicrophoneProblem.h"

namespace {

constexpr uint32_t kAccessDenied = 0x80070005;      // E_ACCESSDENIED: the privacy settings
constexpr uint32_t kNoSystemResources = 0x800705AA; // ERROR_NO_SYSTEM_RESOURCES
constexpr uint32_t kGeneralFailure = 0x8007001F;    // ERROR_GEN_FAILURE
constexpr uint32_t kBusy = 0x800700AA;              // ERROR_BUSY
constexpr uint32_t kSharingViolation = 0x80070020;  // ERROR_SHARING_VIOLATION
constexpr uint32_t kAudioDeviceInUse = 0x8889000A;  // AUDCLNT_E_DEVICE_IN_USE

} // namespace

MicrophoneProblem ProblemOfStartFailure(int32_t hresult) {
    // What drivers answer when another program holds the device: Windows'
    // own kernel-streaming proxy and USB audio drivers give the first two.
    switch (static_cast<uint32_t>(hresult)) {
    case kAccessDenied:
        return MicrophoneProblem::Denied;
    case kNoSystemResources:
    case kGeneralFailure:
    case kBusy:
    case kSharingViolation:
    case kAudioDeviceInUse:
        return MicrophoneProblem::InUse;
    default:
        return hresult >= 0 ? MicrophoneProblem::None : MicrophoneProblem::Failed;
    }
}
