// Mp4Rewrite: turns a finished fragmented MP4 (what a recording writes while
// it runs, so that a killed program still leaves a playable file) into an
// ordinary MP4 with one index at the front, which every player and editor
// opens. The streams are copied, not encoded again.
#pragma once

#include <cstdint>
#include <string>

struct Mp4RewriteResult {
    bool rewritten = false;
    int64_t bytesBefore = 0; // the fragmented file
    int64_t bytesAfter = 0;  // the ordinary file (0 when not rewritten)
};

// Copies the file at path into path + ".rewrite" as an ordinary MP4 and then
// puts the copy in the original's place in one step. When anything fails the
// fragmented original is left as it was (and the copy removed), so an
// interruption at any point never loses the recording.
Mp4RewriteResult RewriteAsOrdinaryMp4(const std::string& path);

// The name the copy is written under until it replaces the original.
std::string RewriteTempPath(const std::string& path);
