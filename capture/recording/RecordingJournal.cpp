#include "capture/recording/RecordingJournal.h"

#include <windows.h>

#include <shlobj.h>

#include <utility>

#include "capture/recording/FilePaths.h"

namespace {

bool MakeFolder(const std::wstring& path) {
    if (::CreateDirectoryW(path.c_str(), nullptr)) {
        return true;
    }
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

} // namespace

std::wstring RecordingJournalFolder() {
    wchar_t base[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr,
                                  SHGFP_TYPE_CURRENT, base))) {
        return std::wstring();
    }
    const std::wstring program = std::wstring(base) + L"\\Orvana";
    const std::wstring journal = program + L"\\Journal";
    return MakeFolder(program) && MakeFolder(journal) ? journal : std::wstring();
}

bool RecordingJournalHold::Open(const RecordingJournalEntry& entry, const std::wstring& folder) {
    Close(false);
    if (folder.empty()) {
        return false;
    }
    const std::wstring path = folder + L"\\" + WidePath(JournalEntryFileName(entry.id));
    UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        return false;
    }
    const std::string text = FormatJournalEntry(entry);
    DWORD written = 0;
    if (!::WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written != text.size() || !::FlushFileBuffers(file.Get())) {
        file.Close();
        ::DeleteFileW(path.c_str());
        return false;
    }
    m_handle = std::move(file);
    m_path = path;
    return true;
}

void RecordingJournalHold::Close(bool remove) {
    if (!m_handle.Valid()) {
        return;
    }
    m_handle.Close();
    if (remove) {
        ::DeleteFileW(m_path.c_str());
    }
    m_path.clear();
}
