// The moving test picture: colour bars, a stripe that travels across the lower part and the
// frame number in large digits, drawn into planar 4:2:0 or 4:2:2 images; and the camera's
// picture made from it, with the noise of a sensor and a view that drifts.
#pragma once

#include <cstdint>
#include <vector>

namespace TestDevices {

struct PlanarImage {
    uint8_t* planes[3];
    int strides[3];
    int width;
    int height;
    int chromaRowShift = 1; // 1: 4:2:0 (half as many chroma rows), 0: 4:2:2
};

// Noise levels: the standard deviation of the luma noise in 8-bit steps. A webcam in an
// ordinary room shows about this much; at 1920x1080 and 30 fps it fills a 4 Mbit/s H.264
// recording, as a real camera's picture does.
constexpr int kWebcamNoiseLevel = 3;
constexpr int kMaxNoiseLevel = 32;

// What a sensor adds to every picture: Gaussian noise of the level's standard deviation on
// luma and half of it on chroma, new in every picture and every row, clipped to 0-255. Rows
// are cut from two fields drawn once, at offsets that a picture's number and the row choose,
// so that a 1920x1080 picture costs a few additions per byte and no random draw.
class SensorNoise {
public:
    explicit SensorNoise(int level); // clamped to 0..kMaxNoiseLevel
    int Level() const { return level_; }
    void Add(const PlanarImage& image, uint64_t frameNumber) const;

private:
    int level_ = 0;
    std::vector<int8_t> luma_;
    std::vector<int8_t> chroma_;
};

// The camera's picture number frameNumber: at level 0 the still colour bars with the frame
// marks, as always; above it the bars drift as a hand-held view does (a few pixels a
// picture) and the noise is added.
// fullRange: JPEG levels (0-255) instead of video levels (16-235).
void DrawCameraPicture(const PlanarImage& image, uint64_t frameNumber, bool fullRange,
                       const SensorNoise& noise);

} // namespace TestDevices
