// Media subtypes the camera works with, and the checked reading of a video
// format block.
#pragma once

#include <windows.h>

#include <dshow.h>

#include <functional>

#include "Core/FormatRules.h"

// {34363248-0000-0010-8000-00AA00389B71}: the FourCC "H264"; the system
// headers do not name it.
constexpr GUID kMediaSubtypeH264 = {
    0x34363248, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

// {30323449-0000-0010-8000-00AA00389B71}: the FourCC "I420", IYUV's layout
// under its other name; the system headers do not name it either.
constexpr GUID kMediaSubtypeI420 = {
    0x30323449, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

SubtypeKind SubtypeKindOf(const GUID& subtype);

// What a video format block says about the picture.
struct VideoFormatInfo {
    LONG width = 0;
    LONG height = 0; // positive: the block's biHeight without its sign
    REFERENCE_TIME avgTimePerFrame = 0;
    // RGB rows run bottom-up: a positive biHeight (a negative one is top-down).
    bool bottomUp = false;
};

// Reads a FORMAT_VideoInfo block; false when the type has another format or
// its block is missing or too short.
bool ReadVideoInfo(const AM_MEDIA_TYPE& type, VideoFormatInfo& info);

// Reads a FORMAT_VideoInfo or FORMAT_VideoInfo2 block, each by its own
// header; false otherwise.
bool ReadAnyVideoInfo(const AM_MEDIA_TYPE& type, VideoFormatInfo& info);

// Calls `visit` with each capability of a pin that carries a readable video
// format block (either header), in the pin's order, until `visit` answers false.
void ForEachVideoCapability(
    IAMStreamConfig* config,
    const std::function<bool(const AM_MEDIA_TYPE& type, const VideoFormatInfo& info)>& visit);
