#include "capture/recording/RecordingFile.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <utility>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libavutil/samplefmt.h>
#include <libswscale/swscale.h>
}

#include "capture/MonotonicClock.h"
#include "capture/mp4/Mp4RecordingMark.h"
#include "capture/recording/OutputFile.h"
#include "capture/recording/RecordingJournalEntry.h"

namespace {

// Fine enough for any camera rate; the MP4 muxer keeps it as the track's scale.
constexpr int kVideoTimeScale = 90000;
constexpr int64_t kVideoBitRate = 4000000;
constexpr int kGopSize = 12;
constexpr int64_t kAudioBitRate = 32000;
// Lateness of sound tolerated before the timeline jumps: more than the
// jitter of reading the device, less than anyone hears as out of sync.
constexpr int64_t kAudioSlackUs = 40000;
// Sound is placed where it was captured, pictures where they arrived, and
// the last picture lasts a frame period beyond: at the stop the sound of the
// last moments is still on its way (a device buffer, the reading, the queues;
// longer on a busy machine). Sound that ends up to this much before the
// picture is filled up with silence to end with it; a microphone that had
// stalled for longer is not.
constexpr int64_t kSoundEndFillUs = 250000;

// Free space a recording keeps in hand: about 10 s of it, and never less
// than 64 MB, which the system and other programs need as much.
constexpr int64_t kReserveSeconds = 10;
constexpr int64_t kLeastReserveBytes = 64LL * 1024 * 1024;

void CloseOutput(AVFormatContext*& output) {
    if (output == nullptr) {
        return;
    }
    CloseOutputFile(&output->pb);
    avformat_free_context(output);
    output = nullptr;
}

// Writes the trailer when everything before went right (ok), then closes the
// file; true only when all of it reached the file.
bool WriteTrailerAndClose(AVFormatContext* output, bool ok) {
    if (output == nullptr) {
        return false;
    }
    ok = ok && av_write_trailer(output) >= 0;
    if (output->pb != nullptr) {
        ok = CloseOutputFile(&output->pb) && ok;
    }
    return ok;
}

bool SupportsRate(const AVCodec* codec, int rate) {
    if (codec->supported_samplerates == nullptr) {
        return true;
    }
    for (const int* each = codec->supported_samplerates; *each != 0; ++each) {
        if (*each == rate) {
            return true;
        }
    }
    return false;
}

} // namespace

RecordingFile::RecordingFile(std::shared_ptr<OutputDisk> disk) : m_disk(std::move(disk)) {}

RecordingFile::~RecordingFile() {
    Release();
}

void RecordingFile::Release() {
    avcodec_free_context(&m_video);
    avcodec_free_context(&m_audio);
    av_packet_free(&m_packet);
    av_frame_free(&m_shallow);
    av_frame_free(&m_scaled);
    av_frame_free(&m_soundFrame);
    sws_freeContext(m_scaler);
    m_scaler = nullptr;
    if (m_fifo != nullptr) {
        av_audio_fifo_free(m_fifo);
        m_fifo = nullptr;
    }
    CloseOutput(m_output);
    m_videoStream = nullptr;
    m_audioStream = nullptr;
    m_headerWritten = false;
}

bool RecordingFile::OpenLike(const RecordingFile& model, const std::string& path) {
    const SoundFormat sound = model.m_soundAsked;
    return Open(path, model.m_width, model.m_height, model.m_frameRate,
                model.m_withSound ? &sound : nullptr);
}

int64_t RecordingFile::BytesAtFinish() const {
    if (!m_headerWritten) {
        return 0;
    }
    // Beyond the media: each sample's entry in its fragment's header and
    // again in the index, a fragment (with its entries in the fragment
    // index the trailer writes) per key picture, and the boxes around.
    constexpr int64_t kPerSample = 48;
    constexpr int64_t kPerFragment = 512;
    constexpr int64_t kBoxes = 16 * 1024;
    return m_headerBytes + m_muxedBytes + kPerSample * (m_videoFrames + m_audioFrames) +
           kPerFragment * (m_keyPictures + 1) + kBoxes;
}

void RecordingFile::Discard() {
    const bool created = m_headerWritten;
    Release();
    if (created) {
        DeleteOutputFile(m_path);
    }
    m_journal.Close(true);
}

int64_t RecordingFile::PictureEndMicros() const {
    const int64_t last = m_videoTimeline.Last();
    if (last < 0) {
        return 0;
    }
    return m_startUs + av_rescale(last + m_videoFrameTicks, 1000000, kVideoTimeScale);
}

int64_t RecordingFile::ReserveBytes() const {
    int64_t bitsPerSecond = m_video != nullptr ? m_video->bit_rate : 0;
    bitsPerSecond += m_audio != nullptr ? m_audio->bit_rate : 0;
    const int64_t recordingBytes = bitsPerSecond / 8 * kReserveSeconds;
    return recordingBytes > kLeastReserveBytes ? recordingBytes : kLeastReserveBytes;
}

SoundFormat RecordingFile::EncoderSound() const {
    SoundFormat format;
    if (m_audio != nullptr) {
        format.sampleRate = m_audio->sample_rate;
        format.channels = m_audio->ch_layout.nb_channels;
        format.sampleFormat = m_audio->sample_fmt;
    }
    return format;
}

int RecordingFile::VideoEncoderThreads() {
    // Zero latency makes x264 cut each picture into slices, one a thread,
    // and wait for them: no picture is held back. On one thread a noisy
    // 1920x1080 picture takes about 18 ms of a core, too close to a 30 fps
    // camera's 33 ms once the preview's decoding shares the cores. More
    // slices than cores only cost bits.
    SYSTEM_INFO system{};
    ::GetSystemInfo(&system);
    return std::max(1, std::min(4, static_cast<int>(system.dwNumberOfProcessors)));
}

bool RecordingFile::AddVideoStream(int width, int height, int frameRate) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_H264);
    if (codec == nullptr) {
        return false;
    }
    m_video = avcodec_alloc_context3(codec);
    m_videoStream = avformat_new_stream(m_output, nullptr);
    if (m_video == nullptr || m_videoStream == nullptr) {
        return false;
    }
    m_video->width = width;
    m_video->height = height;
    m_video->pix_fmt = AV_PIX_FMT_YUV420P;
    // Time stamps come from the clock; the nominal rate only guides x264's
    // rate control.
    m_video->time_base = AVRational{1, kVideoTimeScale};
    m_video->framerate = AVRational{frameRate, 1};
    m_video->bit_rate = kVideoBitRate;
    m_video->rc_min_rate = kVideoBitRate;
    m_video->rc_max_rate = kVideoBitRate;
    m_video->bit_rate_tolerance = static_cast<int>(kVideoBitRate);
    m_video->gop_size = kGopSize;
    m_video->max_b_frames = 0;
    m_video->thread_count = VideoEncoderThreads();
    if (m_output->oformat->flags & AVFMT_GLOBALHEADER) {
        m_video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    av_opt_set(m_video->priv_data, "b-pyramid", "none", 0);
    av_opt_set(m_video->priv_data, "preset", "superfast", 0);
    av_opt_set(m_video->priv_data, "tune", "zerolatency", 0);
    if (avcodec_open2(m_video, codec, nullptr) < 0 ||
        avcodec_parameters_from_context(m_videoStream->codecpar, m_video) < 0) {
        return false;
    }
    m_videoStream->time_base = m_video->time_base;
    m_videoFrameTicks = kVideoTimeScale / frameRate;
    m_videoTimeline = VideoTimeline(kVideoTimeScale);
    return true;
}

bool RecordingFile::AddAudioStream(const SoundFormat& sound) {
    const AVCodec* codec = avcodec_find_encoder(m_output->oformat->audio_codec);
    if (codec == nullptr || codec->sample_fmts == nullptr || sound.channels <= 0 ||
        sound.sampleRate <= 0) {
        return false;
    }
    m_audio = avcodec_alloc_context3(codec);
    m_audioStream = avformat_new_stream(m_output, nullptr);
    if (m_audio == nullptr || m_audioStream == nullptr) {
        return false;
    }
    av_channel_layout_default(&m_audio->ch_layout, sound.channels);
    // A rate the encoder cannot take is converted by the microphone's filter.
    m_audio->sample_rate = SupportsRate(codec, sound.sampleRate) ? sound.sampleRate : 48000;
    m_audio->sample_fmt = codec->sample_fmts[0];
    m_audio->bit_rate = kAudioBitRate;
    m_audio->time_base = AVRational{1, m_audio->sample_rate};
    if (m_output->oformat->flags & AVFMT_GLOBALHEADER) {
        m_audio->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    if (avcodec_open2(m_audio, codec, nullptr) < 0 ||
        avcodec_parameters_from_context(m_audioStream->codecpar, m_audio) < 0) {
        return false;
    }
    m_audioStream->time_base = m_audio->time_base;
    m_fifo = av_audio_fifo_alloc(m_audio->sample_fmt, m_audio->ch_layout.nb_channels, 1);
    m_soundFrame = av_frame_alloc();
    if (m_fifo == nullptr || m_soundFrame == nullptr) {
        return false;
    }
    // An encoder that takes any frame size (none in our build) gets 1024.
    const int frameSize = m_audio->frame_size > 0 ? m_audio->frame_size : 1024;
    m_soundFrame->nb_samples = frameSize;
    m_soundFrame->format = m_audio->sample_fmt;
    m_soundFrame->sample_rate = m_audio->sample_rate;
    if (av_channel_layout_copy(&m_soundFrame->ch_layout, &m_audio->ch_layout) < 0 ||
        av_frame_get_buffer(m_soundFrame, 0) < 0) {
        return false;
    }
    m_audioTimeline = AudioTimeline(m_audio->sample_rate, kAudioSlackUs);
    return true;
}

bool RecordingFile::Open(const std::string& path, int width, int height, int frameRate,
                         const SoundFormat* sound) {
    Release();
    m_path = path;
    m_finished = FinishedRecording{};
    m_videoFrames = 0;
    m_audioFrames = 0;
    m_writeFailed = false;
    m_problem = path.empty() ? OutputProblem::NoFreeName : OutputProblem::None;
    m_muxedBytes = 0;
    m_largestPacket = 0;
    m_keyPictures = 0;
    m_soundEndUs = kNoSoundEnd;
    frameRate = RecordingFrameRate(frameRate);
    m_width = width;
    m_height = height;
    m_frameRate = frameRate;
    m_withSound = sound != nullptr;
    m_soundAsked = sound != nullptr ? *sound : SoundFormat{};
    bool created = false;
    bool opened = width > 0 && height > 0 && width % 2 == 0 && height % 2 == 0 &&
                  avformat_alloc_output_context2(&m_output, nullptr, nullptr, path.c_str()) >= 0 &&
                  m_output != nullptr && AddVideoStream(width, height, frameRate) &&
                  (sound == nullptr || AddAudioStream(*sound));
    m_packet = opened ? av_packet_alloc() : nullptr;
    m_shallow = opened ? av_frame_alloc() : nullptr;
    opened = opened && m_packet != nullptr && m_shallow != nullptr;
    if (opened && !(m_output->oformat->flags & AVFMT_NOFILE)) {
        // An unwritable folder, or a disk that is nearly full, ends the
        // start here, before anything runs.
        const int64_t freeBytes = m_disk->FreeBytes(path);
        if (freeBytes < 0 || freeBytes >= ReserveBytes()) {
            m_headers = Mp4HeaderCopy();
            // m_path: the name taken
            m_output->pb = CreateOutputFile(m_path, &m_headers, *m_disk, &m_problem);
        } else {
            m_problem = OutputProblem::DiskFull;
        }
        created = m_output->pb != nullptr;
        opened = created;
    }
    if (opened) {
        // Before the first byte: the journal names the file, and the file
        // carries the entry's mark, so that the next start finishes this
        // recording, should it be cut off, and nothing that is not ours.
        const RecordingJournalEntry entry{NewRecordingId(), m_path};
        av_dict_set(&m_output->metadata, "comment", RecordingMarkComment(entry.id).c_str(), 0);
        m_journal.Open(entry, m_disk->JournalFolder());
    }
    if (opened) {
        // One fragment per group of pictures (under half a second), written
        // as it is complete: a recording cut off (power lost, program killed)
        // keeps everything up to its last fragment, where a single index
        // written at the end would lose the whole file. Finish turns it into
        // an ordinary MP4 where it lies; made then rather than alongside, the
        // index does not grow in memory for as long as the recording runs.
        AVDictionary* options = nullptr;
        av_dict_set(&options, "movflags", "frag_keyframe+empty_moov+default_base_moof", 0);
        // Each packet's bytes go to the file at once, not when a buffer fills.
        m_output->flush_packets = 1;
        opened = avformat_write_header(m_output, &options) >= 0;
        av_dict_free(&options);
        if (!opened && m_output->pb != nullptr && m_output->pb->error < 0) {
            m_problem = m_output->pb->error == AVERROR(ENOSPC) ? OutputProblem::DiskFull
                                                               : OutputProblem::WriteFailed;
        }
        m_headerBytes = opened ? avio_tell(m_output->pb) : 0;
    }
    if (!opened) {
        Release();
        if (created) {
            DeleteOutputFile(m_path);
        }
        m_journal.Close(true);
        return false;
    }
    m_headerWritten = true;
    return true;
}

void RecordingFile::FinishInPlace() {
    const int64_t started = MonotonicMicros();
    const std::unique_ptr<RandomAccessFile> file =
        m_disk->Open(WidePath(m_path), Win32RandomAccessFile::Access::ReadWrite);
    // Held open elsewhere for writing (another finish, another program): it
    // stays fragmented, which plays, and the next start finishes it.
    if (file) {
        HeaderCopiedFile copied(*file, m_headers);
        m_finished.inPlace = FinishFragmentedMp4(copied);
    }
    m_finished.finishMicros = MonotonicMicros() - started;
    m_finished.ordinary = m_finished.inPlace.outcome == Mp4FinishOutcome::Finished;
    // Left in the journal when the finish could not write: the next start does it.
    m_journal.Close(m_finished.inPlace.outcome != Mp4FinishOutcome::FileError);
}

const AVFrame* RecordingFile::FitPicture(const AVFrame* picture) {
    if (picture->width == m_video->width && picture->height == m_video->height &&
        picture->format == AV_PIX_FMT_YUV420P) {
        av_frame_unref(m_shallow);
        // A reference-counted picture is handed on by reference; any other
        // is copied by the encoder as it takes it.
        if (picture->buf[0] != nullptr && av_frame_ref(m_shallow, picture) >= 0) {
            return m_shallow;
        }
        for (int plane = 0; plane < 3; ++plane) {
            m_shallow->data[plane] = picture->data[plane];
            m_shallow->linesize[plane] = picture->linesize[plane];
        }
        m_shallow->width = picture->width;
        m_shallow->height = picture->height;
        m_shallow->format = picture->format;
        return m_shallow;
    }
    // The camera changed its size during the recording: keep the file's size.
    if (m_scaled == nullptr) {
        m_scaled = av_frame_alloc();
        if (m_scaled == nullptr) {
            return nullptr;
        }
        m_scaled->width = m_video->width;
        m_scaled->height = m_video->height;
        m_scaled->format = AV_PIX_FMT_YUV420P;
        if (av_frame_get_buffer(m_scaled, 0) < 0) {
            av_frame_free(&m_scaled);
            return nullptr;
        }
    }
    m_scaler = sws_getCachedContext(m_scaler, picture->width, picture->height,
                                    static_cast<AVPixelFormat>(picture->format), m_video->width,
                                    m_video->height, AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr,
                                    nullptr, nullptr);
    if (m_scaler == nullptr || av_frame_make_writable(m_scaled) < 0 ||
        sws_scale(m_scaler, picture->data, picture->linesize, 0, picture->height, m_scaled->data,
                  m_scaled->linesize) <= 0) {
        return nullptr;
    }
    return m_scaled;
}

bool RecordingFile::DrainEncoder(AVCodecContext* encoder, AVStream* stream) {
    for (;;) {
        const int received = avcodec_receive_packet(encoder, m_packet);
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) {
            return true;
        }
        if (received < 0) {
            return false;
        }
        if (encoder == m_video && m_packet->duration == 0) {
            m_packet->duration = m_videoFrameTicks;
        }
        if (!MuxPacket(encoder, stream)) {
            return false;
        }
    }
}

bool RecordingFile::MuxPacket(AVCodecContext* encoder, AVStream* stream) {
    av_packet_rescale_ts(m_packet, encoder->time_base, stream->time_base);
    m_packet->stream_index = stream->index;
    m_muxedBytes += m_packet->size;
    m_largestPacket = std::max<int64_t>(m_largestPacket, m_packet->size);
    if (stream == m_videoStream && (m_packet->flags & AV_PKT_FLAG_KEY) != 0) {
        ++m_keyPictures;
    }
    // The muxer takes the packet's reference. A write error (a full
    // disk, a drive pulled out) loses everything after it: the
    // recording must end.
    const int written = av_interleaved_write_frame(m_output, m_packet);
    av_packet_unref(m_packet);
    if (written < 0) {
        m_writeFailed = true;
        const bool full = written == AVERROR(ENOSPC) ||
                          (m_output->pb != nullptr && m_output->pb->error == AVERROR(ENOSPC));
        m_problem = full ? OutputProblem::DiskFull : OutputProblem::WriteFailed;
        return false;
    }
    return true;
}

bool RecordingFile::WriteEncodedPacket(bool video, const uint8_t* data, int size, int64_t pts,
                                       bool key) {
    AVCodecContext* encoder = video ? m_video : m_audio;
    AVStream* stream = video ? m_videoStream : m_audioStream;
    if (!m_headerWritten || encoder == nullptr || size <= 0 || av_new_packet(m_packet, size) < 0) {
        return false;
    }
    std::memcpy(m_packet->data, data, static_cast<size_t>(size));
    m_packet->pts = pts;
    m_packet->dts = pts;
    m_packet->duration = video ? m_videoFrameTicks : encoder->frame_size;
    m_packet->flags = key ? AV_PKT_FLAG_KEY : 0;
    if (!MuxPacket(encoder, stream)) {
        return false;
    }
    (video ? m_videoFrames : m_audioFrames) += 1;
    return true;
}

bool RecordingFile::SendVideo(const AVFrame* frame) {
    int sent = avcodec_send_frame(m_video, frame);
    if (sent == AVERROR(EAGAIN)) {
        // The encoder wants its packets taken first.
        if (!DrainEncoder(m_video, m_videoStream)) {
            return false;
        }
        sent = avcodec_send_frame(m_video, frame);
    }
    return sent >= 0 && DrainEncoder(m_video, m_videoStream);
}

bool RecordingFile::WriteVideo(const AVFrame* picture, int64_t arrivalUs) {
    if (!m_headerWritten || picture == nullptr || picture->data[0] == nullptr) {
        return false;
    }
    const int64_t pts = m_videoTimeline.Stamp(arrivalUs - m_startUs);
    if (pts < 0) {
        return false;
    }
    const AVFrame* fitted = FitPicture(picture);
    if (fitted == nullptr) {
        return false;
    }
    AVFrame* frame = const_cast<AVFrame*>(fitted);
    frame->pts = pts;
    frame->pict_type = AV_PICTURE_TYPE_NONE;
    if (!SendVideo(frame)) {
        return false;
    }
    ++m_videoFrames;
    return true;
}

bool RecordingFile::SendAudio(AVFrame* frame) {
    int sent = avcodec_send_frame(m_audio, frame);
    if (sent == AVERROR(EAGAIN)) {
        if (!DrainEncoder(m_audio, m_audioStream)) {
            return false;
        }
        sent = avcodec_send_frame(m_audio, frame);
    }
    return sent >= 0 && DrainEncoder(m_audio, m_audioStream);
}

bool RecordingFile::EncodeWaitingSound(int minimum) {
    const int frameSize = m_soundFrame->nb_samples > 0 ? m_soundFrame->nb_samples : 1;
    const int full = m_audio->frame_size > 0 ? m_audio->frame_size : frameSize;
    while (av_audio_fifo_size(m_fifo) >= minimum && av_audio_fifo_size(m_fifo) > 0) {
        const int count = av_audio_fifo_size(m_fifo) < full ? av_audio_fifo_size(m_fifo) : full;
        m_soundFrame->nb_samples = full;
        if (av_frame_make_writable(m_soundFrame) < 0) {
            return false;
        }
        if (av_audio_fifo_read(m_fifo, reinterpret_cast<void**>(m_soundFrame->data), count) <
            count) {
            return false;
        }
        // Only the last frame of a file may be short.
        m_soundFrame->nb_samples = count;
        m_soundFrame->pts = m_audioTimeline.Next();
        m_audioTimeline.Advance(count);
        const bool sent = SendAudio(m_soundFrame);
        m_soundFrame->nb_samples = full;
        if (!sent) {
            return false;
        }
        ++m_audioFrames;
    }
    return true;
}

bool RecordingFile::WriteAudio(const AVFrame* sound, int64_t readUs) {
    if (!m_headerWritten || m_audio == nullptr || sound == nullptr || sound->nb_samples <= 0) {
        return false;
    }
    // Frames of another format (a microphone from an earlier recording) are not ours.
    if (sound->format != m_audio->sample_fmt || sound->sample_rate != m_audio->sample_rate ||
        sound->ch_layout.nb_channels != m_audio->ch_layout.nb_channels) {
        return false;
    }
    // Sound after the end set goes into the next file.
    int available = sound->nb_samples;
    if (m_soundEndUs != kNoSoundEnd && readUs > m_soundEndUs) {
        available -= static_cast<int>(std::min<int64_t>(
            available, av_rescale(readUs - m_soundEndUs, m_audio->sample_rate, 1000000)));
        readUs = m_soundEndUs;
    }
    const AudioTimeline::Placement place =
        m_audioTimeline.Place(available, readUs - m_startUs, av_audio_fifo_size(m_fifo));
    const int count = available - place.skip;
    if (count <= 0) {
        return false;
    }
    const int bytesPerSample = av_get_bytes_per_sample(m_audio->sample_fmt);
    const bool planar = av_sample_fmt_is_planar(m_audio->sample_fmt) != 0;
    const int channels = m_audio->ch_layout.nb_channels;
    void* planes[AV_NUM_DATA_POINTERS] = {};
    const int planeCount = planar ? channels : 1;
    if (planeCount > AV_NUM_DATA_POINTERS) {
        return false;
    }
    const int skipBytes = place.skip * bytesPerSample * (planar ? 1 : channels);
    for (int plane = 0; plane < planeCount; ++plane) {
        planes[plane] = sound->extended_data[plane] + skipBytes;
    }
    if (av_audio_fifo_write(m_fifo, planes, count) < count) {
        return false;
    }
    return EncodeWaitingSound(m_audio->frame_size > 0 ? m_audio->frame_size : 1);
}

void RecordingFile::FillSoundToPictureEnd() {
    if (!m_audioTimeline.Started() || m_videoTimeline.Last() < 0) {
        return;
    }
    const int rate = m_audio->sample_rate;
    const int64_t pictureEnd =
        av_rescale(m_videoTimeline.Last() + m_videoFrameTicks, rate, kVideoTimeScale);
    const int64_t missing = pictureEnd - (m_audioTimeline.Next() + av_audio_fifo_size(m_fifo));
    if (missing <= 0 || missing > av_rescale(kSoundEndFillUs, rate, 1000000)) {
        return;
    }
    uint8_t** silence = nullptr;
    const int count = static_cast<int>(missing);
    if (av_samples_alloc_array_and_samples(&silence, nullptr, m_audio->ch_layout.nb_channels, count,
                                           m_audio->sample_fmt, 0) < 0) {
        return;
    }
    av_samples_set_silence(silence, 0, count, m_audio->ch_layout.nb_channels, m_audio->sample_fmt);
    av_audio_fifo_write(m_fifo, reinterpret_cast<void**>(silence), count);
    av_freep(&silence[0]);
    av_freep(&silence);
}

bool RecordingFile::WriteBlankPicture() {
    AVFrame* blank = av_frame_alloc();
    if (blank == nullptr) {
        return false;
    }
    blank->width = m_video->width;
    blank->height = m_video->height;
    blank->format = AV_PIX_FMT_YUV420P;
    bool sent = false;
    if (av_frame_get_buffer(blank, 0) >= 0) {
        const ptrdiff_t linesizes[4] = {blank->linesize[0], blank->linesize[1], blank->linesize[2],
                                        0};
        // Black in the encoder's limited range.
        if (av_image_fill_black(blank->data, linesizes, AV_PIX_FMT_YUV420P, AVCOL_RANGE_MPEG,
                                blank->width, blank->height) >= 0) {
            blank->pts = 0;
            sent = SendVideo(blank);
        }
    }
    av_frame_free(&blank);
    if (sent) {
        ++m_videoFrames;
    }
    return sent;
}

bool RecordingFile::Finish() {
    if (!m_headerWritten) {
        Release();
        return false;
    }
    // A recording that ended before its first picture (the camera left
    // right after the start) still gets one, so that its picture track is
    // not empty: players refuse a track without a single picture.
    if (m_videoFrames == 0 && !m_writeFailed) {
        WriteBlankPicture();
    }
    // What the microphone gave last goes out as a short final frame; then
    // each encoder gives up the pictures and sound it still holds.
    if (m_audio != nullptr) {
        FillSoundToPictureEnd();
        EncodeWaitingSound(1);
        SendAudio(nullptr);
    }
    SendVideo(nullptr);
    const bool complete = WriteTrailerAndClose(m_output, !m_writeFailed);
    m_finished.complete = complete;
    m_finished.fragmentedBytes = OutputFileSize(m_path);
    // Also after a failed write: the finish trims what was cut off, and
    // indexes everything whole before it.
    FinishInPlace();
    m_finished.bytes = OutputFileSize(m_path);
    Release();
    return complete;
}
