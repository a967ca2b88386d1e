// Finishing a recording in place through a Windows file handle, in the
// 32-bit program's own build: a recording that the host's ffmpeg writes the
// way our recorder does, spread past 4 GiB (a sparse hole after its first
// fragment), finished and read back with the host's ffprobe.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capture/mp4/Mp4InPlaceFinisher.h"
#include "capture/recording/Win32RandomAccessFile.h"
#include "tests/Mp4TestLayout.h"
#include "tests/win32/MediaProbe.h"

namespace {

std::wstring Wide(const std::string& path) {
    return std::wstring(path.begin(), path.end());
}

std::string Packets(const std::string& name) {
    return MediaProbe::Run("ffprobe -v error -show_data_hash MD5 -show_entries "
                           "packet=stream_index,pts,dts,size,flags,data_hash -of csv " +
                           MediaProbe::UnixPath(name));
}

TEST(InPlaceFinishTest, RecordingPastFourGibibytesThroughAWindowsHandle) {
    MediaProbe::Run("ffmpeg -v error -y -f lavfi -i testsrc=size=320x240:rate=30 -f lavfi -i "
                    "sine=frequency=440:sample_rate=48000 -c:a aac -t 1 -c:v libx264 -g 12 "
                    "-preset superfast -bf 0 -tune zerolatency -video_track_timescale 90000 "
                    "-movflags frag_keyframe+empty_moov+default_base_moof " +
                    MediaProbe::UnixPath("recording.mp4"));
    const std::string recording = TestSupport::WholeFile(MediaProbe::WindowsPath("recording.mp4"));
    const Mp4TestLayout::SpreadRecording spread = Mp4TestLayout::SpreadPast(
        std::vector<uint8_t>(recording.begin(), recording.end()), 4500000000ull);
    ASSERT_FALSE(spread.rest.empty()) << "the host's ffmpeg made no recording";

    const std::string path = MediaProbe::WindowsPath("spread.mp4");
    ::CloseHandle(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    {
        Win32RandomAccessFile file(Wide(path));
        ASSERT_TRUE(file.IsOpen());
        ASSERT_TRUE(file.WriteAt(0, spread.head.data(), spread.head.size()));
        ASSERT_TRUE(file.WriteAt(spread.restOffset, spread.rest.data(), spread.rest.size()));
    }
    // Every packet is where the writes put it, past 4 GiB too.
    const std::string packets = Packets("spread.mp4");
    ASSERT_NE(packets.find("packet,1,"), std::string::npos) << packets;
    ASSERT_EQ(packets, Packets("recording.mp4"));

    uint64_t before = 0;
    Mp4FinishResult result;
    {
        Win32RandomAccessFile file(Wide(path));
        ASSERT_TRUE(file.Size(before));
        result = FinishFragmentedMp4(file);
    }
    EXPECT_EQ(result.outcome, Mp4FinishOutcome::Finished);
    EXPECT_EQ(Packets("spread.mp4"), packets);
    EXPECT_EQ(MediaProbe::Run("ffprobe -v trace " + MediaProbe::UnixPath("spread.mp4") +
                              " 2>&1 | grep -c \"type:'moof'\""),
              "0\n");
    {
        Win32RandomAccessFile file(Wide(path));
        uint64_t after = 0;
        ASSERT_TRUE(file.Size(after));
        EXPECT_EQ(after, before - result.bytesTrimmed + result.bytesAdded);
        EXPECT_EQ(FinishFragmentedMp4(file).outcome, Mp4FinishOutcome::AlreadyOrdinary);
    }
    MediaProbe::RemoveAll();
}

} // namespace
