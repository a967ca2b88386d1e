// Disks and volumes ruder than the test machine's, for tests: a disk whose
// writes stall now and then (antivirus scans, USB sticks, network folders,
// flash cleaning up), and a volume whose files cannot grow past a size (as
// FAT32's 4 GiB - 1). The recording's file writes and the finish in place
// go through these; both are off unless a test sets them.
#pragma once

#include <cstdint>

// Every everyMs, writes and flushes wait stallMs before they reach the disk
// (counted from this call); 0 for either turns it off.
void SimulateStallingDisk(unsigned stallMs, unsigned everyMs);
// Waits out a stall in progress; at once when none is.
void WaitOutSimulatedStall();

// No file may grow past limitBytes, and the volume says so; -1 turns it off.
void SimulateFileSizeLimit(int64_t limitBytes);
// The limit set, or -1.
int64_t SimulatedFileSizeLimit();
// Whether a file may reach endBytes on the simulated volume.
bool FitsSimulatedFileSizeLimit(uint64_t endBytes);

// A flush of a recording's file reached the disk; the longest time between
// two of them (or since the last one), from SimulateStallingDisk on: what a
// power cut could have lost.
void NoteSimulatedFlush();
int64_t LongestSimulatedFlushGapMicros();
