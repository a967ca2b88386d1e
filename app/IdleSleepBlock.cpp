#include "app/IdleSleepBlock.h"

#include <windows.h>

IdleSleepBlock::~IdleSleepBlock() {
    Follow(false);
}

void IdleSleepBlock::Follow(bool recording) {
    if (recording == m_held) {
        return;
    }
    // Only the system: the display may still turn off during a long recording.
    ::SetThreadExecutionState(recording ? ES_CONTINUOUS | ES_SYSTEM_REQUIRED : ES_CONTINUOUS);
    m_held = recording;
}
