// Names of the photos and videos: the local date and time, and a number
// added only when that name is already taken. Free of Windows headers so the
// rules are tested natively.
#pragma once

#include <functional>
#include <string>

struct LocalTimeFields {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// "YYYY-MM-DD_hh-mm-ss" followed by the extension (".jpg", ".mp4"); the year
// is written in full, every other field with two digits.
std::string TimestampFileName(const LocalTimeFields& time, const char* extension);

// folder + "\" + the time-stamped name. Two files of one kind started in the
// same second must not overwrite each other: when `exists` reports the path
// taken, "_2", "_3" ... go before the extension until a free one is found
// (up to 999). Empty when every one of them is taken: never a name in use.
std::string UniqueOutputPath(const std::string& folder, const LocalTimeFields& time,
                             const char* extension,
                             const std::function<bool(const std::string&)>& exists);

// The name to try when creating path found a file there (another copy of the
// program took it since it was chosen): "_2" goes before the extension of a
// name without a number, "_N" becomes "_N+1". Empty after "_999".
std::string NextOutputPath(const std::string& path);

// Whether name is one TimestampFileName or UniqueOutputPath makes for the
// extension ("2024-03-07_09-05-01.mp4", "2024-03-07_09-05-01_2.mp4"): the
// files the program may treat as its own.
bool IsTimestampFileName(const std::string& name, const char* extension);
