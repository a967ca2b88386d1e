// OutputFolder: where photos and videos go ("OrvanaCapture" in the user's
// Videos folder) and the full path of a new file there. Paths are UTF-8
// (see OutputFile.h).
#pragma once

#include <windows.h>

#include <string>

#include "capture/OutputProblem.h"

// True when base + "/" + name is a directory or could be created now. Only
// that last level is created.
bool EnsureFolder(const std::string& base, const char* name);

// The Videos folder (not created when missing; the current directory when
// the shell has none) with "\OrvanaCapture" appended when that folder exists
// or could be made, else the base folder itself. *made tells which, and
// *problem why it could not be made. Without create, "OrvanaCapture" is only
// looked for, not made.
std::string OutputFolder(HWND window, bool* made = nullptr, bool create = true,
                         OutputProblem* problem = nullptr);

// A new file in the output folder named after the local time, with
// extension ".jpg" or ".mp4"; never the name of a file that exists.
std::string NewOutputFilePath(HWND window, const char* extension);
// The same in a given folder.
std::string NewOutputFilePathIn(const std::string& folder, const char* extension);
