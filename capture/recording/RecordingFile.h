// RecordingFile: one MP4 file being recorded: an H.264 video stream, an AAC
// sound stream when the recording has sound, and the muxer that interleaves
// them. Pictures and sound are placed by the wall clock (RecordingClock.h),
// so the file lasts as long as the recording did whatever the camera's real
// frame rate was. Used by one thread at a time (the pipeline serialises).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "capture/OutputProblem.h"
#include "capture/mp4/Mp4HeaderCopy.h"
#include "capture/mp4/Mp4InPlaceFinisher.h"
#include "capture/recording/OutputDisk.h"
#include "capture/recording/RecordingClock.h"
#include "capture/recording/RecordingJournal.h"

struct AVAudioFifo;
struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct AVStream;
struct SwsContext;

// What became of a stopped recording's file: written as fragments while it
// ran (a killed program leaves a playable file), then finished in place
// into an ordinary MP4, which every player and editor opens.
struct FinishedRecording {
    bool complete = false;       // everything recorded reached the file
    bool ordinary = false;       // it is now an ordinary MP4
    int64_t fragmentedBytes = 0; // before the finish
    int64_t bytes = 0;           // after it
    int64_t finishMicros = 0;    // the finish in place alone
    Mp4FinishResult inPlace;     // what the finish in place reported
};

// Sample rate, channel count and FFmpeg sample format (an AVSampleFormat).
struct SoundFormat {
    int sampleRate = 0;
    int channels = 0;
    int sampleFormat = -1;
};

class RecordingFile {
public:
    // Writes on disk: its free space, its limit, the journal, the finish.
    explicit RecordingFile(std::shared_ptr<OutputDisk> disk = RealOutputDisk());
    // Drops whatever is open without finishing the file.
    ~RecordingFile();
    RecordingFile(const RecordingFile&) = delete;
    RecordingFile& operator=(const RecordingFile&) = delete;

    // Creates the file with a width x height video stream and, when sound is
    // given, a sound stream for its rate and channels; enters it in the
    // journal of recordings under way, marks it as the entry's and writes
    // the header.
    // False when anything fails, the file could not be created or its disk
    // has less than ReserveBytes free included: then nothing stays open and
    // no partial file is left behind. A file that is at path already is never
    // touched: the recording takes the next free name (Path() tells it).
    bool Open(const std::string& path, int width, int height, int frameRate,
              const SoundFormat* sound);
    // Creates the file at path as Open would, for the size, rate and sound
    // model was opened with: the next file of a recording.
    bool OpenLike(const RecordingFile& model, const std::string& path);
    // Sets the MonotonicMicros that is time 0 of the file; pictures and
    // sound from before it are left out.
    void Begin(int64_t startUs) { m_startUs = startUs; }
    int64_t StartMicros() const { return m_startUs; }
    // Sets the MonotonicMicros where the file's sound ends: sound captured
    // after it is left out (the next file has it).
    void EndSoundAt(int64_t endUs) { m_soundEndUs = endUs; }

    bool HasSound() const { return m_audio != nullptr; }
    // The format sound frames must be handed in: the encoder's own.
    SoundFormat EncoderSound() const;

    // Encodes one planar 4:2:0 picture that arrived at arrivalUs; a picture
    // of another size than the recording's is scaled to it. False when the
    // picture is not taken (from before the start, or the encoder failed).
    bool WriteVideo(const AVFrame* picture, int64_t arrivalUs);
    // Adds a frame of sound in EncoderSound() format whose last sample was
    // captured at readUs; encodes every whole encoder frame it completes.
    bool WriteAudio(const AVFrame* sound, int64_t readUs);

    // For benchmarks: writes one packet as the video (or sound) encoder
    // would give it, its times in that encoder's time base, so that a long
    // recording is made as fast as the disk takes it. False when not written.
    bool WriteEncodedPacket(bool video, const uint8_t* data, int size, int64_t pts, bool key);

    // Drains both encoders into the file (sound that ends just before the
    // last picture does is filled up with silence to end with it), writes
    // the trailer and closes it; then finishes it in place into an ordinary
    // MP4 (no media byte copied).
    // True when the file is complete on disk, ordinary or, when the finish
    // in place failed, fragmented (the next start repairs it).
    bool Finish();
    // Whether a write to the file failed (a full disk, a drive pulled out):
    // nothing after it reaches the file, so the recording must end.
    bool WriteFailed() const { return m_writeFailed; }
    // Why the last Open failed, or why the write failed, as far as the
    // folder or the disk is to blame; None for other causes (an encoder).
    OutputProblem Problem() const { return m_problem; }
    // The free space below which a recording ends before the disk is full:
    // what about 10 s of it need, at least 64 MB.
    int64_t ReserveBytes() const;
    const std::string& Path() const { return m_path; }
    const std::shared_ptr<OutputDisk>& Disk() const { return m_disk; }
    // How long the file would be, at most, finished now: the media muxed so
    // far, its fragment headers, the trailer and the index the finish adds.
    int64_t BytesAtFinish() const;
    // The MonotonicMicros where the last picture written ends (one nominal
    // frame period after it); 0 before the first.
    int64_t PictureEndMicros() const;
    // Bytes of the packets muxed so far.
    int64_t MediaBytes() const { return m_muxedBytes; }
    // The largest packet muxed so far: what one more picture may add.
    int64_t LargestPacketBytes() const { return m_largestPacket; }

    // What the last Finish left.
    const FinishedRecording& Finished() const { return m_finished; }
    // Frees everything (safe to call twice); the file is not finished.
    void Release();
    // Frees everything and removes the file: opened, never begun.
    void Discard();

    // The threads x264 encodes each picture on: the machine's cores, 1 to 4.
    static int VideoEncoderThreads();

    // Pictures and encoder frames of sound written so far.
    int64_t VideoFrames() const { return m_videoFrames; }
    int64_t AudioFrames() const { return m_audioFrames; }

private:
    bool AddVideoStream(int width, int height, int frameRate);
    bool AddAudioStream(const SoundFormat& sound);
    bool SendVideo(const AVFrame* frame);
    bool WriteBlankPicture();
    bool SendAudio(AVFrame* frame);
    bool DrainEncoder(AVCodecContext* encoder, AVStream* stream);
    // Writes m_packet, stamped in the encoder's time base, into the file.
    bool MuxPacket(AVCodecContext* encoder, AVStream* stream);
    void FinishInPlace();
    bool EncodeWaitingSound(int minimum);
    void FillSoundToPictureEnd();
    const AVFrame* FitPicture(const AVFrame* picture);

    std::shared_ptr<OutputDisk> m_disk;
    std::string m_path;
    AVFormatContext* m_output = nullptr; // the fragmented file
    AVCodecContext* m_video = nullptr;
    AVStream* m_videoStream = nullptr;
    AVCodecContext* m_audio = nullptr;
    AVStream* m_audioStream = nullptr;
    AVPacket* m_packet = nullptr;
    AVFrame* m_shallow = nullptr; // the caller's picture, referenced
    AVFrame* m_scaled = nullptr;  // a picture of another size, scaled
    SwsContext* m_scaler = nullptr;
    AVAudioFifo* m_fifo = nullptr;
    AVFrame* m_soundFrame = nullptr; // one encoder frame of sound
    int64_t m_startUs = 0;
    static constexpr int64_t kNoSoundEnd = INT64_MAX;
    int64_t m_soundEndUs = kNoSoundEnd;
    // What Open was given, for OpenLike.
    int m_width = 0;
    int m_height = 0;
    int m_frameRate = 0;
    bool m_withSound = false;
    SoundFormat m_soundAsked;
    // For BytesAtFinish: the header, the packets muxed and their key pictures.
    int64_t m_headerBytes = 0;
    int64_t m_muxedBytes = 0;
    int64_t m_largestPacket = 0;
    int64_t m_keyPictures = 0;
    int64_t m_videoFrameTicks = 0; // one nominal frame period in the video time base
    VideoTimeline m_videoTimeline{90000};
    AudioTimeline m_audioTimeline{48000, 0};
    int64_t m_videoFrames = 0;
    int64_t m_audioFrames = 0;
    bool m_headerWritten = false;
    bool m_writeFailed = false;
    OutputProblem m_problem = OutputProblem::None;
    FinishedRecording m_finished;
    // What the finish reads back, copied as it is written.
    Mp4HeaderCopy m_headers;
    // The recording's entry in the journal of recordings under way.
    RecordingJournalHold m_journal;
};
