// PhotoWriter: a JPEG photo. When the photo is asked for, its file is only
// tried (CanCreateOutputFile), so that a photo whose picture never comes
// leaves nothing behind; the next decoded camera picture is encoded at its
// own size, stretched to the full range JPEG viewers expect, and only then
// written to the file, which is removed again when the write fails.
#pragma once

#include <memory>
#include <string>

#include "capture/OutputProblem.h"
#include "capture/recording/OutputDisk.h"

struct AVFrame;

class PhotoWriter {
public:
    PhotoWriter() = default;
    ~PhotoWriter() = default;
    PhotoWriter(const PhotoWriter&) = delete;
    PhotoWriter& operator=(const PhotoWriter&) = delete;

    // Tries the file and keeps its name (the next free one when path is
    // taken) and the disk it is written on; an earlier photo still waiting
    // for its picture is given up. False when the file cannot be created
    // (Problem tells why).
    bool Prepare(const std::string& path, std::shared_ptr<OutputDisk> disk = RealOutputDisk());
    bool Pending() const { return !m_path.empty(); }
    // Encodes a planar 4:2:0 video-range picture into the waiting photo's
    // file. False, with no file left, when encoding or writing fails.
    bool Write(const AVFrame* picture);
    // Gives up a waiting photo.
    void Cancel() { m_path.clear(); }

    // Of the last Prepare or Write: the file written (or tried), and why it
    // could not be, as far as the folder or the disk is to blame.
    const std::string& LastPath() const { return m_lastPath; }
    OutputProblem Problem() const { return m_problem; }

private:
    std::string m_path;
    std::shared_ptr<OutputDisk> m_disk;
    std::string m_lastPath;
    OutputProblem m_problem = OutputProblem::None;
};
