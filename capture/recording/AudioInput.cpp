#include "capture/recording/AudioInput.h"

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
#include <libavutil/dict.h>
#include <libavutil/samplefmt.h>
}

#include <algorithm>

#include "capture/MonotonicClock.h"
#include "capture/recording/OutputFile.h"

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
// The device buffer asked for. Without it FFmpeg leaves the device's own,
// about 500 ms on real microphones: sound then arrives in half seconds, and
// the last one is still in the device when a recording stops.
constexpr int kDeviceBufferMs = 20;
// At the end, how long the sound up to the stop is waited for beyond the
// longest packet the device handed over (a device that ignored the buffer
// asked for hands over its own): the handing over and the reading, on a busy
// machine. Before any packet came, a real microphone's own buffer is assumed.
constexpr int64_t kEndSlackUs = 250000;
constexpr int64_t kUnknownBufferUs = 500000;
constexpr int64_t kLongestBufferUs = 2000000;
// Silence standing in for a lost microphone is handed over in pieces of at
// most a tenth of a second.
constexpr int kSilenceDivisor = 10;

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
    AVDictionary* options = nullptr;
    av_dict_set_int(&options, "audio_buffer_size", kDeviceBufferMs, 0);
    const int opened = avformat_open_input(&m_input, url.c_str(), dshow, &options);
    av_dict_free(&options);
    if (opened < 0) {
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
           avfilter_graph_create_filter(&resample, avfilter_get_by_name("aresample"), "aresample",
                                        stretch, nullptr, m_graph) >= 0 &&
           avfilter_graph_create_filter(&format, avfilter_get_by_name("aformat"), "aformat",
                                        conversion, nullptr, m_graph) >= 0 &&
           avfilter_graph_create_filter(&m_sink, avfilter_get_by_name("abuffersink"), "sink",
                                        nullptr, nullptr, m_graph) >= 0 &&
           avfilter_link(m_source, 0, gain, 0) >= 0 && avfilter_link(gain, 0, resample, 0) >= 0 &&
           avfilter_link(resample, 0, format, 0) >= 0 && avfilter_link(format, 0, m_sink, 0) >= 0 &&
           avfilter_graph_config(m_graph, nullptr) >= 0;
}

bool AudioInput::Start(const SoundFormat& target, int volumePercent, FrameCallback callback) {
    if (m_input == nullptr || m_thread.joinable() || !callback ||
        !BuildFilters(target, volumePercent)) {
        return false;
    }
    m_callback = std::move(callback);
    m_clock = SoundCaptureClock(kClockWindowUs);
    m_target = target;
    m_deliveredUntilUs = kNothingYet;
    m_longestPacketUs = 0;
    m_endDeadlineUs = kNothingYet;
    m_silenceSinceUs = kNothingYet;
    m_silenceSamples = 0;
    m_lost = false;
    m_ended = nullptr;
    m_endAtUs = kNothingYet;
    m_stop = false;
    m_thread = std::thread([this] { ReadLoop(); });
    return true;
}

void AudioInput::EndAt(int64_t stopUs, std::function<void()> ended) {
    if (!m_thread.joinable() || m_endAtUs != kNothingYet) {
        if (ended) {
            ended();
        }
        return;
    }
    // The thread reads the callback only once it sees the moment.
    m_ended = std::move(ended);
    m_endAtUs = stopUs;
}

bool AudioInput::EndReached() {
    const int64_t endAt = m_endAtUs;
    if (endAt == kNothingYet) {
        return false;
    }
    if (m_endDeadlineUs == kNothingYet) {
        const int64_t buffer = m_longestPacketUs > 0 ? m_longestPacketUs : kUnknownBufferUs;
        m_endDeadlineUs = endAt + std::min(buffer, kLongestBufferUs) + kEndSlackUs;
    }
    if (m_lost) {
        DeliverSilence();
    }
    if (m_deliveredUntilUs != kNothingYet && m_deliveredUntilUs >= endAt) {
        return true;
    }
    if (MonotonicMicros() >= m_endDeadlineUs) {
        // A device that stalled: what it gave is kept, the rest is not waited for.
        DeliverWaiting();
        return true;
    }
    return false;
}

void AudioInput::ReadLoop() {
    while (!m_stop && !EndReached()) {
        if (m_lost) {
            DeliverSilence();
            ::Sleep(kPollMs);
            continue;
        }
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
            // The device is gone (FFmpeg saw EC_DEVICE_LOST) or has ended:
            // nothing more will come, and asking again would only spin. The
            // recording goes on with silence after what was read.
            if (!m_waiting.empty()) {
                DeliverWaiting();
            }
            m_lost = true;
            continue;
        }
        const int64_t readUs = MonotonicMicros();
        // The device's own stamp of the packet (DirectShow's sample time).
        const int64_t deviceUs =
            m_packet->pts != AV_NOPTS_VALUE
                ? av_rescale_q(m_packet->pts, m_stream->time_base, AVRational{1, 1000000})
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
    if (m_endAtUs != kNothingYet) {
        std::function<void()> ended = std::move(m_ended);
        if (ended) {
            ended();
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
        const int64_t durationUs = av_rescale(m_decoded->nb_samples, 1000000, m_format.sampleRate);
        m_longestPacketUs = std::max(m_longestPacketUs, durationUs);
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
            const int64_t capturedUs = av_rescale_q(filtered->pts + filtered->nb_samples, sinkBase,
                                                    AVRational{1, 1000000});
            Deliver(filtered, capturedUs);
        }
    }
    m_waiting.clear();
}

void AudioInput::Deliver(AVFrame* frame, int64_t capturedUs) {
    if (m_deliveredUntilUs == kNothingYet || capturedUs > m_deliveredUntilUs) {
        m_deliveredUntilUs = capturedUs;
    }
    const int64_t endAt = m_endAtUs;
    const int rate = frame->sample_rate > 0 ? frame->sample_rate : m_target.sampleRate;
    if (endAt != kNothingYet && capturedUs > endAt && rate > 0) {
        // Sound from after the stop is not the recording's.
        const int64_t startUs = capturedUs - av_rescale(frame->nb_samples, 1000000, rate);
        const int64_t keep = startUs < endAt ? av_rescale(endAt - startUs, rate, 1000000) : 0;
        if (keep <= 0) {
            av_frame_free(&frame);
            return;
        }
        frame->nb_samples = static_cast<int>(std::min<int64_t>(keep, frame->nb_samples));
        capturedUs = startUs + av_rescale(frame->nb_samples, 1000000, rate);
    }
    // The callback owns the frame from here on, queued or not.
    m_callback(m_stream, frame, capturedUs);
}

void AudioInput::DeliverSilence() {
    const int rate = m_target.sampleRate;
    const int channels = m_target.channels;
    const auto format = static_cast<AVSampleFormat>(m_target.sampleFormat);
    if (rate <= 0 || channels <= 0 || format == AV_SAMPLE_FMT_NONE) {
        return;
    }
    int64_t untilUs = MonotonicMicros();
    const int64_t endAt = m_endAtUs;
    if (endAt != kNothingYet && endAt < untilUs) {
        untilUs = endAt;
    }
    if (m_silenceSinceUs == kNothingYet) {
        // From where the microphone's sound ended, or from now when it gave none.
        m_silenceSinceUs = m_deliveredUntilUs != kNothingYet ? m_deliveredUntilUs : untilUs;
        m_silenceSamples = 0;
    }
    // Counted in samples from one moment, so that the pieces add up exactly.
    const int64_t due = av_rescale(untilUs - m_silenceSinceUs, rate, 1000000);
    while (m_silenceSamples < due) {
        const int count = static_cast<int>(
            std::min<int64_t>(due - m_silenceSamples, std::max(1, rate / kSilenceDivisor)));
        AVFrame* silence = av_frame_alloc();
        if (silence == nullptr) {
            return;
        }
        silence->format = format;
        silence->sample_rate = rate;
        silence->nb_samples = count;
        av_channel_layout_default(&silence->ch_layout, channels);
        if (av_frame_get_buffer(silence, 0) < 0 ||
            av_samples_set_silence(silence->extended_data, 0, count, channels, format) < 0) {
            av_frame_free(&silence);
            return;
        }
        m_silenceSamples += count;
        const int64_t endUs = m_silenceSinceUs + av_rescale(m_silenceSamples, 1000000, rate);
        m_deliveredUntilUs = endUs;
        m_callback(m_stream, silence, endUs);
    }
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
    m_ended = nullptr;
    m_endAtUs = kNothingYet;
    m_lost = false;
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
