// Makes this program's own timed waits last as long as they do on Windows at
// its default timer resolution. There a Sleep(1), or a wait with a timeout,
// ends on the timer's next tick, 15.625 ms apart (1 ms while a program holds
// timeBeginPeriod(1)); under Wine it lasts what was asked. High-resolution
// waitable timers are precise on both and are left alone. The program's
// import table is patched while an instance lives (one at a time, on the
// thread that waits or any other: the patch is process-wide).
#pragma once

#include <windows.h>

#include <atomic>
#include <cstring>

namespace TestSupport {

class WindowsTimerTicks {
public:
    WindowsTimerTicks() {
        s_sleep = Patch("Sleep", reinterpret_cast<void*>(&TickSleep));
        s_sleepEx = Patch("SleepEx", reinterpret_cast<void*>(&TickSleepEx));
        s_wait = Patch("WaitForSingleObject", reinterpret_cast<void*>(&TickWait));
        s_waitEx = Patch("WaitForSingleObjectEx", reinterpret_cast<void*>(&TickWaitEx));
        s_beginPeriod = Patch("timeBeginPeriod", reinterpret_cast<void*>(&BeginPeriod));
        s_endPeriod = Patch("timeEndPeriod", reinterpret_cast<void*>(&EndPeriod));
    }
    ~WindowsTimerTicks() {
        Unpatch(s_sleep, reinterpret_cast<void*>(&TickSleep));
        Unpatch(s_sleepEx, reinterpret_cast<void*>(&TickSleepEx));
        Unpatch(s_wait, reinterpret_cast<void*>(&TickWait));
        Unpatch(s_waitEx, reinterpret_cast<void*>(&TickWaitEx));
        Unpatch(s_beginPeriod, reinterpret_cast<void*>(&BeginPeriod));
        Unpatch(s_endPeriod, reinterpret_cast<void*>(&EndPeriod));
        s_count = 0;
    }
    WindowsTimerTicks(const WindowsTimerTicks&) = delete;
    WindowsTimerTicks& operator=(const WindowsTimerTicks&) = delete;

    // The program's Sleep goes through the emulation.
    bool Installed() const { return s_sleep != nullptr; }

private:
    using SleepCall = void(WINAPI*)(DWORD);
    using SleepExCall = DWORD(WINAPI*)(DWORD, BOOL);
    using WaitCall = DWORD(WINAPI*)(HANDLE, DWORD);
    using WaitExCall = DWORD(WINAPI*)(HANDLE, DWORD, BOOL);
    using PeriodCall = UINT(WINAPI*)(UINT);

    // A timeout rounded up to whole ticks; none and endless stay as they are.
    static DWORD Ticked(DWORD milliseconds) {
        if (milliseconds == 0 || milliseconds == INFINITE) {
            return milliseconds;
        }
        const unsigned long long tickMicros = s_fineTicks > 0 ? 1000 : 15625;
        const unsigned long long ticks = (milliseconds * 1000ull + tickMicros - 1) / tickMicros;
        return static_cast<DWORD>((ticks * tickMicros + 999) / 1000);
    }
    static void WINAPI TickSleep(DWORD ms) { reinterpret_cast<SleepCall>(s_sleep)(Ticked(ms)); }
    static DWORD WINAPI TickSleepEx(DWORD ms, BOOL alertable) {
        return reinterpret_cast<SleepExCall>(s_sleepEx)(Ticked(ms), alertable);
    }
    static DWORD WINAPI TickWait(HANDLE handle, DWORD ms) {
        return reinterpret_cast<WaitCall>(s_wait)(handle, Ticked(ms));
    }
    static DWORD WINAPI TickWaitEx(HANDLE handle, DWORD ms, BOOL alertable) {
        return reinterpret_cast<WaitExCall>(s_waitEx)(handle, Ticked(ms), alertable);
    }
    static UINT WINAPI BeginPeriod(UINT period) {
        if (period <= 1) {
            ++s_fineTicks;
        }
        return reinterpret_cast<PeriodCall>(s_beginPeriod)(period);
    }
    static UINT WINAPI EndPeriod(UINT period) {
        if (period <= 1) {
            --s_fineTicks;
        }
        return reinterpret_cast<PeriodCall>(s_endPeriod)(period);
    }

    // Each import entry of the program named `name`, from whatever DLL.
    template <class Visit> static void ForEachImport(const char* name, Visit visit) {
        auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleA(nullptr));
        auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
        auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports =
            nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        if (imports.VirtualAddress == 0) {
            return;
        }
        for (auto* dll = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
             dll->Name != 0; ++dll) {
            if (dll->OriginalFirstThunk == 0) {
                continue;
            }
            auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->OriginalFirstThunk);
            auto* entries = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->FirstThunk);
            for (; names->u1.AddressOfData != 0; ++names, ++entries) {
                if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
                    continue;
                }
                auto* byName =
                    reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
                if (std::strcmp(reinterpret_cast<const char*>(byName->Name), name) == 0) {
                    visit(entries);
                }
            }
        }
    }
    static void Write(IMAGE_THUNK_DATA* entry, void* value) {
        DWORD old = 0;
        ::VirtualProtect(&entry->u1.Function, sizeof entry->u1.Function, PAGE_READWRITE, &old);
        entry->u1.Function = reinterpret_cast<ULONG_PTR>(value);
        ::VirtualProtect(&entry->u1.Function, sizeof entry->u1.Function, old, &old);
    }
    // The original function, or null when the program does not import it.
    static void* Patch(const char* name, void* replacement) {
        void* original = nullptr;
        ForEachImport(name, [&](IMAGE_THUNK_DATA* entry) {
            if (reinterpret_cast<void*>(entry->u1.Function) != replacement) {
                original = reinterpret_cast<void*>(entry->u1.Function);
            }
            Write(entry, replacement);
        });
        if (original == nullptr) {
            return nullptr;
        }
        s_names[s_count++] = name;
        return original;
    }
    static void Unpatch(void*& original, void* replacement) {
        if (original == nullptr) {
            return;
        }
        for (int i = 0; i < s_count; ++i) {
            ForEachImport(s_names[i], [&](IMAGE_THUNK_DATA* entry) {
                if (reinterpret_cast<void*>(entry->u1.Function) == replacement) {
                    Write(entry, original);
                }
            });
        }
        original = nullptr;
    }

    static inline void* s_sleep = nullptr;
    static inline void* s_sleepEx = nullptr;
    static inline void* s_wait = nullptr;
    static inline void* s_waitEx = nullptr;
    static inline void* s_beginPeriod = nullptr;
    static inline void* s_endPeriod = nullptr;
    static inline std::atomic<int> s_fineTicks{0};
    static inline const char* s_names[8] = {};
    static inline int s_count = 0;
};

} // namespace TestSupport
