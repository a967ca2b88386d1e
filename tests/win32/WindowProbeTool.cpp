// OrvanaWindowProbe.exe: how long the program's window (the top-level "UIFrame") keeps its user
// waiting, phase by phase, for the whole-program checks. Started before the program, it waits
// for the window and probes it from the moment it exists.
//
//   OrvanaWindowProbe.exe [--seconds N] [--first-phase NAME]
//
// With --seconds it probes for that long (or until the window goes); otherwise it reads
// commands from its input, one a line, until "stop" or the input's end:
//   phase NAME   the running phase ends and NAME begins
//   idle MS      waits, up to 60 s, until every answer of the last MS ms came within 100 ms,
//                MS ms after the command at the earliest; prints "idle EPOCH", when the last
//                slower answer came (or "busy" when it gave up)
//   post MESSAGE WPARAM LPARAM   posts that message to the window (numbers, 0x for hex)
//   stop         ends
// It prints, one fact a line with bare line feeds, times as Unix milliseconds (the host's clock
// under Wine):
//   started EPOCH   process started EPOCH (the window's)   window created EPOCH
//   window shown EPOCH   window gone EPOCH
// and at the end one line a phase, then the whole run:
//   result NAME LONGEST_MS BEGAN_S PROBES
// (BEGAN_S: when the longest wait began, seconds after the probing began; LONGEST_MS ends in
// "+" when the window never answered it), and a table of the same.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/WindowProbe.h"

using TestSupport::WindowProbe;

namespace {

constexpr wchar_t kWindowClass[] = L"UIFrame";
constexpr DWORD kFindPollMs = 5;
constexpr DWORD kFindLimitMs = 120000;
constexpr double kIdleAnswerMs = 100;
constexpr DWORD kIdleLimitMs = 60000;

long long EpochMs(const FILETIME& time) {
    ULARGE_INTEGER ticks;
    ticks.LowPart = time.dwLowDateTime;
    ticks.HighPart = time.dwHighDateTime;
    // 100-ns steps since 1601 to milliseconds since 1970.
    return static_cast<long long>((ticks.QuadPart - 116444736000000000ULL) / 10000ULL);
}

long long EpochMs() {
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    return EpochMs(now);
}

std::mutex g_printLock;

void Print(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Print(const char* format, ...) {
    std::lock_guard<std::mutex> guard(g_printLock);
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(stdout, format, arguments);
    va_end(arguments);
    std::fflush(stdout);
}

// Finds the window, starts the probe on it and notes when the window is shown.
class Watch {
public:
    Watch() : finder_([this] { Find(); }) {}
    ~Watch() { EndFinder(); }

    // The window, once it exists.
    HWND Window() {
        std::lock_guard<std::mutex> guard(lock_);
        return window_;
    }
    // The probe, once the window exists.
    WindowProbe* Probe() {
        std::lock_guard<std::mutex> guard(lock_);
        return probe_.get();
    }
    // The probe's time now, 0 before it began.
    double NowMs() {
        WindowProbe* probe = Probe();
        return probe != nullptr ? probe->NowMs() : 0;
    }
    bool Gone() {
        WindowProbe* probe = Probe();
        return probe != nullptr && probe->GoneAtMs() >= 0;
    }
    // Ends the probing before the results are read: what comes later is not measured.
    void StopProbing() {
        EndFinder();
        if (WindowProbe* probe = Probe()) {
            probe->Stop();
        }
    }

private:
    void EndFinder() {
        quit_ = true;
        if (finder_.joinable()) {
            finder_.join();
        }
    }

    void Find() {
        const DWORD start = ::GetTickCount();
        HWND window = nullptr;
        while (!quit_ && (window = ::FindWindowW(kWindowClass, nullptr)) == nullptr) {
            if (::GetTickCount() - start > kFindLimitMs) {
                Print("window never created\n");
                return;
            }
            ::Sleep(kFindPollMs);
        }
        if (window == nullptr) {
            return;
        }
        const long long created = EpochMs();
        {
            std::lock_guard<std::mutex> guard(lock_);
            window_ = window;
            probe_ = std::make_unique<WindowProbe>(window);
        }
        PrintProcessStart(window);
        Print("window created %lld\n", created);
        // The window is made hidden and shown once it is built.
        while (!quit_ && ::IsWindow(window) && !::IsWindowVisible(window)) {
            ::Sleep(kFindPollMs);
        }
        if (::IsWindowVisible(window)) {
            Print("window shown %lld\n", EpochMs());
        }
    }

    // When the window's process began, as the system noted it.
    static void PrintProcessStart(HWND window) {
        DWORD processId = 0;
        ::GetWindowThreadProcessId(window, &processId);
        UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
        FILETIME created, exited, kernel, user;
        if (process.Valid() &&
            ::GetProcessTimes(process.Get(), &created, &exited, &kernel, &user)) {
            Print("process started %lld\n", EpochMs(created));
        }
    }

    std::atomic<bool> quit_{false};
    std::mutex lock_;
    HWND window_ = nullptr;
    std::unique_ptr<WindowProbe> probe_;
    std::thread finder_; // last: it uses the members above
};

struct Phase {
    std::string name;
    double startMs;
};

// The quiet time counts from the command on too: an action the window has not begun yet has
// not made it slow yet.
void WaitForIdle(Watch& watch, double quietMs) {
    const DWORD start = ::GetTickCount();
    const double asked = watch.NowMs();
    while (::GetTickCount() - start < kIdleLimitMs) {
        WindowProbe* probe = watch.Probe();
        if (probe != nullptr && probe->GoneAtMs() >= 0) {
            Print("idle %lld\n", EpochMs());
            return;
        }
        const double quiet = probe != nullptr ? probe->QuietForMs(kIdleAnswerMs) : 0;
        if (quiet >= quietMs && probe->NowMs() - asked >= quietMs) {
            Print("idle %lld\n", EpochMs() - static_cast<long long>(quiet));
            return;
        }
        ::Sleep(20);
    }
    Print("busy\n");
}

void Report(Watch& watch, const std::vector<Phase>& phases) {
    WindowProbe* probe = watch.Probe();
    if (probe == nullptr) {
        Print("result whole-run 0+ -1 0\n");
        return;
    }
    std::string table = "phase                      longest wait   began at   probes\n";
    auto line = [&](const std::string& name, double from, double to) {
        const WindowProbe::Wait longest = probe->Longest(from, to);
        const unsigned probes = probe->Probes(from, to);
        const char* unanswered = longest.answered ? "" : "+";
        Print("result %s %.0f%s %.2f %u\n", name.c_str(), longest.lengthMs, unanswered,
              longest.beganMs / 1000.0, probes);
        char row[160];
        std::snprintf(row, sizeof row, "%-26s %9.0f%-1s ms %8.2f s %8u\n", name.c_str(),
                      longest.lengthMs, unanswered, longest.beganMs / 1000.0, probes);
        table += row;
    };
    for (std::size_t i = 0; i < phases.size(); ++i) {
        const double to =
            i + 1 < phases.size() ? phases[i + 1].startMs : std::numeric_limits<double>::infinity();
        line(phases[i].name, phases[i].startMs, to);
    }
    line("whole-run", 0, std::numeric_limits<double>::infinity());
    Print("%s", table.c_str());
}

} // namespace

int main(int argc, char** argv) {
    double seconds = 0;
    std::string firstPhase = "start";
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
            seconds = std::atof(argv[++i]);
        } else if (std::strcmp(argv[i], "--first-phase") == 0 && i + 1 < argc) {
            firstPhase = argv[++i];
        } else {
            std::fprintf(stderr, "usage: OrvanaWindowProbe [--seconds N] [--first-phase NAME]\n");
            return 2;
        }
    }
    // Bare line feeds, for the shell scripts that read the output.
    _setmode(_fileno(stdout), _O_BINARY);
    Print("started %lld\n", EpochMs());
    std::vector<Phase> phases{{firstPhase, 0}};
    Watch watch;
    if (seconds > 0) {
        const DWORD start = ::GetTickCount();
        while (::GetTickCount() - start < static_cast<DWORD>(seconds * 1000) && !watch.Gone()) {
            ::Sleep(20);
        }
    } else {
        char text[512];
        while (std::fgets(text, sizeof text, stdin) != nullptr) {
            std::string command(text);
            while (!command.empty() && (command.back() == '\n' || command.back() == '\r')) {
                command.pop_back();
            }
            if (command == "stop") {
                break;
            }
            if (command.compare(0, 6, "phase ") == 0 && command.size() > 6) {
                phases.push_back(Phase{command.substr(6), watch.NowMs()});
            } else if (command.compare(0, 5, "idle ") == 0) {
                WaitForIdle(watch, std::atof(command.c_str() + 5));
            } else if (command.compare(0, 5, "post ") == 0) {
                char* end = nullptr;
                const unsigned long message = std::strtoul(command.c_str() + 5, &end, 0);
                const unsigned long wParam = std::strtoul(end, &end, 0);
                const long lParam = std::strtol(end, &end, 0);
                if (*end != '\0' || watch.Window() == nullptr ||
                    !::PostMessageW(watch.Window(), static_cast<UINT>(message), wParam, lParam)) {
                    Print("not posted: %s\n", command.c_str());
                }
            } else if (!command.empty()) {
                Print("unknown command: %s\n", command.c_str());
            }
        }
    }
    watch.StopProbing();
    if (WindowProbe* probe = watch.Probe()) {
        if (probe->GoneAtMs() >= 0) {
            Print("window gone %lld\n",
                  EpochMs() - static_cast<long long>(probe->NowMs() - probe->GoneAtMs()));
        }
    }
    Report(watch, phases);
    return 0;
}
