// The number of handles this process holds, for tests that look for leaks.
#pragma once

#include <windows.h>

#include <winternl.h>

#include <algorithm>
#include <vector>

namespace ProcessHandles {

// The process's handles; counted in the system's handle table where
// GetProcessHandleCount answers nothing (Wine).
inline long Count() {
    DWORD count = 0;
    if (::GetProcessHandleCount(::GetCurrentProcess(), &count) && count > 0) {
        return static_cast<long>(count);
    }
    using Query = LONG(WINAPI*)(SYSTEM_INFORMATION_CLASS, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (query == nullptr) {
        return -1;
    }
    constexpr LONG kLengthMismatch = static_cast<LONG>(0xC0000004L);
    std::vector<char> buffer(1 << 16);
    LONG status = kLengthMismatch;
    for (int tries = 0; tries < 8 && status == kLengthMismatch; ++tries) {
        ULONG needed = 0;
        status = query(SystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
                       &needed);
        if (status == kLengthMismatch) {
            buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 4096));
        }
    }
    if (status < 0) {
        return -1;
    }
    const auto* table = reinterpret_cast<const SYSTEM_HANDLE_INFORMATION*>(buffer.data());
    long mine = 0;
    for (ULONG i = 0; i < table->Count; ++i) {
        mine += table->Handle[i].OwnerPid == ::GetCurrentProcessId() ? 1 : 0;
    }
    return mine;
}

} // namespace ProcessHandles
