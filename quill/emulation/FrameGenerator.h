// Makes the test-pattern frames of an emulated camera.
//
// The picture is a set of colour bars scrolling 8 pixels to the left per
// frame, in eight horizontal bands of different strength, with the frame
// number stamped in black and white blocks (quill/TestPattern.h). Every row
// of a band is the same apart from the scroll, so the rows are prepared once
// per format, size and brightness, in the target format and wide enough for
// every scroll position; a frame is then one row copy per row plus the
// stamps, which keeps the cost near that of copying the frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "quill/TestPattern.h"
#include "quill/emulation/PixelFormatTable.h"

namespace Quill {
namespace Emulation {

class FrameGenerator {
  public:
    // Prepares the rows; does nothing when format, size and brightness are unchanged.
    // Width must be a multiple of the format's pixel alignment.
    void Configure(const PixelFormatInfo& format, int width, int height, double brightness);

    size_t ImageSize() const { return rowBytes_ * size_t(height_); }
    // Writes ImageSize() bytes of frame frameNumber.
    void Render(uint8_t* destination, uint64_t frameNumber) const;

  private:
    struct Rgb {
        int red;
        int green;
        int blue;
    };

    void BuildLines();
    void BuildStamps();
    Rgb SceneColour(int x, int band) const;
    void EncodeLine(const std::vector<Rgb>& colours, int parity, uint8_t* out) const;
    void EncodeFlat(int level, int pixels, uint8_t* out) const;

    const PixelFormatInfo* format_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    double brightness_ = -1.0;
    size_t rowBytes_ = 0;
    size_t lineBytes_ = 0;
    std::vector<uint8_t> lines_;     // per band and row parity, lineBytes_ each
    std::vector<uint32_t> rowLine_;  // line index of each row
    std::vector<uint8_t> black_;     // one row of one block
    std::vector<uint8_t> white_;
    Pattern::StripLayout layout_;
};

}  // namespace Emulation
}  // namespace Quill
