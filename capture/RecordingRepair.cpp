#include "capture/RecordingRepair.h"

#include <windows.h>

#include <vector>

#include "capture/Mp4InPlaceFinisher.h"
#include "capture/OutputFile.h"
#include "capture/OutputFolder.h"
#include "capture/OutputNaming.h"
#include "capture/Win32RandomAccessFile.h"

namespace {

uint64_t FileTimeNumber(const FILETIME& time) {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

} // namespace

unsigned RepairUnfinishedRecordings(const std::string& folder, uint64_t writtenBefore,
                                    const std::atomic<bool>& stop) {
    // The names first: finishing changes the folder that is being listed.
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW(WidePath(folder + "\\*.mp4").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return 0;
    }
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
            FileTimeNumber(found.ftLastWriteTime) < writtenBefore &&
            IsTimestampFileName(Utf8Path(found.cFileName), ".mp4")) {
            names.push_back(found.cFileName);
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);

    const std::wstring base = WidePath(folder) + L"\\";
    unsigned repaired = 0;
    for (const std::wstring& name : names) {
        if (stop) {
            break;
        }
        // A file open for writing elsewhere (a recording of another instance)
        // does not open here, and is left alone.
        Win32RandomAccessFile file(base + name);
        if (file.IsOpen() && FinishFragmentedMp4(file).outcome == Mp4FinishOutcome::Finished) {
            ++repaired;
        }
    }
    return repaired;
}

RecordingRepair::~RecordingRepair() {
    Stop();
}

void RecordingRepair::Start() {
    if (m_thread.joinable()) {
        return;
    }
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    const uint64_t startedAt = FileTimeNumber(now);
    m_thread = std::thread([this, startedAt] {
        // Behind the preview and the recording: only the disk waits for it.
        ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
        const std::string folder = OutputFolder(nullptr, nullptr, false);
        m_repaired = RepairUnfinishedRecordings(folder, startedAt, m_stop);
        m_done = true;
    });
}

void RecordingRepair::Stop() {
    m_stop = true;
    if (m_thread.joinable()) {
        m_thread.join();
    }
}
