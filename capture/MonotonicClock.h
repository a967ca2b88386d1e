// The one clock that stamps camera samples, microphone frames and the start
// of a recording, so that picture and sound share a timeline: microphone
// and camera threads read it, never the wall-clock date.
#pragma once

#include <cstdint>

// Microseconds from an arbitrary point; never goes back.
int64_t MonotonicMicros();
