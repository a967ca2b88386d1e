#include "capture/OutputNaming.h"

#include <cstdio>

namespace {

// The highest number a name of one second takes.
constexpr int kLastNumber = 999;

// The number 2 to 999 written from `from` to the end of text, as the names
// carry it (no leading zero); 0 when there is none.
int SuffixNumber(const std::string& text, std::size_t from) {
    const std::size_t length = text.size() - from;
    if (length == 0 || length > 3 || text[from] == '0') {
        return 0;
    }
    int number = 0;
    for (std::size_t i = from; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return 0;
        }
        number = number * 10 + (text[i] - '0');
    }
    return number >= 2 ? number : 0;
}

} // namespace

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
    for (int number = 2; number <= kLastNumber; ++number) {
        std::string candidate = stem + "_" + std::to_string(number) + extension;
        if (!exists(candidate)) {
            return candidate;
        }
    }
    return std::string();
}

std::string NextOutputPath(const std::string& path) {
    const std::size_t nameStart = path.find_last_of("\\/") + 1; // npos + 1 is 0
    std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < nameStart) {
        dot = path.size();
    }
    const std::string stem = path.substr(0, dot);
    const std::string extension = path.substr(dot);
    const std::size_t underscore = stem.rfind('_');
    const int number = underscore != std::string::npos && underscore >= nameStart
                           ? SuffixNumber(stem, underscore + 1)
                           : 0;
    if (number == 0) {
        return stem + "_2" + extension;
    }
    if (number >= kLastNumber) {
        return std::string();
    }
    return stem.substr(0, underscore + 1) + std::to_string(number + 1) + extension;
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
