#include "app/FormatLists.h"

#include <cstdio>

float AspectDivisor(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) {
        return 1.0f;
    }
    if (width % height == 0) {
        return static_cast<float>(height);
    }
    int32_t a = height;
    int32_t b = width % height;
    while (b != 0) {
        const int32_t rest = a % b;
        a = b;
        b = rest;
    }
    return static_cast<float>(a);
}

std::string AspectRatioText(int32_t width, int32_t height) {
    const float divisor = AspectDivisor(width, height);
    char text[32] = {};
    std::snprintf(text, sizeof text, "%d:%d", static_cast<int>(width / divisor),
                  static_cast<int>(height / divisor));
    return text;
}

std::string ResolutionClassText(int32_t width, int32_t height) {
    if (width < 2048) {
        char text[16] = {};
        std::snprintf(text, sizeof text, "%dP", height);
        return text;
    }
    if (width < 3840) {
        return "2K";
    }
    return width < 7680 ? "4K" : "8K";
}

std::string PhotoResolutionText(const char* subtypeName, int32_t width, int32_t height) {
    const float megapixels =
        static_cast<float>(static_cast<double>(static_cast<int64_t>(width) * height) / 1000000.0);
    const bool h264 = std::strcmp(subtypeName, "H264") == 0;
    char text[96] = {};
    std::snprintf(text, sizeof text, h264 ? "%.2fM %s (%d x %d)" : "%.2fMP %s (%d x %d)",
                  megapixels, AspectRatioText(width, height).c_str(), width, height);
    return text;
}

std::string VideoResolutionText(int32_t width, int32_t height, int frameRate) {
    char rate[16] = {};
    std::snprintf(rate, sizeof rate, "%dfps", frameRate);
    return ResolutionClassText(width, height) + " " + AspectRatioText(width, height) + " " + rate;
}

std::string FormatNameWithoutLineEnd(const char* name) {
    std::string text = name;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return text;
}

int RefreshRatePosition(long powerLineFrequency) {
    return powerLineFrequency == 2 ? 1 : 0;
}

long PowerLineFrequencyAt(int position) {
    return position == 0 || position == 1 ? position + 1 : 0;
}
