// Why a recording has no sound from its microphone, for the window to say.
// Free of Windows headers; HRESULTs are plain 32-bit values here.
#pragma once

#include <cstdint>

enum class MicrophoneProblem {
    None,   // the microphone records (or no recording runs, or there is none)
    Denied, // Windows' privacy settings keep programs from the microphone
    InUse,  // another program holds it
    Lost,   // it stopped delivering during the recording (pulled out)
    Failed, // it would not open for another reason
};

// The problem a microphone that refused to start with that HRESULT has.
MicrophoneProblem ProblemOfStartFailure(int32_t hresult);
