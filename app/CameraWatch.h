// CameraWatch: whether the camera shown gives pictures, what keeps it from
// doing so, and when to try again. It only decides; the camera thread
// (CameraHost) shows it four times a second what the camera and the capture
// engine do, and carries out the step it answers.
//
// A camera whose graph does not run (held by another program, denied by the
// privacy setting) is started again every kRetryMs, often enough that its
// picture is back within 3 s of the other program letting go. One that runs
// but gives no picture for kNoPictureMs is stopped and run again; as long as
// no picture comes, each further restart waits twice as long as the one
// before (3, 6, 12, 24 s), at most kLongestRestartWaitMs. A picture ends the
// trouble and the waits start afresh.
#pragma once

#include <cstdint>

enum class CameraTrouble {
    None,       // pictures come, or the camera has only just started
    InUse,      // another program holds the camera
    Denied,     // Windows' privacy setting denies the camera
    NotStarted, // the camera would not start for another reason
    NoPicture,  // the camera runs but sends no picture
};

// The trouble a camera's failed start (an HRESULT, or 1 when nothing could be
// connected) stands for.
CameraTrouble TroubleOfStartFailure(int32_t result);

class CameraWatch {
public:
    static constexpr uint64_t kRetryMs = 1500;
    static constexpr uint64_t kNoPictureMs = 3000;
    static constexpr uint64_t kLongestRestartWaitMs = 30000;
    // A photo waits for the next picture: one second without any is too long
    // to take a photo (or start a recording) on, even before the 3 s.
    static constexpr uint64_t kFreshPictureMs = 1000;

    // What the window sees of the current camera at one moment.
    struct Look {
        const void* camera = nullptr; // none: no camera to watch
        bool running = false;         // its graph runs
        int32_t startResult = 0;      // why it does not run
        uint64_t pictures = 0;        // pictures decoded so far (any camera)
    };
    enum class Step {
        Nothing,
        StartAgain, // the graph does not run: start it again
        Restart,    // the graph runs without pictures: stop it and run it again
    };

    // Takes in what the window sees at nowMs (milliseconds of a steady
    // clock) and answers what to do now.
    Step Observe(const Look& look, uint64_t nowMs);
    // The window was activated or the machine woke up: the next Observe
    // starts a camera that does not run at once; after a wake-up a running
    // camera is restarted too, even while it still seems to deliver (its
    // stream has ended in the sleep).
    void Hurry(bool restartRunning);
    // While the window is minimised or the session locked, a camera that
    // does not run is not started again: a video-call program that lets it go
    // for a moment (to change its resolution) would lose it to a window
    // nobody looks at. Seen again, it is tried at once.
    void SetUnseen(bool unseen);

    CameraTrouble Trouble() const { return m_trouble; }
    // Pictures come from the current camera, the last one at most
    // kFreshPictureMs before the last look: photos and recordings can start.
    bool HasPicture() const {
        return m_state == State::Live && m_lastLook - m_quietSince <= kFreshPictureMs;
    }

private:
    enum class State { NoCamera, Failed, Waiting, Live, Stalled };

    void StartWatching(const Look& look, uint64_t nowMs);

    State m_state = State::NoCamera;
    CameraTrouble m_trouble = CameraTrouble::None;
    const void* m_camera = nullptr;
    uint64_t m_pictures = 0;
    uint64_t m_quietSince = 0; // the last picture, or the (re)start
    uint64_t m_lastLook = 0;
    uint64_t m_nextTry = 0;
    uint64_t m_restartWait = 0;
    bool m_hurry = false;
    bool m_restartRunning = false;
    bool m_unseen = false;
};
