// Checks of written media files with the host's ffprobe and ffmpeg. Wine
// starts Unix programs named by their Z: path; their output goes to a file
// in a scratch folder under /tmp that both sides see.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/WholeFile.h"

namespace MediaProbe {

// A folder under /tmp, made once per test program: its Windows and Unix names.
struct Scratch {
    std::string windows;
    std::string unix;
};

inline const Scratch& Folder() {
    static const Scratch folder = [] {
        Scratch made;
        // Wine's process ids repeat across prefixes: the counter makes the name unique.
        LARGE_INTEGER now{};
        ::QueryPerformanceCounter(&now);
        made.unix = "/tmp/orvana-media-" + std::to_string(::GetCurrentProcessId()) + "-" +
                    std::to_string(now.QuadPart);
        made.windows = "Z:" + made.unix;
        for (char& c : made.windows) {
            c = c == '/' ? '\\' : c;
        }
        ::CreateDirectoryA(made.windows.c_str(), nullptr);
        return made;
    }();
    return folder;
}

inline std::string WindowsPath(const std::string& name) {
    return Folder().windows + "\\" + name;
}
inline std::string UnixPath(const std::string& name) {
    return Folder().unix + "/" + name;
}

inline bool Exists(const std::string& name) {
    return ::GetFileAttributesA(WindowsPath(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Runs a shell command line on the host and answers what it printed
// (standard output and error), or "" after 60 s without an answer.
inline std::string Run(const std::string& command) {
    static int counter = 0;
    const std::string tag = "run" + std::to_string(++counter);
    {
        std::ofstream script(WindowsPath(tag + ".sh"), std::ios::binary);
        script << "(" << command << ") >" << UnixPath(tag + ".tmp") << " 2>&1\n"
               << "mv " << UnixPath(tag + ".tmp") << " " << UnixPath(tag + ".out") << "\n";
    }
    std::string line = "/bin/sh " + UnixPath(tag + ".sh");
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA("Z:\\bin\\sh", &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
        return {};
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    // The handle of a Unix process tells nothing; its result file does.
    for (int waited = 0; waited < 6000 && !Exists(tag + ".out"); ++waited) {
        ::Sleep(10);
    }
    return TestSupport::WholeFile(WindowsPath(tag + ".out"));
}

// One stream as ffprobe describes it: key -> value.
using Fields = std::map<std::string, std::string>;

inline double Number(const Fields& fields, const char* key) {
    auto found = fields.find(key);
    return found == fields.end() ? -1.0 : std::atof(found->second.c_str());
}

inline std::string Text(const Fields& fields, const char* key) {
    auto found = fields.find(key);
    return found == fields.end() ? std::string() : found->second;
}

// The streams of a file in order; empty when it cannot be read.
inline std::vector<Fields> Streams(const std::string& name) {
    const std::string output =
        Run("ffprobe -v error -count_packets -show_entries "
            "stream=index,codec_name,codec_type,pix_fmt,width,height,sample_rate,channels,"
            "start_time,duration,nb_read_packets -of default=nw=1 " +
            UnixPath(name));
    std::vector<Fields> streams;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t equals = line.find('=');
        if (equals == std::string::npos) {
            continue;
        }
        const std::string key = line.substr(0, equals);
        if (key == "index") {
            streams.emplace_back();
        }
        if (!streams.empty()) {
            streams.back()[key] = line.substr(equals + 1);
        }
    }
    return streams;
}

// The longest run of video packets from one key frame to the next (the GOP),
// and the number of key frames.
struct Gop {
    int longest = 0;
    int keyFrames = 0;
};

inline Gop VideoGop(const std::string& name) {
    const std::string output = Run("ffprobe -v error -select_streams v -show_entries packet=flags "
                                   "-of csv=p=0 " +
                                   UnixPath(name));
    Gop gop;
    int run = 0;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty()) {
            continue;
        }
        if (line[0] == 'K') {
            ++gop.keyFrames;
            run = 0;
        }
        ++run;
        gop.longest = run > gop.longest ? run : gop.longest;
    }
    return gop;
}

// Mean level of the sound in dB (ffmpeg's volumedetect); 1 when none was measured.
inline double MeanVolume(const std::string& name) {
    const std::string output = Run("ffmpeg -v info -nostats -i " + UnixPath(name) +
                                   " -map 0:a -af volumedetect -f null - 2>&1 | grep mean_volume");
    const size_t at = output.find("mean_volume:");
    return at == std::string::npos ? 1.0 : std::atof(output.c_str() + at + 12);
}

// Samples of the first sound stream, decoded as a player plays them.
inline double SoundSamples(const std::string& name) {
    const std::string output =
        Run("ffmpeg -v error -i " + UnixPath(name) + " -map 0:a:0 -ac 1 -f s16le - | wc -c");
    return std::atof(output.c_str()) / 2;
}

// Seconds of silence (every sample below 1/256 of full scale) at the end of
// the first sound stream, from its last second.
inline double TrailingSilence(const std::string& name) {
    const std::string raw = name + ".tail";
    Run("ffmpeg -v error -y -sseof -1 -i " + UnixPath(name) + " -map 0:a:0 -ac 1 -f s16le " +
        UnixPath(raw));
    const std::string bytes = TestSupport::WholeFile(WindowsPath(raw));
    size_t silent = 0;
    for (size_t at = bytes.size() / 2; at > 0; --at, ++silent) {
        const int16_t sample = static_cast<int16_t>(static_cast<uint8_t>(bytes[2 * at - 2]) |
                                                    static_cast<uint8_t>(bytes[2 * at - 1]) << 8);
        if (sample > 128 || sample < -128) {
            break;
        }
    }
    return silent / 48000.0;
}

// Messages of a full decode of the file: empty when every packet decodes.
inline std::string DecodeErrors(const std::string& name) {
    return Run("ffprobe -v error -count_frames -show_entries stream=nb_read_frames -of csv=p=0 " +
               UnixPath(name) + " >/dev/null");
}

// A picture file (JPEG, or one frame of a video at a time) as RGB bytes.
inline std::vector<uint8_t> Rgb(const std::string& name, const std::string& extra = "") {
    const std::string raw = name + ".rgb";
    Run("ffmpeg -v error -y -i " + UnixPath(name) + " " + extra +
        " -frames:v 1 -f rawvideo -pix_fmt rgb24 " + UnixPath(raw));
    const std::string bytes = TestSupport::WholeFile(WindowsPath(raw));
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

// Removes the scratch folder (and the scripts in it) without waiting.
inline void RemoveAll() {
    std::string line = "/bin/rm -rf " + Folder().unix;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (::CreateProcessA("Z:\\bin\\rm", &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                         &startup, &process)) {
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
}

} // namespace MediaProbe
