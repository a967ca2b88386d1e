// OutputFolder: where photos and videos go ("OrvanaCapture" in the user's
// Videos folder) and the full path of a new file there.
#pragma once

#include <windows.h>

#include <string>

// True when base + "/" + name is a directory or could be created now. Only
// that last level is created.
bool EnsureFolder(const char* base, const char* name);

// The Videos folder (not created when missing; the current directory when
// the shell has none) with "\OrvanaCapture" appended when that folder exists
// or could be made, else the base folder itself. *made tells which.
std::string OutputFolder(HWND window, bool* made = nullptr);

// Deletes the files in folder whose names match pattern ("*.mp4.tmp"); a
// file another program still has open stays.
void RemoveFiles(const std::string& folder, const char* pattern);

// A new file in the output folder named after the local time, with
// extension ".jpg" or ".mp4"; never the name of a file that exists.
std::string NewOutputFilePath(HWND window, const char* extension);
