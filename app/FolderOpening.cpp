#include "app/FolderOpening.h"

#include <shellapi.h>

#include <string>

#include "capture/OutputFolder.h"
#include "capture/recording/OutputFile.h"

OutputProblem OpenOutputFolderInExplorer(HWND owner) {
    bool made = false;
    OutputProblem problem = OutputProblem::None;
    const std::string folder = OutputFolder(owner, &made, true, &problem);
    if (!made) {
        return problem;
    }
    const HINSTANCE started = ::ShellExecuteW(nullptr, L"open", L"explorer.exe",
                                              WidePath(folder).c_str(), nullptr, SW_SHOW);
    // Its answer is a number above 32 when the explorer started.
    return reinterpret_cast<INT_PTR>(started) > 32 ? OutputProblem::None
                                                   : OutputProblem::WriteFailed;
}
