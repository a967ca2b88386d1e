// Builds the movie box ("moov") of an ordinary MP4 for the samples of a
// fragmented one, pointing at the media data where it already lies. Every
// box of the fragmented file's movie box is kept (sample descriptions,
// handlers, edit lists, user data) except "mvex"; the sample tables are
// filled and the durations set. Free of Windows and FFmpeg headers.
#pragma once

#include <cstdint>
#include <vector>

#include "capture/mp4/FragmentedMp4Index.h"

// False when the movie box cannot be rebuilt (a field out of range).
bool BuildOrdinaryMovieBox(const FragmentedMp4& file, std::vector<uint8_t>& out);
