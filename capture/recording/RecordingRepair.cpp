#include "capture/recording/RecordingRepair.h"

#include <windows.h>

#include <utility>
#include <vector>

#include "Core/HandleOwners.h"
#include "capture/mp4/Mp4InPlaceFinisher.h"
#include "capture/mp4/Mp4RecordingMark.h"
#include "capture/recording/OutputFile.h"
#include "capture/recording/RecordingJournal.h"
#include "capture/recording/RecordingJournalEntry.h"

namespace {

// Not in every SDK's headers: a file of a cloud folder kept online only.
constexpr DWORD kRecallOnOpen = 0x00040000;
constexpr DWORD kRecallOnDataAccess = 0x00400000;
constexpr DWORD kOnlineOnly = FILE_ATTRIBUTE_OFFLINE | kRecallOnOpen | kRecallOnDataAccess;
// An entry is a few hundred bytes; anything larger is not one.
constexpr DWORD kMaxEntryBytes = 64 * 1024;

// A file whose every operation fails once stop is set: a finish stopped
// that way is left as a kill would leave it, which the next start resumes.
class StoppableFile final : public RandomAccessFile {
public:
    StoppableFile(RandomAccessFile& file, const std::atomic<bool>& stop)
        : m_file(file), m_stop(stop) {}

    bool ReadAt(uint64_t offset, void* buffer, size_t size) override {
        return !m_stop && m_file.ReadAt(offset, buffer, size);
    }
    size_t ReadUpTo(uint64_t offset, void* buffer, size_t size) override {
        return m_stop ? 0 : m_file.ReadUpTo(offset, buffer, size);
    }
    bool WriteAt(uint64_t offset, const void* data, size_t size) override {
        return !m_stop && m_file.WriteAt(offset, data, size);
    }
    bool Size(uint64_t& size) override { return !m_stop && m_file.Size(size); }
    bool Flush() override { return !m_stop && m_file.Flush(); }
    bool Truncate(uint64_t size) override { return !m_stop && m_file.Truncate(size); }

private:
    RandomAccessFile& m_file;
    const std::atomic<bool>& m_stop;
};

enum class Fate { Finished, Remove, Unreachable };

bool FolderExists(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) {
        return false;
    }
    const DWORD attributes = ::GetFileAttributesW(path.substr(0, slash).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

Fate Repair(const RecordingJournalEntry& entry, const std::atomic<bool>& stop, OutputDisk& disk) {
    const std::wstring path = WidePath(entry.path);
    const DWORD attributes = disk.Attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        // Deleted from a folder that is there: nothing left to do. A folder
        // that is not there (a drive removed, a network folder away) may come back.
        return ::GetLastError() == ERROR_FILE_NOT_FOUND && FolderExists(path) ? Fate::Remove
                                                                              : Fate::Unreachable;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return Fate::Remove;
    }
    // Opening it would fetch it from the cloud: it waits until it is here.
    if ((attributes & kOnlineOnly) != 0) {
        return Fate::Unreachable;
    }
    {
        // Ours? Read only: another program's file is never opened for writing.
        const std::unique_ptr<RandomAccessFile> reading =
            disk.Open(path, Win32RandomAccessFile::Access::ReadOnly);
        if (!reading) {
            return Fate::Unreachable;
        }
        std::string id;
        switch (ReadRecordingMark(*reading, id)) {
        case Mp4MarkStatus::ReadError:
            return Fate::Unreachable;
        case Mp4MarkStatus::Unmarked:
            return Fate::Remove;
        case Mp4MarkStatus::Marked:
            if (id != entry.id) {
                return Fate::Remove; // another recording has the name now
            }
            break;
        }
    }
    // Held open for writing elsewhere, it does not open here.
    const std::unique_ptr<RandomAccessFile> file =
        disk.Open(path, Win32RandomAccessFile::Access::ReadWrite);
    if (!file) {
        return Fate::Unreachable;
    }
    StoppableFile stoppable(*file, stop);
    const Mp4FinishOutcome outcome = FinishFragmentedMp4(stoppable).outcome;
    if (outcome == Mp4FinishOutcome::Finished) {
        return Fate::Finished;
    }
    // A stop makes every read fail, which may look like anything.
    if (outcome == Mp4FinishOutcome::FileError || stop) {
        return Fate::Unreachable;
    }
    return Fate::Remove; // ordinary already, or nothing we can finish
}

} // namespace

RepairCounts RepairJournaledRecordings(const std::wstring& folder, const std::atomic<bool>& stop,
                                       OutputDisk& disk) {
    RepairCounts counts;
    if (folder.empty()) {
        return counts;
    }
    // The names first: repairing changes the folder that is being listed.
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return counts;
    }
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
            IsJournalEntryFileName(Utf8Path(found.cFileName))) {
            names.push_back(found.cFileName);
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);

    for (const std::wstring& name : names) {
        if (stop) {
            break;
        }
        const std::wstring entryPath = folder + L"\\" + name;
        // The recording of a running copy holds its entry open: not ours to touch.
        UniqueHandle entryFile(::CreateFileW(entryPath.c_str(), GENERIC_READ | DELETE,
                                             FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!entryFile.Valid()) {
            ++counts.inUse;
            continue;
        }
        std::string text(kMaxEntryBytes + 1, '\0');
        DWORD got = 0;
        const bool read = ::ReadFile(entryFile.Get(), &text[0], static_cast<DWORD>(text.size()),
                                     &got, nullptr) != FALSE;
        text.resize(got);
        RecordingJournalEntry entry;
        // An entry that does not read whole was cut off as it was written,
        // before its recording's first byte.
        Fate fate = Fate::Remove;
        if (!read) {
            fate = Fate::Unreachable;
        } else if (ParseJournalEntry(text, entry) &&
                   Utf8Path(name) == JournalEntryFileName(entry.id)) {
            fate = Repair(entry, stop, disk);
        }
        entryFile.Close();
        if (stop && fate == Fate::Unreachable) {
            break; // stopped in the middle: left as it was
        }
        if (fate == Fate::Unreachable) {
            ++counts.unreachable;
            continue;
        }
        counts.finished += fate == Fate::Finished ? 1 : 0;
        ++counts.removed;
        ::DeleteFileW(entryPath.c_str());
    }
    return counts;
}

RecordingRepair::RecordingRepair(std::shared_ptr<OutputDisk> disk)
    : m_disk(std::move(disk)), m_state(std::make_shared<State>()) {}

RecordingRepair::~RecordingRepair() {
    Stop();
}

void RecordingRepair::Start() {
    if (m_thread.joinable() || m_state->stop) {
        return;
    }
    std::shared_ptr<State> state = m_state;
    // The thread keeps the disk too: it may outlive this object.
    m_thread = std::thread([state, disk = m_disk] {
        // Behind the preview and the recording: only the disk waits for it.
        ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
        state->repaired =
            RepairJournaledRecordings(disk->JournalFolder(), state->stop, *disk).finished;
        state->done = true;
    });
}

bool RecordingRepair::Stop(unsigned waitMs) {
    m_state->stop = true;
    if (!m_thread.joinable()) {
        return true;
    }
    const ULONGLONG until = ::GetTickCount64() + waitMs;
    while (!m_state->done && ::GetTickCount64() < until) {
        ::Sleep(5);
    }
    if (!m_state->done) {
        // A read or a flush that a stalled disk holds up: the thread keeps
        // only its own state alive and ends with the process.
        m_thread.detach();
        return false;
    }
    m_thread.join();
    return true;
}
