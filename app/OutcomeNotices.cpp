#include "app/OutcomeNotices.h"

#include <string>

#include "app/ControlNames.h"
#include "app/Notices.h"
#include "capture/CaptureEngine.h"
#include "capture/MonotonicClock.h"
#include "ui/TextEncoding.h"

namespace {

namespace Notice = ControlNames::Notice;

// The free space is looked at once a second by the recording; so is its rate here.
constexpr int64_t kDiskLookUs = 1000000;

// The file's name without its folder.
std::string FileName(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsRecordingFailure(const std::string& key) {
    return key == Notice::kRecordingNotStarted || key == Notice::kRecordingStopped ||
           key == Notice::kDiskMinutesLeft;
}

} // namespace

OutcomeNotices::OutcomeNotices(Notices& notices, CaptureEngine& engine)
    : m_notices(notices), m_engine(engine) {}

const char* OutcomeNotices::WhyKey(OutputProblem problem) {
    switch (problem) {
    case OutputProblem::FolderDenied:
        return Notice::kWhyFolderDenied;
    case OutputProblem::FolderUnreachable:
        return Notice::kWhyFolderUnreachable;
    case OutputProblem::DiskFull:
        return Notice::kWhyDiskFull;
    case OutputProblem::NoFreeName:
        return Notice::kWhyNoFreeName;
    case OutputProblem::None:
    case OutputProblem::WriteFailed:
        break;
    }
    return Notice::kWhyWriteFailed;
}

void OutcomeNotices::ShowBecause(const char* key, OutputProblem problem) {
    m_notices.Show(key, Notice::kWhy, m_notices.Text(WhyKey(problem)));
}

void OutcomeNotices::Check() {
    m_notices.Tick();
    TellPhoto();
    TellRecording();
    WatchDisk();
}

void OutcomeNotices::TellPhoto() {
    const PhotoOutcome photo = m_engine.TakePhotoOutcome();
    if (photo.result == PhotoOutcome::Result::Written) {
        const std::string file = FileName(photo.path);
        const Ui::CUiString name = Ui::Utf8ToAnsi(file.c_str(), file.size());
        m_notices.ShowFor(kPhotoSavedMs, Notice::kPhotoSaved, Notice::kFile, name.GetData());
    } else if (photo.result == PhotoOutcome::Result::NotWritten) {
        ShowBecause(Notice::kPhotoNotSaved, photo.problem);
    }
}

void OutcomeNotices::TellRecording() {
    const bool recording = m_engine.IsRecording();
    if (recording && !m_recording) {
        // A new recording: what was said of the last one goes, and its
        // disk is measured anew.
        if (IsRecordingFailure(m_notices.Shown())) {
            m_notices.Clear();
        }
        m_diskLeft.Reset();
        m_minutesShown = 0;
        m_nextDiskLookUs = 0;
    }
    m_recording = recording;
    bool ended = false;
    const OutputProblem problem = m_engine.TakeRecordingProblem(&ended);
    if (problem != OutputProblem::None) {
        ShowBecause(ended ? Notice::kRecordingStopped : Notice::kRecordingNotStarted, problem);
    }
}

void OutcomeNotices::WatchDisk() {
    RecordingDiskUse use;
    if (!m_recording || !m_engine.RecordingDiskUse(&use)) {
        if (m_notices.Shown() == Notice::kDiskMinutesLeft) {
            m_notices.Clear();
        }
        m_minutesShown = 0;
        return;
    }
    const int64_t now = MonotonicMicros();
    if (now < m_nextDiskLookUs) {
        return;
    }
    m_nextDiskLookUs = now + kDiskLookUs;
    m_diskLeft.Observe(now, use.recordedBytes, use.freeBytes, use.reserveBytes);
    const int minutes = m_diskLeft.MinutesToShow();
    if (minutes == m_minutesShown) {
        return;
    }
    m_minutesShown = minutes;
    if (minutes > 0) {
        m_notices.Show(Notice::kDiskMinutesLeft, Notice::kMinutes, std::to_string(minutes));
    } else if (m_notices.Shown() == Notice::kDiskMinutesLeft) {
        m_notices.Clear();
    }
}

void OutcomeNotices::FolderOpened(OutputProblem problem) {
    if (problem == OutputProblem::None) {
        if (m_notices.Shown() == Notice::kFolderNotOpened) {
            m_notices.Clear();
        }
        return;
    }
    const char* why =
        problem == OutputProblem::FolderDenied || problem == OutputProblem::FolderUnreachable
            ? WhyKey(problem)
            : Notice::kWhyExplorerFailed;
    m_notices.Show(Notice::kFolderNotOpened, Notice::kWhy, m_notices.Text(why));
}
