#include "capture/OutputNaming.h"

#include <cstdio>

std::string TimestampFileName(const LocalTimeFields& time, const char* extension) {
    char name[260] = {};
    std::snprintf(name, sizeof name, "%d-%02d-%02d_%02d-%02d-%02d%s", time.year, time.month,
                  time.day, time.hour, time.minute, time.second, extension);
    return name;
}

std::string UniqueOutputPath(const std::string& folder, const LocalTimeFields& time,
                             const char* extension,
                             const std::function<bool(const std::string&)>& exists) {
    const std::string plain = folder + "\\" + TimestampFileName(time, extension);
    if (!exists(plain)) {
        return plain;
    }
    const std::string stem = folder + "\\" + TimestampFileName(time, "");
    for (int number = 2; number <= 999; ++number) {
        std::string candidate = stem + "_" + std::to_string(number) + extension;
        if (!exists(candidate)) {
            return candidate;
        }
    }
    return plain;
}

bool IsTimestampFileName(const std::string& name, const char* extension) {
    static const char kShape[] = "dddd-dd-dd_dd-dd-dd";
    const std::size_t stampLength = sizeof kShape - 1;
    const std::string ending = extension;
    if (name.size() < stampLength + ending.size() ||
        name.compare(name.size() - ending.size(), ending.size(), ending) != 0) {
        return false;
    }
    const std::string stem = name.substr(0, name.size() - ending.size());
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    for (std::size_t i = 0; i < stampLength; ++i) {
        if (kShape[i] == 'd' ? !digit(stem[i]) : stem[i] != kShape[i]) {
            return false;
        }
    }
    if (stem.size() == stampLength) {
        return true;
    }
    // "_2" to "_999", as UniqueOutputPath numbers.
    const std::string number = stem.substr(stampLength + 1);
    if (stem[stampLength] != '_' || number.empty() || number.size() > 3 || number[0] == '0') {
        return false;
    }
    for (const char c : number) {
        if (!digit(c)) {
            return false;
        }
    }
    return number != "1";
}
