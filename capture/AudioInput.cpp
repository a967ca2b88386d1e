#include "capture/AudioInput.h"

#include <windows.h>

#include <cstdio>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavdevice/avdevice.h>
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
}

#include "capture/MonotonicClock.h"
#include "capture/OutputFile.h"

namespace {

// How long the thread rests when the microphone has nothing new; a 20 ms
// device buffer is picked up within a quarter of its length.
constexpr DWORD kPollMs = 5;
// The microphone's packet least held up within this much of its time ties
// its clock to ours: long enough to hold a packet read promptly even on a
// busy machine and to outlast a stall whose sound the device keeps, short
// enough that a real microphone's clock (up to about 1,500 ppm off) moves
// the tie by under 5 ms.
constexpr int64_t kClockWindowUs = 3000000;
// Most the resampler may stretch or squeeze the sound, as a share of its
// rate: real microphones are off by up to about 0.15 %; a gap of over 0.1 s
// (the resampler's default) is filled with silence or cut at once instead.
constexpr int kMostStretchDivisor = 50;
// Frames held back while more keep waiting (a second of 20 ms buffers).
constexpr size_t kMostWaiting = 50;

std::string LayoutName(int channels) {
    AVChannelLayout layout{};
    av_channel_layout_default(&layout, channels);
    char name[64] = {};
    av_channel_layout_describe(&layout, name, sizeof name);
    av_channel_layout_uninit(&layout);
    return name;
}

} // namespace

AudioInput::~AudioInput() {
    Close();
}

bool AudioInput::Open(const std::wstring& microphoneName) {
    Close();
    // FFmpeg takes device names in UTF-8, as it takes file names.
    const std::string name = Utf8Path(microphoneName);
    if (name.empty()) {
        return false;
    }
    avdevice_register_all();
    const AVInputFormat* dshow = av_find_input_format("dshow");
    m_input = avformat_alloc_context();
    if (dshow == nullptr || m_input == nullptr) {
        Close();
        return false;
    }
    // A read answers EAGAIN instead of waiting for the device, which is what
    // lets the thread notice a stop during a stall.
    m_input->flags |= AVFMT_FLAG_NONBLOCK;
    const std::string url = "audio=" + name;
    if (avformat_open_input(&m_input, url.c_str(), dshow, nullptr) < 0) {
        m_input = nullptr; // freed by the failed open
        Close();
        return false;
    }
    for (unsigned i = 0; i < m_input->nb_streams; ++i) {
        if (m_input->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) {
            m_streamIndex = static_cast<int>(i);
            m_stream = m_input->streams[i];
            break;
        }
    }
    const AVCodec* codec =
        m_stream != nullptr ? avcodec_find_decoder(m_stream->codecpar->codec_id) : nullptr;
    m_decoder = codec != nullptr ? avcodec_alloc_context3(codec) : nullptr;
    if (m_decoder == nullptr || avcodec_parameters_to_context(m_decoder, m_stream->codecpar) < 0) {
        Close();
        return false;
    }
    // DirectShow names only a channel count; give it the usual layout so
    // that frames and filters agree on it.
    if (m_decoder->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
        const int channels = m_decoder->ch_layout.nb_channels;
        av_channel_layout_uninit(&m_decoder->ch_layout);
        av_channel_layout_default(&m_decoder->ch_layout, channels);
    }
    m_packet = av_packet_alloc();
    m_decoded = av_frame_alloc();
    if (avcodec_open2(m_decoder, codec, nullptr) < 0 || m_packet == nullptr ||
        m_decoded == nullptr || m_decoder->sample_rate <= 0 ||
        m_decoder->ch_layout.nb_channels <= 0) {
        Close();
        return false;
    }
    m_format.sampleRate = m_decoder->sample_rate;
    m_format.channels = m_decoder->ch_layout.nb_channels;
    m_format.sampleFormat = m_decoder->sample_fmt;
    return true;
}

bool AudioInput::BuildFilters(const SoundFormat& target, int volumePercent) {
    m_graph = avfilter_graph_alloc();
    if (m_graph == nullptr) {
        return false;
    }
    char arguments[512] = {};
    // Frames carry their capture time in microseconds of MonotonicMicros.
    std::snprintf(arguments, sizeof arguments,
                  "time_base=1/1000000:sample_rate=%d:sample_fmt=%s:channel_layout=%s",
                  m_format.sampleRate,
                  av_get_sample_fmt_name(static_cast<AVSampleFormat>(m_format.sampleFormat)),
                  LayoutName(m_format.channels).c_str());
    char volume[64] = {};
    std::snprintf(volume, sizeof volume, "volume=%.2f",
                  (volumePercent < 0 ? 0 : volumePercent) / 100.0);
    char stretch[64] = {};
    std::snprintf(stretch, sizeof stretch, "async=%d",
                  m_format.sampleRate / kMostStretchDivisor > 1
                      ? m_format.sampleRate / kMostStretchDivisor
                      : 2);
    char conversion[512] = {};
    std::snprintf(conversion, sizeof conversion,
                  "sample_fmts=%s:sample_rates=%d:channel_layouts=%s",
                  av_get_sample_fmt_name(static_cast<AVSampleFormat>(target.sampleFormat)),
                  target.sampleRate, LayoutName(target.channels).c_str());
    AVFilterContext* gain = nullptr;
    AVFilterContext* resample = nullptr;
    AVFilterContext* format = nullptr;
    return avfilter_graph_create_filter(&m_source, avfilter_get_by_name("abuffer"), "src",
                                        arguments, nullptr, m_graph) >= 0 &&
           avfilter_graph_create_filter(&gain, avfilter_get_by_name("volume"), "volume", volume,
                                        nullptr, m_graph) >= 0 &&
           avfilter_graph_create_filter(&resample, avfilter_get_by_name("aresample"),
                                        "aresample", stretch, nullptr, m_graph) >= 0 &&
           avfilter_graph_create_filter(&format, avfilter_get_by_name("aformat"), "aformat",
                                        conversion, nullptr, m_graph) >= 0 &&
           avfilter_graph_create_filter(&m_sink, avfilter_get_by_name("abuffersink"), "sink",
                                        nullptr, nullptr, m_graph) >= 0 &&
           avfilter_link(m_source, 0, gain, 0) >= 0 && avfilter_link(gain, 0, resample, 0) >= 0 &&
           avfilter_link(resample, 0, format, 0) >= 0 &&
           avfilter_link(format, 0, m_sink, 0) >= 0 && avfilter_graph_config(m_graph, nullptr) >= 0;
}

bool AudioInput::Start(const SoundFormat& target, int volumePercent, FrameCallback callback) {
    if (m_input == nullptr || m_thread.joinable() || !callback ||
        !BuildFilters(target, volumePercent)) {
        return false;
    }
    m_callback = std::move(callback);
    m_clock = SoundCaptureClock(kClockWindowUs);
    m_stop = false;
    m_thread = std::thread([this] { ReadLoop(); });
    return true;
}

void AudioInput::ReadLoop() {
    while (!m_stop) {
        const int read = av_read_frame(m_input, m_packet);
        if (read == AVERROR(EAGAIN)) {
            if (m_waiting.empty()) {
                ::Sleep(kPollMs);
            } else {
                DeliverWaiting();
            }
            continue;
        }
        if (read < 0) {
            // The device is gone or has ended: nothing more will come, and
            // asking again would only spin. The recording goes on silent
            // after what was read.
            if (!m_waiting.empty()) {
                DeliverWaiting();
            }
            break;
        }
        const int64_t readUs = MonotonicMicros();
        // The device's own stamp of the packet (DirectShow's sample time).
        const int64_t deviceUs = m_packet->pts != AV_NOPTS_VALUE
                                     ? av_rescale_q(m_packet->pts, m_stream->time_base,
                                                    AVRational{1, 1000000})
                                     : SoundCaptureClock::kNoStamp;
        if (m_packet->stream_index == m_streamIndex &&
            avcodec_send_packet(m_decoder, m_packet) >= 0) {
            Decode(deviceUs, readUs);
        }
        av_packet_unref(m_packet);
        if (m_waiting.size() >= kMostWaiting) {
            DeliverWaiting();
        }
    }
}

void AudioInput::Decode(int64_t deviceUs, int64_t readUs) {
    while (avcodec_receive_frame(m_decoder, m_decoded) >= 0) {
        if (m_decoded->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
            const int channels = m_decoded->ch_layout.nb_channels;
            av_channel_layout_uninit(&m_decoded->ch_layout);
            av_channel_layout_default(&m_decoded->ch_layout, channels);
        }
        const int64_t durationUs =
            av_rescale(m_decoded->nb_samples, 1000000, m_format.sampleRate);
        const int64_t placeUs = m_clock.Observe(deviceUs, durationUs, readUs);
        if (deviceUs != SoundCaptureClock::kNoStamp) {
            deviceUs += durationUs; // a second frame of the packet follows the first
        }
        AVFrame* frame = av_frame_alloc();
        if (frame == nullptr) {
            av_frame_unref(m_decoded);
            continue;
        }
        av_frame_move_ref(frame, m_decoded);
        m_waiting.push_back(Waiting{frame, placeUs});
    }
}

void AudioInput::DeliverWaiting() {
    const AVRational sinkBase = av_buffersink_get_time_base(m_sink);
    for (Waiting& waiting : m_waiting) {
        // The resampler keeps the sound to these times.
        waiting.frame->pts = m_clock.Captured(waiting.deviceUs);
        // The source takes the frame's reference and leaves it blank.
        const bool added = av_buffersrc_add_frame(m_source, waiting.frame) >= 0;
        av_frame_free(&waiting.frame);
        if (!added) {
            continue;
        }
        for (;;) {
            AVFrame* filtered = av_frame_alloc();
            if (filtered == nullptr || av_buffersink_get_frame(m_sink, filtered) < 0) {
                av_frame_free(&filtered);
                break;
            }
            // Out of the resampler the sound is contiguous, stamped in
            // samples; the callback gets the time just after its last one.
            const int64_t capturedUs =
                av_rescale_q(filtered->pts + filtered->nb_samples, sinkBase,
                             AVRational{1, 1000000});
            // The callback owns the frame from here on, queued or not.
            m_callback(m_stream, filtered, capturedUs);
        }
    }
    m_waiting.clear();
}

void AudioInput::FreeWaiting() {
    for (Waiting& waiting : m_waiting) {
        av_frame_free(&waiting.frame);
    }
    m_waiting.clear();
}

void AudioInput::Close() {
    m_stop = true;
    if (m_thread.joinable()) {
        m_thread.join();
    }
    FreeWaiting();
    m_callback = nullptr;
    avfilter_graph_free(&m_graph);
    m_source = nullptr;
    m_sink = nullptr;
    av_packet_free(&m_packet);
    av_frame_free(&m_decoded);
    avcodec_free_context(&m_decoder);
    avformat_close_input(&m_input);
    m_stream = nullptr;
    m_streamIndex = -1;
    m_format = SoundFormat{};
}
