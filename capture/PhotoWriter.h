// PhotoWriter: a JPEG photo. The file is made when the photo is asked for,
// so that a second photo in the same second gets a name of its own; the
// next decoded camera picture is encoded into it at that picture's own size,
// stretched to the full range JPEG viewers expect, and the file is closed.
#pragma once

#include <string>

struct AVFrame;
struct AVIOContext;

class PhotoWriter {
public:
    PhotoWriter() = default;
    // An unwritten photo's empty file is removed.
    ~PhotoWriter();
    PhotoWriter(const PhotoWriter&) = delete;
    PhotoWriter& operator=(const PhotoWriter&) = delete;

    // Creates the file. An earlier photo still waiting for its picture is
    // given up first (its empty file removed). False when the file cannot
    // be created.
    bool Prepare(const std::string& path);
    bool Pending() const { return m_file != nullptr; }
    // Encodes a planar 4:2:0 video-range picture into the waiting file and
    // closes it. False, with the empty file removed, when encoding or
    // writing fails.
    bool Write(const AVFrame* picture);
    // Gives up a waiting photo, removing its empty file.
    void Cancel();

private:
    AVIOContext* m_file = nullptr;
    std::string m_path;
};
