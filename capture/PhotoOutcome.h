// PhotoOutcome: what became of a photo the user asked for, for the window to
// tell: written (and where), or not (and why).
#pragma once

#include <string>

#include "capture/OutputProblem.h"

struct PhotoOutcome {
    enum class Result { None, Written, NotWritten };
    Result result = Result::None;
    // Why it was not written; None when neither the folder nor the disk is
    // to blame (the encoder refused the picture).
    OutputProblem problem = OutputProblem::None;
    // The file written or tried.
    std::string path;
};
