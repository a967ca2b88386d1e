// DirectShow's side of the test formats: the stream format the camera code
// keeps, with its FourCC subtype GUID, and media types over video-info blocks.
#pragma once

#include <windows.h>

#include <dshow.h>

#include "Core/StreamFormat.h"
#include "tests/support/StreamFormats.h"

namespace TestSupport {

inline StreamFormat StreamFormatOf(const char* name, int32_t width, int32_t height,
                                   uint8_t frameRate = 0) {
    StreamFormat format = StreamFormatOf<GUID>(name, width, height, frameRate);
    // {XXXXXXXX-0000-0010-8000-00AA00389B71}: the GUID of every FourCC subtype.
    format.subtype =
        GUID{FourCc(name), 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
    return format;
}

// A VIDEOINFOHEADER or VIDEOINFOHEADER2 of a picture size and frame interval.
template <class Header> Header VideoInfoOf(LONG width, LONG height, REFERENCE_TIME interval) {
    Header header{};
    header.AvgTimePerFrame = interval;
    header.bmiHeader.biWidth = width;
    header.bmiHeader.biHeight = height;
    return header;
}

// A media type of `formattype` whose format block is `block`, which the
// caller keeps alive and frees (the type owns nothing).
template <class Block> AM_MEDIA_TYPE MediaTypeOver(const GUID& formattype, Block& block) {
    AM_MEDIA_TYPE type{};
    type.formattype = formattype;
    type.cbFormat = sizeof(Block);
    type.pbFormat = reinterpret_cast<BYTE*>(&block);
    return type;
}

} // namespace TestSupport
