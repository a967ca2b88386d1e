// Command-line words of OrvanaTestDeviceSetup turned into device settings.
#include "tools/testdevices/SetupArguments.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cwchar>
#include <cwctype>

#include "tools/testdevices/TestPicture.h"

namespace TestDevices {
namespace Setup {

Outcome Done(std::wstring output) {
    return {0, std::move(output), {}};
}

Outcome Refused(std::wstring message) {
    return {1, {}, std::move(message)};
}

Outcome UsageError(std::wstring message) {
    return {2, {}, std::move(message)};
}

namespace {

bool AllDigits(const wchar_t* text) {
    if (*text == L'\0')
        return false;
    for (; *text; ++text) {
        if (!iswdigit(*text))
            return false;
    }
    return true;
}

// "KEY=VALUE"; false when there is no '=' or no key.
bool SplitSetting(const std::wstring& argument, std::wstring& key, std::wstring& value) {
    const size_t equals = argument.find(L'=');
    if (equals == std::wstring::npos || equals == 0)
        return false;
    key = argument.substr(0, equals);
    value = argument.substr(equals + 1);
    return true;
}

Outcome NotASetting(const std::wstring& argument) {
    return UsageError(L"expected KEY=VALUE, got '" + argument + L"'");
}

Outcome BadValue(const std::wstring& key, const std::wstring& value, const wchar_t* wanted) {
    return UsageError(key + L"=" + value + L": " + wanted);
}

bool ParseInt(const std::wstring& text, int& value) {
    long parsed = 0;
    if (!ParseLong(text, parsed) || parsed < INT_MIN || parsed > INT_MAX)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

bool ParseSwitch(const std::wstring& text, bool& value) {
    if (text != L"0" && text != L"1")
        return false;
    value = text == L"1";
    return true;
}

bool IndexForm(const std::wstring& text, const wchar_t* prefix, size_t& index) {
    const size_t length = wcslen(prefix);
    unsigned parsed = 0;
    if (text.compare(0, length, prefix) != 0 || !ParseUnsigned(text.substr(length), parsed))
        return false;
    index = parsed;
    return true;
}

} // namespace

bool ParseLong(const std::wstring& text, long& value) {
    const wchar_t* digits = text.c_str();
    if (*digits == L'-')
        ++digits;
    if (!AllDigits(digits))
        return false;
    errno = 0;
    const long parsed = wcstol(text.c_str(), nullptr, 10);
    if (errno == ERANGE)
        return false;
    value = parsed;
    return true;
}

bool ParseUnsigned(const std::wstring& text, unsigned& value) {
    // HRESULTs read best in hexadecimal: "0x800705AA".
    const bool hex = text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X');
    if (hex ? !std::all_of(text.begin() + 2, text.end(), iswxdigit) : !AllDigits(text.c_str()))
        return false;
    errno = 0;
    const unsigned long parsed = wcstoul(text.c_str(), nullptr, hex ? 16 : 10);
    if (errno == ERANGE || parsed > UINT_MAX)
        return false;
    value = static_cast<unsigned>(parsed);
    return true;
}

const PropertyField kPropertyFields[7] = {
    {L"value", &PropertyRange::value},    {L"flags", &PropertyRange::flags},
    {L"min", &PropertyRange::minimum},    {L"max", &PropertyRange::maximum},
    {L"step", &PropertyRange::step},      {L"default", &PropertyRange::defaultValue},
    {L"caps", &PropertyRange::capsFlags},
};

const FaultField kFaultFields[12] = {
    {L"corruptEvery", &Faults::corruptEvery},
    {L"truncateEvery", &Faults::truncateEvery},
    {L"zeroLengthEvery", &Faults::zeroLengthEvery},
    {L"stallAfter", &Faults::stallAfter},
    {L"stallMs", &Faults::stallMs},
    {L"actualFps", &Faults::actualFps},
    {L"endOfStreamAfter", &Faults::endOfStreamAfter},
    {L"randomSeed", &Faults::randomSeed},
    {L"lockedStop", &Faults::lockedStop},
    {L"maxPixels", &Faults::maxPixels},
    {L"startFailure", &Faults::startFailure, true},
    {L"deliverNothing", &Faults::deliverNothing},
};

const DelayField kDelayFields[3] = {
    {L"startDelayMs", &Delays::startMs},
    {L"propertyDelayMs", &Delays::propertyMs, true},
    {L"bindDelayMs", &Delays::bindMs},
};

namespace {

// Applies KEY=VALUE when KEY names a delay the device has; answers whether it did, and in
// outcome a usage error for a bad value.
bool ApplyDelay(const std::wstring& key, const std::wstring& value, bool camera, Delays& delays,
                Outcome& outcome) {
    for (const auto& field : kDelayFields) {
        if (key != field.name || (field.cameraOnly && !camera))
            continue;
        unsigned parsed = 0;
        if (!ParseUnsigned(value, parsed) || parsed > kMaxDelayMs)
            outcome = BadValue(key, value, L"0 to 60000 milliseconds");
        else
            delays.*(field.member) = parsed;
        return true;
    }
    return false;
}

} // namespace

const wchar_t* GroupName(bool cameraControl) {
    return cameraControl ? L"cameracontrol" : L"procamp";
}

Outcome ParsePropertyId(const std::wstring& group, const std::wstring& number, PropertyId& id) {
    PropertyId parsed;
    if (group == GroupName(true)) {
        parsed.cameraControl = true;
    } else if (group != GroupName(false)) {
        return UsageError(L"'" + group + L"' is not a property group (procamp, cameracontrol)");
    }
    const unsigned count = parsed.cameraControl ? kCameraControlCount : kProcAmpCount;
    unsigned value = 0;
    if (!ParseUnsigned(number, value) || value >= count) {
        return UsageError(group + L" properties are numbered 0 to " + std::to_wstring(count - 1) +
                          L", not '" + number + L"'");
    }
    parsed.number = static_cast<int>(value);
    id = parsed;
    return Done();
}

PropertyRange& PropertyOf(CameraConfig& camera, const PropertyId& id) {
    return id.cameraControl ? camera.cameraControl[id.number] : camera.procAmp[id.number];
}

std::wstring PropertyName(const PropertyId& id) {
    return std::wstring(GroupName(id.cameraControl)) + L" " + std::to_wstring(id.number);
}

Outcome ApplyCameraSettings(const Arguments& arguments, size_t first, CameraConfig& camera) {
    CameraConfig changed = camera;
    bool secondNamed = false;
    for (size_t i = first; i < arguments.size(); ++i) {
        std::wstring key, value;
        if (!SplitSetting(arguments[i], key, value))
            return NotASetting(arguments[i]);
        std::vector<VideoFormat>* pin = nullptr;
        if (key == L"capture") {
            pin = &changed.capturePin;
        } else if (key == L"second" || key == L"preview") {
            // Both name the one second pin; they differ in its category.
            if (secondNamed)
                return UsageError(L"second= and preview= both describe the second pin");
            secondNamed = true;
            pin = &changed.secondPin;
            changed.secondPinIsPreview = key == L"preview";
        } else if (key == L"still") {
            pin = &changed.stillPin;
        }
        if (pin != nullptr) {
            if (!ParseFormatList(value, *pin))
                return BadValue(key, value,
                                L"not a list like \"MJPG 640x480@30;H264 1280x720@15\"");
        } else if (key == L"name") {
            changed.name = value;
        } else if (key == L"procamp") {
            if (!ParseSwitch(value, changed.hasVideoProcAmp))
                return BadValue(key, value, L"0 or 1");
        } else if (key == L"cameracontrol") {
            if (!ParseSwitch(value, changed.hasCameraControl))
                return BadValue(key, value, L"0 or 1");
        } else if (key == L"noise") {
            if (!ParseInt(value, changed.noiseLevel) || changed.noiseLevel < 0 ||
                changed.noiseLevel > kMaxNoiseLevel) {
                return BadValue(key, value, L"0 to 32");
            }
        } else if (Outcome delay; ApplyDelay(key, value, true, changed.delays, delay)) {
            if (delay.exitCode != 0)
                return delay;
        } else {
            return UsageError(L"unknown camera setting '" + key +
                              L"' (name, capture, second, preview, still, procamp, "
                              L"cameracontrol, noise, startDelayMs, propertyDelayMs, "
                              L"bindDelayMs)");
        }
    }
    camera = std::move(changed);
    return Done();
}

Outcome ApplyMicrophoneSettings(const Arguments& arguments, size_t first,
                                MicrophoneConfig& microphone) {
    MicrophoneConfig changed = microphone;
    for (size_t i = first; i < arguments.size(); ++i) {
        std::wstring key, value;
        if (!SplitSetting(arguments[i], key, value))
            return NotASetting(arguments[i]);
        int* number = nullptr;
        if (key == L"name") {
            changed.name = value;
        } else if (key == L"rate") {
            number = &changed.sampleRate;
        } else if (key == L"channels") {
            number = &changed.channels;
        } else if (key == L"tone") {
            number = &changed.toneHz;
        } else if (key == L"clockPpm") {
            number = &changed.clockPpm;
        } else if (key == L"bufferMs") {
            number = &changed.bufferMs;
        } else if (key == L"startError") {
            // An HRESULT, as Windows writes them: 0x80070005.
            wchar_t* end = nullptr;
            errno = 0;
            const unsigned long parsed = wcstoul(value.c_str(), &end, 0);
            if (value.empty() || *end != L'\0' || errno == ERANGE || parsed > 0xFFFFFFFFul)
                return BadValue(key, value, L"not an HRESULT (0x80070005)");
            changed.startError = static_cast<HRESULT>(parsed);
        } else if (Outcome delay; ApplyDelay(key, value, false, changed.delays, delay)) {
            if (delay.exitCode != 0)
                return delay;
        } else {
            return UsageError(L"unknown microphone setting '" + key +
                              L"' (name, rate, channels, tone, clockPpm, bufferMs, startError, "
                              L"startDelayMs, bindDelayMs)");
        }
        if (number != nullptr && !ParseInt(value, *number))
            return BadValue(key, value, L"not a number");
    }
    microphone = std::move(changed);
    return Done();
}

Outcome ApplyPropertySettings(const Arguments& arguments, size_t first, PropertyRange& range) {
    // A property that was unsupported starts from an empty range, not from stale numbers.
    PropertyRange changed = range.supported ? range : PropertyRange();
    changed.supported = true;
    for (size_t i = first; i < arguments.size(); ++i) {
        std::wstring key, value;
        if (!SplitSetting(arguments[i], key, value))
            return NotASetting(arguments[i]);
        const PropertyField* field = nullptr;
        for (const auto& candidate : kPropertyFields) {
            if (key == candidate.name)
                field = &candidate;
        }
        if (field == nullptr) {
            return UsageError(L"unknown property setting '" + key +
                              L"' (value, flags, min, max, step, default, caps)");
        }
        if (!ParseLong(value, changed.*(field->member)))
            return BadValue(key, value, L"not a number");
    }
    range = changed;
    return Done();
}

Outcome ParseFaultSettings(const Arguments& arguments, size_t first, Faults& faults) {
    Faults parsed;
    for (size_t i = first; i < arguments.size(); ++i) {
        std::wstring key, value;
        if (!SplitSetting(arguments[i], key, value))
            return NotASetting(arguments[i]);
        const FaultField* field = nullptr;
        for (const auto& candidate : kFaultFields) {
            if (key == candidate.name)
                field = &candidate;
        }
        if (field == nullptr) {
            return UsageError(L"unknown fault '" + key +
                              L"' (corruptEvery, truncateEvery, zeroLengthEvery, stallAfter, "
                              L"stallMs, actualFps, endOfStreamAfter, randomSeed, lockedStop, "
                              L"maxPixels, startFailure, deliverNothing)");
        }
        if (!ParseUnsigned(value, parsed.*(field->member)))
            return BadValue(key, value, L"not a number of 0 or more");
    }
    // The devices ignore a fault record with a rate above this, so refuse it here.
    if (parsed.actualFps > 1000)
        return UsageError(L"actualFps=" + std::to_wstring(parsed.actualFps) + L": 0 to 1000");
    faults = parsed;
    return Done();
}

Outcome FindDevice(const Configuration& configuration, const std::wstring& text, DeviceId& id) {
    size_t index = 0;
    if (IndexForm(text, L"camera:", index)) {
        if (index >= configuration.cameras.size()) {
            return Refused(L"no " + text + L": " + std::to_wstring(configuration.cameras.size()) +
                           L" camera(s) configured");
        }
        id = {true, index};
        return Done();
    }
    if (IndexForm(text, L"microphone:", index)) {
        if (index >= configuration.microphones.size()) {
            return Refused(L"no " + text + L": " +
                           std::to_wstring(configuration.microphones.size()) +
                           L" microphone(s) configured");
        }
        id = {false, index};
        return Done();
    }
    for (size_t i = 0; i < configuration.cameras.size(); ++i) {
        if (_wcsicmp(configuration.cameras[i].devicePath.c_str(), text.c_str()) == 0) {
            id = {true, i};
            return Done();
        }
    }
    for (size_t i = 0; i < configuration.microphones.size(); ++i) {
        if (_wcsicmp(configuration.microphones[i].devicePath.c_str(), text.c_str()) == 0) {
            id = {false, i};
            return Done();
        }
    }
    std::vector<DeviceId> named;
    for (size_t i = 0; i < configuration.cameras.size(); ++i) {
        if (configuration.cameras[i].name == text)
            named.push_back({true, i});
    }
    for (size_t i = 0; i < configuration.microphones.size(); ++i) {
        if (configuration.microphones[i].name == text)
            named.push_back({false, i});
    }
    if (named.size() > 1)
        return Refused(L"several devices are named '" + text + L"'; use the path");
    if (named.empty())
        return Refused(L"no device has the path or name '" + text + L"'");
    id = named[0];
    return Done();
}

const std::wstring& DevicePath(const Configuration& configuration, const DeviceId& id) {
    return id.camera ? configuration.cameras[id.index].devicePath
                     : configuration.microphones[id.index].devicePath;
}

std::wstring DeviceLabel(const DeviceId& id) {
    return (id.camera ? L"camera:" : L"microphone:") + std::to_wstring(id.index);
}

} // namespace Setup
} // namespace TestDevices
