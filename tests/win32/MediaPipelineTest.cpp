// Decoding of camera samples into the packed I420 picture: MJPG and H264
// through FFmpeg, the uncompressed layouts through libswscale, re-opening on
// a format change and damaged samples.
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "capture/MediaPipeline.h"
#include "tests/support/DirectShowFormats.h"
#include "tests/win32/MediaTestSupport.h"

#include <uuids.h>

using MediaTest::Encode;
using TestSupport::StreamFormatOf;

namespace {

int LumaAt(const MediaPipeline& pipeline, int width, int x, int y) {
    return pipeline.PackedPicture()[static_cast<size_t>(y) * width + x];
}

std::vector<uint8_t> Packed(const MediaPipeline& pipeline, int width, int height) {
    const uint8_t* p = pipeline.PackedPicture();
    return std::vector<uint8_t>(p, p + static_cast<size_t>(width) * height * 3 / 2);
}

bool Decode(MediaPipeline& pipeline, const StreamFormat& format,
            const std::vector<uint8_t>& sample) {
    return pipeline.DecodeFrame(format, sample.data(), static_cast<int32_t>(sample.size()));
}

} // namespace

TEST(MediaPipeline, MjpgPicturesOfBothChromaLayoutsDecodeToTheirLuma) {
    for (AVPixelFormat layout : {AV_PIX_FMT_YUVJ420P, AV_PIX_FMT_YUVJ422P}) {
        MediaPipeline pipeline;
        auto samples = Encode(AV_CODEC_ID_MJPEG, 320, 240, 3, 100, layout);
        ASSERT_EQ(samples.size(), 3u);
        const StreamFormat format = StreamFormatOf("MJPG", 320, 240);
        for (int i = 0; i < 3; ++i) {
            ASSERT_TRUE(Decode(pipeline, format, samples[i])) << i;
            // Full-range JPEG luma comes out in video range: 16 + y * 219 / 255.
            const int expected = 16 + (100 + 4 * i) * 219 / 255;
            EXPECT_NEAR(LumaAt(pipeline, 320, 160, 120), expected, 3);
            EXPECT_NEAR(pipeline.PackedPicture()[320 * 240 + 10], 128, 3); // U
        }
        EXPECT_EQ(pipeline.OpenCount(), 1u); // one open for the whole stream
    }
}

// A recording keeps a reference to the picture it was handed; the next
// sample must go to another buffer, not into the one being encoded.
TEST(MediaPipeline, APictureStillHeldIsNotOverwrittenByTheNext) {
    for (const char* name : {"MJPG", "YUY2"}) {
        MediaPipeline pipeline;
        const StreamFormat format = StreamFormatOf(name, 320, 240);
        std::vector<std::vector<uint8_t>> samples;
        if (std::string(name) == "MJPG") {
            samples = Encode(AV_CODEC_ID_MJPEG, 320, 240, 2, 40);
        } else {
            samples = {std::vector<uint8_t>(320 * 240 * 2, 40),
                       std::vector<uint8_t>(320 * 240 * 2, 200)};
        }
        ASSERT_TRUE(Decode(pipeline, format, samples[0])) << name;
        AVFrame* held = av_frame_alloc();
        ASSERT_EQ(av_frame_ref(held, pipeline.CurrentPicture()), 0);
        const uint8_t before = held->data[0][120 * held->linesize[0] + 160];

        ASSERT_TRUE(Decode(pipeline, format, samples[1])) << name;
        EXPECT_EQ(held->data[0][120 * held->linesize[0] + 160], before) << name;
        EXPECT_NE(LumaAt(pipeline, 320, 160, 120), before) << name;
        EXPECT_EQ(
            pipeline.CurrentPicture()->data[0][120 * pipeline.CurrentPicture()->linesize[0] + 160],
            LumaAt(pipeline, 320, 160, 120))
            << name;
        av_frame_free(&held);
        // Released again, the buffers are reused and the pictures stay right.
        ASSERT_TRUE(Decode(pipeline, format, samples[0])) << name;
        EXPECT_EQ(LumaAt(pipeline, 320, 160, 120), before) << name;
    }
}

TEST(MediaPipeline, H264StreamDecodesFrameByFrame) {
    MediaPipeline pipeline;
    auto samples = Encode(AV_CODEC_ID_H264, 320, 240, 8, 60);
    ASSERT_GE(samples.size(), 8u);
    const StreamFormat format = StreamFormatOf("H264", 320, 240);
    int pictures = 0;
    for (size_t i = 0; i < samples.size(); ++i) {
        if (Decode(pipeline, format, samples[i])) {
            ++pictures;
            EXPECT_NEAR(LumaAt(pipeline, 320, 100, 100), 60 + 4 * static_cast<int>(i), 3);
        }
    }
    EXPECT_GE(pictures, 7);
}

TEST(MediaPipeline, ReopensOnlyWhenSubtypeOrSizeChanges) {
    MediaPipeline pipeline;
    auto mjpg = Encode(AV_CODEC_ID_MJPEG, 320, 240, 1, 90);
    auto mjpgSmall = Encode(AV_CODEC_ID_MJPEG, 160, 120, 1, 90);
    auto yuy2 = MediaTest::Yuy2Halves(320, 240, {50, 128, 128}, {200, 128, 128});
    StreamFormat format = StreamFormatOf("MJPG", 320, 240);
    ASSERT_TRUE(Decode(pipeline, format, mjpg[0]));
    // Fields other than subtype and size do not count.
    format.frameRate = 15;
    format.pinIndex = 1;
    ASSERT_TRUE(Decode(pipeline, format, mjpg[0]));
    EXPECT_EQ(pipeline.OpenCount(), 1u);

    // MJPG -> YUY2 at the same size: re-opened, no decoder needed.
    ASSERT_TRUE(Decode(pipeline, StreamFormatOf("YUY2", 320, 240), yuy2));
    EXPECT_EQ(pipeline.OpenCount(), 2u);
    EXPECT_EQ(LumaAt(pipeline, 320, 10, 10), 50);
    EXPECT_EQ(LumaAt(pipeline, 320, 300, 10), 200);

    // A new size re-opens too, and the packed picture follows it.
    ASSERT_TRUE(Decode(pipeline, StreamFormatOf("MJPG", 160, 120), mjpgSmall[0]));
    EXPECT_EQ(pipeline.OpenCount(), 3u);
    EXPECT_EQ(pipeline.RememberedFormat().width, 160);
    EXPECT_GE(pipeline.PackedPictureSize(), 160u * 120u * 3 / 2);

    // An unknown subtype fails every time and leaves the decoder closed.
    auto y41p = std::vector<uint8_t>(160 * 120 * 2, 0x10);
    EXPECT_FALSE(Decode(pipeline, StreamFormatOf("Y41P", 160, 120), y41p));
    EXPECT_FALSE(Decode(pipeline, StreamFormatOf("Y41P", 160, 120), y41p));
    EXPECT_FALSE(pipeline.DecoderReady());
    EXPECT_EQ(pipeline.PackedPicture(), nullptr);
    // ... until a known format comes back.
    ASSERT_TRUE(Decode(pipeline, StreamFormatOf("MJPG", 160, 120), mjpgSmall[0]));
}

TEST(MediaPipeline, DamagedSamplesNeverCrashAndKeepTheLastPicture) {
    MediaPipeline pipeline;
    auto samples = Encode(AV_CODEC_ID_MJPEG, 320, 240, 2, 120);
    const StreamFormat format = StreamFormatOf("MJPG", 320, 240);
    ASSERT_TRUE(Decode(pipeline, format, samples[0]));
    std::vector<uint8_t> last = Packed(pipeline, 320, 240);

    std::vector<std::vector<uint8_t>> damaged;
    damaged.emplace_back(samples[1].begin(), samples[1].begin() + 20); // header only
    damaged.emplace_back(samples[1].begin(), samples[1].begin() + samples[1].size() / 2);
    std::vector<uint8_t> garbage(5000);
    srand(7);
    for (uint8_t& b : garbage)
        b = static_cast<uint8_t>(rand());
    damaged.push_back(garbage);
    std::vector<uint8_t> scrambled = samples[1];
    for (size_t i = 600; i < scrambled.size(); i += 37)
        scrambled[i] ^= 0x5A;
    damaged.push_back(scrambled);
    for (const auto& sample : damaged) {
        if (Decode(pipeline, format, sample)) {
            last = Packed(pipeline, 320, 240); // a partly decodable picture is still shown
        } else {
            ASSERT_EQ(Packed(pipeline, 320, 240), last) << "a failed sample changed the picture";
        }
    }
    // Zero length and no bytes at all.
    EXPECT_FALSE(pipeline.DecodeFrame(format, samples[0].data(), 0));
    EXPECT_FALSE(pipeline.DecodeFrame(format, nullptr, 100));
    EXPECT_EQ(Packed(pipeline, 320, 240), last);

    // A JPEG picture smaller than the stream announces is not read past its planes.
    auto small = Encode(AV_CODEC_ID_MJPEG, 160, 120, 1, 30);
    EXPECT_FALSE(Decode(pipeline, format, small[0]));
    // The stream goes on.
    EXPECT_TRUE(Decode(pipeline, format, samples[1]));
}

TEST(MediaPipeline, ShortOrTruncatedYuy2AndH264SamplesAreDropped) {
    MediaPipeline pipeline;
    const StreamFormat yuy2 = StreamFormatOf("YUY2", 64, 48);
    auto picture = MediaTest::Yuy2Halves(64, 48, {80, 100, 150}, {160, 150, 100});
    ASSERT_TRUE(Decode(pipeline, yuy2, picture));
    const std::vector<uint8_t> last = Packed(pipeline, 64, 48);
    std::vector<uint8_t> shortSample(picture.begin(), picture.end() - 1);
    EXPECT_FALSE(Decode(pipeline, yuy2, shortSample));
    EXPECT_EQ(Packed(pipeline, 64, 48), last);
    // Chroma planes follow the luma plane: U then V.
    EXPECT_EQ(last[64 * 48 + 2], 100);
    EXPECT_EQ(last[64 * 48 + 32 * 24 + 2], 150);

    MediaPipeline h264Pipeline;
    auto stream = Encode(AV_CODEC_ID_H264, 160, 120, 4, 90);
    ASSERT_EQ(stream.size(), 4u);
    const StreamFormat h264 = StreamFormatOf("H264", 160, 120);
    for (const auto& sample : stream) {
        std::vector<uint8_t> cut(sample.begin(), sample.begin() + sample.size() / 3);
        Decode(h264Pipeline, h264, cut);
        std::vector<uint8_t> noise(sample.size(), 0xFF);
        Decode(h264Pipeline, h264, noise);
    }
    // The damage leaves the decoder usable: the stream, from its key frame on,
    // decodes picture by picture again.
    for (size_t i = 0; i < stream.size(); ++i) {
        ASSERT_TRUE(Decode(h264Pipeline, h264, stream[i])) << i;
        EXPECT_NEAR(LumaAt(h264Pipeline, 160, 80, 60), 90 + 4 * static_cast<int>(i), 3) << i;
    }
}

TEST(MediaPipeline, SoftwareMirrorFlipsThePicture) {
    MediaPipeline pipeline;
    pipeline.softwareMirror = true;
    auto picture = MediaTest::Yuy2Halves(64, 32, {30, 128, 128}, {220, 128, 128});
    ASSERT_TRUE(Decode(pipeline, StreamFormatOf("YUY2", 64, 32), picture));
    EXPECT_EQ(LumaAt(pipeline, 64, 2, 5), 220);
    EXPECT_EQ(LumaAt(pipeline, 64, 61, 5), 30);
    // The next picture still converts: the graph never took the frame's planes.
    pipeline.softwareMirror = false;
    ASSERT_TRUE(Decode(pipeline, StreamFormatOf("YUY2", 64, 32), picture));
    EXPECT_EQ(LumaAt(pipeline, 64, 2, 5), 30);
}

namespace {

// A 32 x 16 picture of four flat quadrants, in BT.601 video levels.
struct Quadrants {
    static constexpr int kWidth = 32;
    static constexpr int kHeight = 16;
    // Top left red, top right green, bottom left blue, bottom right grey.
    static constexpr int kRgb[4][3] = {{191, 0, 0}, {0, 191, 0}, {0, 0, 191}, {191, 191, 191}};
    MediaTest::Yuv yuv[4];

    Quadrants() {
        for (int q = 0; q < 4; ++q) {
            const double r = kRgb[q][0], g = kRgb[q][1], b = kRgb[q][2];
            const double y = 0.299 * r + 0.587 * g + 0.114 * b;
            yuv[q] = {static_cast<uint8_t>(16 + y * 219 / 255 + 0.5),
                      static_cast<uint8_t>(128 + (b - y) / 1.772 * 224 / 255 + 0.5),
                      static_cast<uint8_t>(128 + (r - y) / 1.402 * 224 / 255 + 0.5)};
        }
    }
    static int At(int x, int y) { return (y < kHeight / 2 ? 0 : 2) + (x < kWidth / 2 ? 0 : 1); }

    // The picture in a DirectShow layout, made here byte by byte.
    std::vector<uint8_t> In(const char* layout) const {
        const std::string name = layout;
        const int w = kWidth, h = kHeight;
        std::vector<uint8_t> sample;
        if (name == "RGB24" || name == "RGB32" || name == "RGB32 top-down") {
            const int bytes = name == "RGB24" ? 3 : 4;
            const bool bottomUp = name != "RGB32 top-down";
            sample.resize(static_cast<size_t>(w) * bytes * h);
            for (int y = 0; y < h; ++y) {
                uint8_t* row = &sample[static_cast<size_t>(bottomUp ? h - 1 - y : y) * w * bytes];
                for (int x = 0; x < w; ++x) {
                    const int* rgb = kRgb[At(x, y)];
                    uint8_t* p = row + x * bytes;
                    p[0] = static_cast<uint8_t>(rgb[2]); // B G R
                    p[1] = static_cast<uint8_t>(rgb[1]);
                    p[2] = static_cast<uint8_t>(rgb[0]);
                    if (bytes == 4) {
                        p[3] = 0;
                    }
                }
            }
            return sample;
        }
        if (name == "UYVY" || name == "YUY2") {
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; x += 2) {
                    const MediaTest::Yuv& c = yuv[At(x, y)];
                    if (name == "UYVY") {
                        sample.insert(sample.end(), {c.u, c.y, c.v, c.y});
                    } else {
                        sample.insert(sample.end(), {c.y, c.u, c.y, c.v});
                    }
                }
            }
            return sample;
        }
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                sample.push_back(yuv[At(x, y)].y);
            }
        }
        if (name == "NV12") {
            for (int y = 0; y < h; y += 2) {
                for (int x = 0; x < w; x += 2) {
                    sample.push_back(yuv[At(x, y)].u);
                    sample.push_back(yuv[At(x, y)].v);
                }
            }
            return sample;
        }
        // I420 and IYUV: U then V; YV12: V then U.
        const bool vFirst = name == "YV12";
        for (int plane = 0; plane < 2; ++plane) {
            const bool v = (plane == 0) == vFirst;
            for (int y = 0; y < h; y += 2) {
                for (int x = 0; x < w; x += 2) {
                    sample.push_back(v ? yuv[At(x, y)].v : yuv[At(x, y)].u);
                }
            }
        }
        return sample;
    }
};

StreamFormat LayoutFormat(const char* layout) {
    const std::string name = layout;
    StreamFormat format = StreamFormatOf(layout, Quadrants::kWidth, Quadrants::kHeight);
    if (name.compare(0, 3, "RGB") == 0) {
        format.subtype = name == "RGB24" ? MEDIASUBTYPE_RGB24 : MEDIASUBTYPE_RGB32;
        format.bottomUp = name != "RGB32 top-down";
        format.subtypeName[0] = '\0';
    }
    return format;
}

} // namespace

// Each uncompressed layout comes out as the same planar picture: quadrants
// in place (neither upside down nor mirrored) and in their colours.
TEST(FormatsPipeline, UncompressedLayoutsGiveThePictureRightWayUpInItsColours) {
    const Quadrants quadrants;
    for (const char* layout :
         {"YUY2", "UYVY", "NV12", "I420", "IYUV", "YV12", "RGB24", "RGB32", "RGB32 top-down"}) {
        SCOPED_TRACE(layout);
        MediaPipeline pipeline;
        const StreamFormat format = LayoutFormat(layout);
        const std::vector<uint8_t> sample = quadrants.In(layout);
        ASSERT_TRUE(Decode(pipeline, format, sample));
        const bool rgb = std::string(layout).compare(0, 3, "RGB") == 0;
        const int tolerance = rgb ? 3 : 0;
        const int w = Quadrants::kWidth, h = Quadrants::kHeight;
        const std::vector<uint8_t> picture = Packed(pipeline, w, h);
        for (int q = 0; q < 4; ++q) {
            const int x = (q % 2) * w / 2 + w / 4;
            const int y = (q / 2) * h / 2 + h / 4;
            const size_t chroma = static_cast<size_t>(y / 2) * (w / 2) + x / 2;
            EXPECT_NEAR(picture[static_cast<size_t>(y) * w + x], quadrants.yuv[q].y, tolerance)
                << "Y of quadrant " << q;
            EXPECT_NEAR(picture[w * h + chroma], quadrants.yuv[q].u, tolerance)
                << "U of quadrant " << q;
            EXPECT_NEAR(picture[w * h + w * h / 4 + chroma], quadrants.yuv[q].v, tolerance)
                << "V of quadrant " << q;
        }
        // A sample a byte short of a picture is dropped; the picture stays.
        const std::vector<uint8_t> cut(sample.begin(), sample.end() - 1);
        EXPECT_FALSE(Decode(pipeline, format, cut));
        EXPECT_EQ(Packed(pipeline, w, h), picture);
    }
}
