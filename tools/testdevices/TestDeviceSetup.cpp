// Command-line front of the synthetic devices' control library, for scripts that start the
// program itself: configures cameras and microphones, reads back what the program set, and
// faults, unplugs and replugs devices. The usage text below is the reference.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

#include "tools/testdevices/SetupCommands.h"

using namespace TestDevices::Setup;

namespace {

const wchar_t kProgram[] = L"OrvanaTestDeviceSetup";

struct Command {
    const wchar_t* name;
    const wchar_t* arguments;
    size_t minimum; // words after the command's name
    size_t maximum;
    Outcome (*run)(const Arguments&);
    const wchar_t* summary;
};

constexpr size_t kAny = static_cast<size_t>(-1);

const Command kCommands[] = {
    {L"reset", L"", 0, 0, ResetDevices, L"back to the default camera and microphone"},
    {L"clear", L"", 0, 0, ClearDevices, L"no devices at all"},
    {L"show", L"", 0, 0, ShowDevices, L"every device and its state, one fact a line"},
    {L"get", L"DEVICE GROUP N", 3, 3, GetProperty, L"print a camera property's \"VALUE FLAGS\""},
    {L"add-camera", L"NAME PATH [KEY=VALUE...]", 2, kAny, AddCamera,
     L"standard formats and properties; replaces one at PATH"},
    {L"add-microphone", L"NAME PATH [KEY=VALUE...]", 2, kAny, AddMicrophone,
     L"48 kHz, stereo, 1 kHz tone; replaces one at PATH"},
    {L"remove", L"DEVICE", 1, 1, RemoveDevice, L"take the device out of the configuration"},
    {L"set", L"DEVICE KEY=VALUE...", 2, kAny, SetDevice, L"change a camera or microphone"},
    {L"property", L"DEVICE GROUP N KEY=VALUE...|unsupported", 4, kAny, SetProperty,
     L"change or drop a camera property"},
    {L"faults", L"DEVICE [KEY=VALUE...]", 1, kAny, SetDeviceFaults,
     L"the fault switches; those not named are off"},
    {L"unplug", L"DEVICE [--no-notify]", 1, 2, UnplugDevice,
     L"print \"notified N\": windows WM_DEVICECHANGE reached"},
    {L"replug", L"DEVICE [--no-notify]", 1, 2, ReplugDevice, L"plug back in; the same output"},
    {L"notify", L"DEVICE|PATH arrival|removal", 2, 2, NotifyDevice,
     L"WM_DEVICECHANGE alone; print \"notified N\""},
};

const wchar_t kUsageNotes[] =
    L"  \"FORMAT[;FORMAT...]\"                    older form: defaults, camera offering these\n"
    L"  --reset                                 older form of reset\n"
    L"\n"
    L"DEVICE      camera:N or microphone:N (position in show), a device path, or a name\n"
    L"GROUP N     procamp 0-13 (IAMVideoProcAmp) or cameracontrol 0-6 (IAMCameraControl)\n"
    L"FORMAT      SUBTYPE WxH@FPS [VIH2], e.g. \"YUY2 1280x720@30\"; a list's first is active;\n"
    L"            SUBTYPE: MJPG YUY2 H264 NV12 I420 IYUV YV12 UYVY RGB24 RGB32 (RGB bottom-up);\n"
    L"            VIH2: announced with a VIDEOINFOHEADER2\n"
    L"KEY=VALUE   camera:     name= capture= second= preview= still= (FORMAT lists; empty\n"
    L"                        removes the pin) procamp= cameracontrol= (1 or 0: interface)\n"
    L"                        noise= (sensor noise 0-32, 3 a webcam's; above 0 it moves)\n"
    L"                        startDelayMs= (each Pause, Run, Stop) propertyDelayMs= (each\n"
    L"                        property get or set) bindDelayMs= (the filter's binding),\n"
    L"                        0-60000, as slow drivers take; read when the filter is made\n"
    L"            microphone: name= rate= channels= tone= clockPpm= bufferMs=\n"
    L"                        startError= (an HRESULT Pause and Run answer, 0x80070005)\n"
    L"                        startDelayMs= bindDelayMs= (as for a camera)\n"
    L"            property:   value= flags= min= max= step= default= caps=\n"
    L"                        (flags and caps: 1 automatic, 2 manual, 3 both)\n"
    L"            faults:     corruptEvery= truncateEvery= zeroLengthEvery= stallAfter=\n"
    L"                        stallMs= actualFps= endOfStreamAfter= randomSeed=\n"
    L"                        lockedStop= (1: Stop holds the lock, one late sample)\n"
    L"                        maxPixels= (larger formats fail to run)\n"
    L"                        startFailure= (HRESULT that Pause/Run answer, 0x800705AA in\n"
    L"                        use, 0x80070005 denied) deliverNothing= (1: runs, no samples)\n"
    L"Exit code: 0 done, 1 refused by the devices, 2 usage error (one line on stderr).\n";

constexpr size_t kSummaryColumn = 42;

std::wstring UsageText() {
    std::wstring text = L"usage: " + std::wstring(kProgram) + L" COMMAND [ARGUMENT...]\n\n";
    for (const auto& command : kCommands) {
        std::wstring line = L"  " + std::wstring(command.name) + L" " + command.arguments;
        // A long synopsis puts its summary on a line of its own.
        if (line.size() >= kSummaryColumn) {
            text += line + L"\n";
            line.clear();
        }
        line.resize(kSummaryColumn, L' ');
        text += line + command.summary + L"\n";
    }
    return text + kUsageNotes;
}

// UTF-8 with bare line feeds, whatever the console's code page, for the scripts that read it.
void Write(FILE* stream, const std::wstring& text) {
    if (text.empty())
        return;
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                          nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return;
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &utf8[0], bytes,
                        nullptr, nullptr);
    std::fwrite(utf8.data(), 1, utf8.size(), stream);
    std::fflush(stream);
}

Outcome Run(const Arguments& words) {
    if (words.empty())
        return UsageError(L"no command; --help lists them");
    const std::wstring& name = words[0];
    if (name == L"--help" || name == L"help" || name == L"-h")
        return Done(UsageText());
    const Arguments arguments(words.begin() + 1, words.end());
    for (const auto& command : kCommands) {
        if (name != command.name)
            continue;
        if (arguments.size() < command.minimum || arguments.size() > command.maximum) {
            return UsageError(std::wstring(command.name) + L" takes " +
                              (command.maximum == 0 ? L"no arguments" : command.arguments));
        }
        return command.run(arguments);
    }
    if (name == L"--reset" && arguments.empty())
        return ResetDevices(arguments);
    if (arguments.empty())
        return UseCaptureFormats(name);
    return UsageError(L"unknown command '" + name + L"'; --help lists them");
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    const Outcome outcome = Run(Arguments(argv + 1, argv + argc));
    Write(stdout, outcome.output);
    if (!outcome.message.empty())
        Write(stderr, std::wstring(kProgram) + L": " + outcome.message + L"\n");
    return outcome.exitCode;
}
