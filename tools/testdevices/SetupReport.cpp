// Printing the device configuration and state for OrvanaTestDeviceSetup show.
#include "tools/testdevices/SetupReport.h"

#include <cwchar>

#include "tools/testdevices/SetupArguments.h"

namespace TestDevices {
namespace Setup {

namespace {

class Report {
public:
    void Line(const std::wstring& prefix, const std::wstring& text) {
        text_ += prefix + L' ' + text + L'\n';
    }
    std::wstring Take() { return std::move(text_); }

private:
    std::wstring text_;
};

std::wstring Flag(bool value) {
    return value ? L"1" : L"0";
}

std::wstring PropertyFacts(const PropertyRange& range) {
    if (!range.supported)
        return L"unsupported";
    std::wstring text;
    for (const auto& field : kPropertyFields) {
        if (!text.empty())
            text += L' ';
        text += std::wstring(field.name) + L'=' + std::to_wstring(range.*(field.member));
    }
    return text;
}

// As Windows writes them, and as the setting takes them: 0x80070005.
std::wstring Hresult(HRESULT value) {
    wchar_t text[16];
    swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(value));
    return text;
}

std::wstring FaultFacts(const Faults& faults) {
    std::wstring text;
    for (const auto& field : kFaultFields) {
        if (!text.empty())
            text += L' ';
        wchar_t value[16] = {};
        swprintf(value, 16, field.hexadecimal ? L"0x%08X" : L"%u", faults.*(field.member));
        text += std::wstring(field.name) + L'=' + value;
    }
    return text;
}

std::wstring DelayFacts(const Delays& delays, bool camera) {
    std::wstring text;
    for (const auto& field : kDelayFields) {
        if (field.cameraOnly && !camera)
            continue;
        if (!text.empty())
            text += L' ';
        text += std::wstring(field.name) + L'=' + std::to_wstring(delays.*(field.member));
    }
    return text;
}

void ReportCamera(Report& report, const std::wstring& prefix, const CameraConfig& camera) {
    report.Line(prefix, L"name " + camera.name);
    report.Line(prefix, L"path " + camera.devicePath);
    report.Line(prefix, L"plugged " + Flag(camera.plugged));
    report.Line(prefix, L"pin capture " + FormatListText(camera.capturePin));
    if (!camera.secondPin.empty()) {
        report.Line(prefix, (camera.secondPinIsPreview ? L"pin preview " : L"pin second ") +
                                FormatListText(camera.secondPin));
    }
    if (!camera.stillPin.empty())
        report.Line(prefix, L"pin still " + FormatListText(camera.stillPin));
    report.Line(prefix, L"interfaces procamp=" + Flag(camera.hasVideoProcAmp) + L" cameracontrol=" +
                            Flag(camera.hasCameraControl));
    report.Line(prefix, L"picture noise=" + std::to_wstring(camera.noiseLevel));
    for (int i = 0; i < kProcAmpCount; ++i)
        report.Line(prefix,
                    L"procamp " + std::to_wstring(i) + L' ' + PropertyFacts(camera.procAmp[i]));
    for (int i = 0; i < kCameraControlCount; ++i) {
        report.Line(prefix, L"cameracontrol " + std::to_wstring(i) + L' ' +
                                PropertyFacts(camera.cameraControl[i]));
    }
    report.Line(prefix, L"faults " + FaultFacts(camera.faults));
    report.Line(prefix, L"delays " + DelayFacts(camera.delays, true));
}

void ReportMicrophone(Report& report, const std::wstring& prefix,
                      const MicrophoneConfig& microphone) {
    report.Line(prefix, L"name " + microphone.name);
    report.Line(prefix, L"path " + microphone.devicePath);
    report.Line(prefix, L"plugged " + Flag(microphone.plugged));
    report.Line(prefix, L"audio rate=" + std::to_wstring(microphone.sampleRate) + L" channels=" +
                            std::to_wstring(microphone.channels) + L" tone=" +
                            std::to_wstring(microphone.toneHz) + L" clockPpm=" +
                            std::to_wstring(microphone.clockPpm) + L" bufferMs=" +
                            std::to_wstring(microphone.bufferMs) + L" startError=" +
                            Hresult(microphone.startError));
    report.Line(prefix, L"faults " + FaultFacts(microphone.faults));
    report.Line(prefix, L"delays " + DelayFacts(microphone.delays, false));
}

} // namespace

std::wstring ConfigurationReport(const Configuration& configuration) {
    Report report;
    report.Line(L"cameras", std::to_wstring(configuration.cameras.size()));
    report.Line(L"microphones", std::to_wstring(configuration.microphones.size()));
    for (size_t i = 0; i < configuration.cameras.size(); ++i)
        ReportCamera(report, L"camera " + std::to_wstring(i), configuration.cameras[i]);
    for (size_t i = 0; i < configuration.microphones.size(); ++i)
        ReportMicrophone(report, L"microphone " + std::to_wstring(i), configuration.microphones[i]);
    return report.Take();
}

} // namespace Setup
} // namespace TestDevices
