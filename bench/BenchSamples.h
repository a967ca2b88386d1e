// Samples and timing shared by the benchmarks: camera-like pictures (the
// synthetic camera's, with a webcam's sensor noise and a drifting view)
// encoded with FFmpeg's own encoders (MJPG as 4:2:2 JPEG, as webcams send;
// H264 with libx264), stream formats and a high-resolution clock.
#pragma once

#include <cstdint>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "Core/StreamFormat.h"

// Distinct pictures each benchmark cycles through.
constexpr int kDistinctFrames = 30;

// Seconds from an arbitrary start, from the performance counter.
double Now();
// Processor time (user and kernel) of the whole process, every thread, in seconds.
double ProcessorSeconds();
// The sensor noise of the pictures: ORVANA_PICTURE_NOISE (0 to 32) when set,
// else a webcam's (kWebcamNoiseLevel).
int PictureNoiseLevel();
// The camera's picture number index, in the frame's format (4:2:0 or 4:2:2;
// full range for the JPEG formats).
void FillPicture(AVFrame* frame, int index);
// kDistinctFrames samples of the codec (AV_CODEC_ID_MJPEG or AV_CODEC_ID_H264)
// at the size; empty when no encoder is available.
std::vector<std::vector<uint8_t>> Encode(AVCodecID id, int width, int height);
// The stream format of a subtype name ("MJPG", "YUY2", "H264") at the size.
StreamFormat FormatOf(const char* name, int width, int height);
