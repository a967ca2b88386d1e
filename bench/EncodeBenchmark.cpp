// Cost of the recording's video step against the bare encoder: the same
// camera-like pictures go through RecordingFile::WriteVideo (time stamps,
// encoder, MP4 muxer, file) and through a bare libx264 context with the
// same settings (send, receive, nothing else). x264 works on the calling
// thread and the slice threads the recording gives it, so the time counted
// is the process's processor time: the builds and tests of others on the
// machine do not enter it. Prints the ratio of
// the two measured in one run, the best of five alternating rounds each,
// and a RESULT line per size for scripts.
//
//   EncodeBenchmark.exe [pictures-per-round=300]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
}

#include "bench/BenchSamples.h"
#include "capture/recording/RecordingFile.h"

namespace {

// The target: our step costs at most this much more than the bare encode.
constexpr double kAllowedRatio = 1.10;
// Alternating rounds; the best of each side counts, which keeps other load out.
constexpr int kRounds = 5;

std::vector<AVFrame*> MakePictures(int width, int height) {
    std::vector<AVFrame*> pictures;
    for (int i = 0; i < kDistinctFrames; ++i) {
        AVFrame* frame = av_frame_alloc();
        frame->width = width;
        frame->height = height;
        frame->format = AV_PIX_FMT_YUV420P;
        av_frame_get_buffer(frame, 0);
        FillPicture(frame, i);
        pictures.push_back(frame);
    }
    return pictures;
}

// Processor seconds for count pictures through the recording, trailer
// included; clock seconds in wall, the file's size in bytes.
double Ours(const std::vector<AVFrame*>& pictures, int count, const std::string& path, double& wall,
            int64_t& bytes) {
    RecordingFile file;
    const int width = pictures[0]->width;
    const int height = pictures[0]->height;
    if (!file.Open(path, width, height, 30, nullptr)) {
        return -1.0;
    }
    const int64_t start = 1000000;
    file.Begin(start);
    const double began = ProcessorSeconds();
    const double wallBegan = Now();
    for (int i = 0; i < count; ++i) {
        file.WriteVideo(pictures[static_cast<size_t>(i) % pictures.size()],
                        start + static_cast<int64_t>(i) * 1000000 / 30);
    }
    const bool complete = file.Finish();
    const double took = ProcessorSeconds() - began;
    wall = Now() - wallBegan;
    bytes = file.Finished().fragmentedBytes;
    ::DeleteFileA(path.c_str());
    return complete ? took : -1.0;
}

// Seconds for count pictures through a bare encoder with the recording's settings.
double Bare(const std::vector<AVFrame*>& pictures, int count) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_H264);
    AVCodecContext* context = avcodec_alloc_context3(codec);
    context->width = pictures[0]->width;
    context->height = pictures[0]->height;
    context->pix_fmt = AV_PIX_FMT_YUV420P;
    context->time_base = AVRational{1, 90000};
    context->framerate = AVRational{30, 1};
    context->bit_rate = 4000000;
    context->rc_min_rate = 4000000;
    context->rc_max_rate = 4000000;
    context->bit_rate_tolerance = 4000000;
    context->gop_size = 12;
    context->max_b_frames = 0;
    context->thread_count = RecordingFile::VideoEncoderThreads(); // as the recording runs it
    context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    av_opt_set(context->priv_data, "b-pyramid", "none", 0);
    av_opt_set(context->priv_data, "preset", "superfast", 0);
    av_opt_set(context->priv_data, "tune", "zerolatency", 0);
    AVPacket* packet = av_packet_alloc();
    double took = -1.0;
    if (avcodec_open2(context, codec, nullptr) >= 0) {
        const double began = ProcessorSeconds();
        for (int i = 0; i <= count; ++i) {
            AVFrame* picture =
                i < count ? pictures[static_cast<size_t>(i) % pictures.size()] : nullptr;
            if (picture != nullptr) {
                picture->pts = static_cast<int64_t>(i) * 3000;
            }
            avcodec_send_frame(context, picture);
            while (avcodec_receive_packet(context, packet) >= 0) {
                av_packet_unref(packet);
            }
        }
        took = ProcessorSeconds() - began;
    }
    av_packet_free(&packet);
    avcodec_free_context(&context);
    return took;
}

} // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 && std::atoi(argv[1]) > 0 ? std::atoi(argv[1]) : 300;
    av_log_set_level(AV_LOG_ERROR);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::printf("camera picture: sensor noise %d\n", PictureNoiseLevel());
    char folder[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + "orvana-encode-bench.mp4";

    bool allWithin = true;
    const int sizes[][2] = {{1280, 720}, {1920, 1080}};
    for (const auto& size : sizes) {
        std::vector<AVFrame*> pictures = MakePictures(size[0], size[1]);
        double ours = 1e9;
        double bare = 1e9;
        double wall = 1e9;
        int64_t bytes = 0;
        for (int round = 0; round < kRounds; ++round) {
            const double bareRound = Bare(pictures, count);
            double wallRound = 0;
            const double oursRound = Ours(pictures, count, path, wallRound, bytes);
            if (bareRound <= 0 || oursRound <= 0) {
                std::printf("%dx%d: encoding failed\n", size[0], size[1]);
                return 2;
            }
            bare = std::min(bare, bareRound);
            ours = std::min(ours, oursRound);
            wall = std::min(wall, wallRound);
        }
        const double ratio = ours / bare;
        allWithin = allWithin && ratio <= kAllowedRatio;
        std::printf("%dx%d H.264, %d pictures: recording %.1f fps, bare libx264 %.1f fps "
                    "(of one core), ratio %.3f (target <= %.2f)\n",
                    size[0], size[1], count, count / ours, count / bare, ratio, kAllowedRatio);
        // By the clock, what a camera's pace needs: slices on more cores shorten it.
        std::printf("%dx%d recording by the clock: %.1f pictures a second with %d x264 threads\n",
                    size[0], size[1], count / wall, RecordingFile::VideoEncoderThreads());
        std::printf("RESULT encode_ratio_%dx%d %.3f\n", size[0], size[1], ratio);
        std::printf("RESULT encode_clock_fps_%dx%d %.1f\n", size[0], size[1], count / wall);
        // The pictures are 1/30 s apart: a webcam's picture fills the encoder's 4 Mbit/s.
        const double megabits = bytes * 8.0 / 1e6 / (count / 30.0);
        std::printf("%dx%d file: %.2f Mbit/s\n", size[0], size[1], megabits);
        std::printf("RESULT encode_file_mbit_per_second_%dx%d %.2f\n", size[0], size[1], megabits);
        for (AVFrame*& picture : pictures) {
            av_frame_free(&picture);
        }
    }
    std::printf("%s\n", allWithin ? "PASS" : "FAIL");
    return allWithin ? 0 : 1;
}
