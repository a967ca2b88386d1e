// The process-wide set-up of the recording tests: FFmpeg says only errors,
// and at the end the engine's worker is stopped before the files it may
// still write are removed (ORVANA_KEEP_MEDIA=1 keeps them).
#pragma once

#include <cstdlib>

#include <gtest/gtest.h>

extern "C" {
#include <libavutil/log.h>
}

#include "capture/CaptureEngine.h"
#include "tests/win32/MediaProbe.h"

class MediaTestEnvironment : public ::testing::Environment {
public:
    void SetUp() override { av_log_set_level(AV_LOG_ERROR); }
    void TearDown() override {
        CaptureEngine::Instance().RequestStop();
        if (::getenv("ORVANA_KEEP_MEDIA") == nullptr) {
            MediaProbe::RemoveAll();
        }
    }
};
