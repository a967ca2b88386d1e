// FolderOpening: the open-folder button's action: the output folder, made
// when missing, opened in the file explorer.
#pragma once

#include <windows.h>

#include "capture/OutputProblem.h"

// None when the explorer was started on the folder; else why not: the folder
// could not be made or reached (FolderDenied, FolderUnreachable), or the
// explorer did not start (WriteFailed).
OutputProblem OpenOutputFolderInExplorer(HWND owner);
