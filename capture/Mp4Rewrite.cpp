#include "capture/Mp4Rewrite.h"

#include <windows.h>

#include <cstdio>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

namespace {

// FFmpeg opens files by UTF-8 name and falls back to the ANSI code page;
// the rename must name the same files.
std::wstring WideName(const std::string& path) {
    for (const UINT codePage : {static_cast<UINT>(CP_UTF8), static_cast<UINT>(CP_ACP)}) {
        const DWORD flags = codePage == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
        const int length = ::MultiByteToWideChar(codePage, flags, path.c_str(), -1, nullptr, 0);
        if (length > 0) {
            std::wstring wide(static_cast<size_t>(length), L'\0');
            ::MultiByteToWideChar(codePage, flags, path.c_str(), -1, &wide[0], length);
            wide.resize(static_cast<size_t>(length - 1));
            return wide;
        }
    }
    return std::wstring();
}

int64_t FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        return 0;
    }
    return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Copies every packet of input into a new ordinary MP4 at path, its index
// moved to the front. True when the copy is complete on disk.
bool CopyPackets(AVFormatContext* input, const std::string& path) {
    AVFormatContext* output = nullptr;
    if (avformat_alloc_output_context2(&output, nullptr, "mp4", path.c_str()) < 0 ||
        output == nullptr) {
        return false;
    }
    bool ok = true;
    for (unsigned i = 0; ok && i < input->nb_streams; ++i) {
        AVStream* stream = avformat_new_stream(output, nullptr);
        ok = stream != nullptr &&
             avcodec_parameters_copy(stream->codecpar, input->streams[i]->codecpar) >= 0;
        if (ok) {
            stream->codecpar->codec_tag = 0;
            stream->time_base = input->streams[i]->time_base;
        }
    }
    ok = ok && avio_open(&output->pb, path.c_str(), AVIO_FLAG_WRITE) >= 0;
    bool headerWritten = false;
    if (ok) {
        AVDictionary* options = nullptr;
        av_dict_set(&options, "movflags", "+faststart", 0);
        headerWritten = avformat_write_header(output, &options) >= 0;
        av_dict_free(&options);
        ok = headerWritten;
    }
    AVPacket* packet = ok ? av_packet_alloc() : nullptr;
    ok = ok && packet != nullptr;
    while (ok) {
        const int read = av_read_frame(input, packet);
        if (read == AVERROR_EOF) {
            break;
        }
        if (read < 0) {
            ok = false;
            break;
        }
        const int index = packet->stream_index;
        if (index >= 0 && static_cast<unsigned>(index) < output->nb_streams) {
            av_packet_rescale_ts(packet, input->streams[index]->time_base,
                                 output->streams[index]->time_base);
            ok = av_interleaved_write_frame(output, packet) >= 0;
        }
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    if (headerWritten) {
        ok = av_write_trailer(output) >= 0 && ok;
    }
    if (output->pb != nullptr) {
        ok = ok && output->pb->error >= 0;
        ok = avio_closep(&output->pb) >= 0 && ok;
    }
    avformat_free_context(output);
    return ok;
}

} // namespace

std::string RewriteTempPath(const std::string& path) {
    return path + ".rewrite";
}

Mp4RewriteResult RewriteAsOrdinaryMp4(const std::string& path) {
    Mp4RewriteResult result;
    const std::wstring original = WideName(path);
    const std::string tempPath = RewriteTempPath(path);
    const std::wstring temp = WideName(tempPath);
    if (original.empty() || temp.empty()) {
        return result;
    }
    result.bytesBefore = FileSize(original);
    AVFormatContext* input = nullptr;
    if (avformat_open_input(&input, path.c_str(), nullptr, nullptr) < 0) {
        return result;
    }
    const bool copied = CopyPackets(input, tempPath);
    // Closed before the rename: an open file cannot be replaced on Windows.
    avformat_close_input(&input);
    if (copied && ::MoveFileExW(temp.c_str(), original.c_str(),
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        result.rewritten = true;
        result.bytesAfter = FileSize(original);
        return result;
    }
    ::DeleteFileW(temp.c_str());
    return result;
}
