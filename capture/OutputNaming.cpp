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
