// OutputFolder: where photos and videos go ("OrvanaCapture" in the user's
// Videos folder) and the full path of a new file there. Paths are UTF-8
// (see OutputFile.h).
#pragma once

#include <windows.h>

#include <string>

// True when base + "/" + name is a directory or could be created now. Only
// that last level is created.
bool EnsureFolder(const std::string& base, const char* name);

// The Videos folder (not created when missing; the current directory when
// the shell has none) with "\OrvanaCapture" appended when that folder exists
// or could be made, else the base folder itself. *made tells which.
std::string OutputFolder(HWND window, bool* made = nullptr);

// Deletes the ordinary copies that a recording cut off while it was copied
// left in folder: "<name>.mp4.tmp" beside its "<name>.mp4", named as the
// program names recordings. Nothing else goes, whatever its name: the
// folder may be the user's Videos folder itself. A file another program
// still has open stays.
void RemoveLeftoverCopies(const std::string& folder);

// A new file in the output folder named after the local time, with
// extension ".jpg" or ".mp4"; never the name of a file that exists.
std::string NewOutputFilePath(HWND window, const char* extension);
