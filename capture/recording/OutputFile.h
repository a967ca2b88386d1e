// OutputFile: the files the program writes (recordings, their ordinary
// copies, photos). Paths are UTF-8 throughout and reach Windows through the
// wide API, so a Videos folder named in letters the ANSI code page cannot
// hold works like any other; FFmpeg takes the same UTF-8 names. Writes go
// through an FFmpeg I/O context of our own, written behind on a thread of
// its own (WriteBehindFile.h), so that a disk that stalls for a moment
// holds up no encoder and a failed write (a full disk, a removed drive) is
// seen at the next write or at the close.
#pragma once

#include <cstdint>
#include <string>

#include "capture/OutputProblem.h"
#include "capture/recording/FilePaths.h"
#include "capture/recording/OutputDisk.h"

struct AVIOContext;
class Mp4HeaderCopy;

// Creates a new file and answers an I/O context that writes and seeks in it;
// null when it cannot be created. A file that is there (another copy of the
// program recording in the same second, another program's file) is never
// opened: the next free name of the naming rule is taken (NextOutputPath),
// and path becomes the name created. While it is open, others may only
// read it. Every write is also shown to headers, when given, and passes the
// hooks of disk (both must outlive the context). *problem, when given,
// tells why it failed.
AVIOContext* CreateOutputFile(std::string& path, Mp4HeaderCopy* headers = nullptr,
                              OutputDisk& disk = *RealOutputDisk(),
                              OutputProblem* problem = nullptr);
// Flushes and closes the file and frees the context; *file becomes null,
// so a second call does nothing. True when every byte written reached the
// file; else *problem, when given, tells why not.
bool CloseOutputFile(AVIOContext** file, OutputProblem* problem = nullptr);

// Whether a new file could be created now at path or, when that is taken,
// at the next free name, which path then becomes; leaves nothing behind and
// opens no file that is there. *problem, when given, tells why not.
bool CanCreateOutputFile(std::string& path, OutputProblem* problem = nullptr);
bool DeleteOutputFile(const std::string& path);
bool OutputFileExists(const std::string& path);
int64_t OutputFileSize(const std::string& path);
