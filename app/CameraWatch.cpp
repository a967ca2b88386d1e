#include "app/CameraWatch.h"

#include <algorithm>

namespace {

// HRESULTs as the camera driver's stack answers them.
constexpr int32_t kAccessDenied = static_cast<int32_t>(0x80070005);  // E_ACCESSDENIED
constexpr int32_t kNoResources = static_cast<int32_t>(0x800705AA);   // ERROR_NO_SYSTEM_RESOURCES
constexpr int32_t kDeviceFailure = static_cast<int32_t>(0x8007001F); // ERROR_GEN_FAILURE
constexpr int32_t kBusy = static_cast<int32_t>(0x800700AA);          // ERROR_BUSY
constexpr int32_t kSharingViolation = static_cast<int32_t>(0x80070020);

constexpr uint64_t kFirstRestartWaitMs = 2 * CameraWatch::kNoPictureMs;

} // namespace

CameraTrouble TroubleOfStartFailure(int32_t result) {
    switch (result) {
    case kAccessDenied:
        return CameraTrouble::Denied;
    case kNoResources:
    case kDeviceFailure:
    case kBusy:
    case kSharingViolation:
        return CameraTrouble::InUse;
    default:
        return CameraTrouble::NotStarted;
    }
}

void CameraWatch::StartWatching(const Look& look, uint64_t nowMs) {
    m_camera = look.camera;
    m_pictures = look.pictures;
    m_quietSince = nowMs;
    m_restartWait = kFirstRestartWaitMs;
    m_trouble = CameraTrouble::None;
    m_state = State::Waiting;
    if (!look.running) {
        m_state = State::Failed;
        m_trouble = TroubleOfStartFailure(look.startResult);
        m_nextTry = nowMs + kRetryMs;
    }
}

void CameraWatch::Hurry(bool restartRunning) {
    m_hurry = true;
    m_restartRunning = m_restartRunning || restartRunning;
}

void CameraWatch::SetUnseen(bool unseen) {
    if (m_unseen && !unseen) {
        m_hurry = true;
    }
    m_unseen = unseen;
}

CameraWatch::Step CameraWatch::Observe(const Look& look, uint64_t nowMs) {
    m_lastLook = nowMs;
    if (look.camera == nullptr) {
        m_state = State::NoCamera;
        m_trouble = CameraTrouble::None;
        m_camera = nullptr;
        m_hurry = m_restartRunning = false;
        return Step::Nothing;
    }
    if (look.camera != m_camera || m_state == State::NoCamera) {
        StartWatching(look, nowMs);
    }
    const bool hurry = m_hurry;
    const bool restartRunning = m_restartRunning;
    m_hurry = m_restartRunning = false;

    if (!look.running) {
        if (m_state != State::Failed) {
            m_state = State::Failed;
            m_nextTry = nowMs + kRetryMs;
        }
        m_trouble = TroubleOfStartFailure(look.startResult);
        if (m_unseen) {
            m_hurry = hurry;
            return Step::Nothing;
        }
        if (hurry || nowMs >= m_nextTry) {
            m_nextTry = nowMs + kRetryMs;
            return Step::StartAgain;
        }
        return Step::Nothing;
    }

    if (m_state == State::Failed) {
        // Started again: the pictures have their time to come.
        m_state = State::Waiting;
        m_quietSince = nowMs;
        m_trouble = CameraTrouble::None;
    }
    if (look.pictures != m_pictures) {
        m_pictures = look.pictures;
        m_quietSince = nowMs;
        m_state = State::Live;
        m_trouble = CameraTrouble::None;
        m_restartWait = kFirstRestartWaitMs;
    }
    if (restartRunning) {
        // Back from sleep: the stream ended meanwhile, whatever it seems.
        m_quietSince = nowMs;
        if (m_state == State::Live) {
            m_state = State::Waiting;
        }
        return Step::Restart;
    }
    if ((m_state == State::Waiting || m_state == State::Live) &&
        nowMs - m_quietSince >= kNoPictureMs) {
        m_state = State::Stalled;
        m_trouble = CameraTrouble::NoPicture;
        m_nextTry = nowMs;
    }
    // Activating the window does not hurry a restart: restarts keep their waits.
    if (m_state == State::Stalled && nowMs >= m_nextTry) {
        m_nextTry = nowMs + m_restartWait;
        m_restartWait = std::min(m_restartWait * 2, kLongestRestartWaitMs);
        return Step::Restart;
    }
    return Step::Nothing;
}
