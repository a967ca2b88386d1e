// OutcomeNotices: what became of what the user asked for, on the bottom
// bar's notice line: a photo written (its file name, for a few seconds) or
// not (and why), a recording that could not start or ended by itself (and
// why), the output folder that would not open (and why); and, while a
// recording runs on a disk that is filling, the minutes it has left, so
// that nobody learns of a full disk from a recording that ended.
// User-interface thread only.
#pragma once

#include <cstdint>

#include "capture/OutputProblem.h"
#include "capture/recording/DiskTimeLeft.h"

class CaptureEngine;
class Notices;

class OutcomeNotices {
public:
    // How long "photo saved" stays on the line.
    static constexpr unsigned kPhotoSavedMs = 4000;

    OutcomeNotices(Notices& notices, CaptureEngine& engine);

    // Looks at the engine's outcomes: on the panel's timer, and right after
    // a click so that a refusal is told at once.
    void Check();
    // The open-folder button found the folder unusable, or the file
    // explorer did not start (None: it opened).
    void FolderOpened(OutputProblem problem);

private:
    void TellPhoto();
    void TellRecording();
    void WatchDisk();
    // The notice key of a cause, never null.
    static const char* WhyKey(OutputProblem problem);
    void ShowBecause(const char* key, OutputProblem problem);

    Notices& m_notices;
    CaptureEngine& m_engine;
    bool m_recording = false;
    DiskTimeLeft m_diskLeft;
    int64_t m_nextDiskLookUs = 0;
    int m_minutesShown = 0;
};
