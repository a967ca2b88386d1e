// CaptureEngine: the queue of camera samples and the worker thread that
// decodes, records, photographs and previews them.
#pragma once

#include <atomic>

class CaptureEngine {
public:
    static CaptureEngine& Instance();

    // Finishes a running recording (the file's trailer is written).
    void StopRecording();
    // Asks the worker thread to end; does not wait.
    void RequestStop();

    // Flags shared with the worker thread; each is written by one thread only.
    std::atomic<bool> recording{false};
    std::atomic<bool> minimized{false};
    std::atomic<int> state{0};

private:
    CaptureEngine() = default;
};
