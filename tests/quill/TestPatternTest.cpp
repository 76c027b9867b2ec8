// The frame-number strips: where they lie, and that the number survives the
// conversions the filter applies to camera pictures.
#include <algorithm>
#include <cmath>

#include "QuillTestSupport.h"

namespace QuillTest {
namespace {

using namespace Quill;
using Pattern::StripLayout;

int Clamp(double value) {
    return int(std::min(255.0, std::max(0.0, std::floor(value + 0.5))));
}

// An RGB picture, as a converted frame would be.
struct RgbPicture {
    int width;
    int height;
    std::vector<int> rgb;  // 3 per pixel

    int Luma(int x, int y) const {
        const int* pixel = &rgb[size_t(3 * (y * width + x))];
        return Clamp(0.299 * pixel[0] + 0.587 * pixel[1] + 0.114 * pixel[2]);
    }
    Pattern::LumaSampler Sampler() const {
        return [this](int x, int y) { return Luma(x, y); };
    }
};

// Bilinear demosaic of an RGGB mosaic, edges clamped.
RgbPicture DemosaicRggb(const uint8_t* raw, int width, int height) {
    RgbPicture picture{width, height, std::vector<int>(size_t(width * height * 3))};
    auto at = [&](int x, int y) {
        x = std::min(width - 1, std::max(0, x));
        y = std::min(height - 1, std::max(0, y));
        return int(raw[y * width + x]);
    };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int cross = (at(x - 1, y) + at(x + 1, y) + at(x, y - 1) + at(x, y + 1)) / 4;
            const int diagonal =
                (at(x - 1, y - 1) + at(x + 1, y - 1) + at(x - 1, y + 1) + at(x + 1, y + 1)) / 4;
            const int horizontal = (at(x - 1, y) + at(x + 1, y)) / 2;
            const int vertical = (at(x, y - 1) + at(x, y + 1)) / 2;
            int* pixel = &picture.rgb[size_t(3 * (y * width + x))];
            const bool evenRow = (y & 1) == 0;
            const bool evenColumn = (x & 1) == 0;
            if (evenRow && evenColumn) {
                pixel[0] = at(x, y), pixel[1] = cross, pixel[2] = diagonal;
            } else if (!evenRow && !evenColumn) {
                pixel[0] = diagonal, pixel[1] = cross, pixel[2] = at(x, y);
            } else if (evenRow) {
                pixel[0] = horizontal, pixel[1] = at(x, y), pixel[2] = vertical;
            } else {
                pixel[0] = vertical, pixel[1] = at(x, y), pixel[2] = horizontal;
            }
        }
    }
    return picture;
}

// UYVY to 4:2:0 (chroma averaged over 2 x 2) and on to RGB, as a chain of conversions would.
RgbPicture Uyvy420ToRgb(const uint8_t* uyvy, int width, int height) {
    RgbPicture picture{width, height, std::vector<int>(size_t(width * height * 3))};
    for (int y = 0; y < height; ++y) {
        const int pairRow = y & ~1;
        for (int x = 0; x < width; ++x) {
            const uint8_t* top = uyvy + size_t(pairRow * width * 2 + (x & ~1) * 2);
            const uint8_t* bottom = top + width * 2;
            const double u = (top[0] + bottom[0]) / 2.0 - 128.0;
            const double v = (top[2] + bottom[2]) / 2.0 - 128.0;
            const double luma = 1.164 * (uyvy[size_t(y * width * 2 + x * 2 + 1)] - 16);
            int* pixel = &picture.rgb[size_t(3 * (y * width + x))];
            pixel[0] = Clamp(luma + 1.596 * v);
            pixel[1] = Clamp(luma - 0.392 * u - 0.813 * v);
            pixel[2] = Clamp(luma + 2.017 * u);
        }
    }
    return picture;
}

TEST(PatternLayoutTest, StripsLieInsideEveryStandardSize) {
    const int sizes[][2] = {{40, 30},     {80, 60},     {160, 120},   {320, 240},  {640, 480},
                            {720, 480},   {720, 576},   {800, 600},   {1024, 768}, {1280, 960},
                            {1600, 1200}, {1920, 1080}, {1920, 1200}, {32, 28}};
    for (const auto& size : sizes) {
        const int width = size[0];
        const int height = size[1];
        const StripLayout layout = Pattern::ComputeStripLayout(width, height);
        ASSERT_TRUE(layout.valid) << width << "x" << height;
        EXPECT_EQ(Pattern::kFrameNumberBits, layout.columns * layout.rows);
        EXPECT_EQ(0, layout.blockWidth % 8);
        EXPECT_EQ(0, layout.left % 8);
        EXPECT_GE(layout.blockHeight, 3);
        EXPECT_LE(layout.left + layout.columns * layout.blockWidth, width);
        // The top strip ends in the upper half, the bottom one starts in the lower half.
        EXPECT_LE(layout.top[0] + layout.rows * layout.blockHeight, height / 2);
        EXPECT_GE(layout.top[1], height / 2);
        EXPECT_LE(layout.top[1] + layout.rows * layout.blockHeight, height);
    }
    EXPECT_FALSE(Pattern::ComputeStripLayout(16, 16).valid);
    EXPECT_FALSE(Pattern::ComputeStripLayout(640, 4).valid);
    EXPECT_GE(Pattern::ComputeStripLayout(1920, 1080).blockWidth, 48);
}

class PatternTest : public QuillTest {
  protected:
    // Grabs two consecutive frames of the colour camera.
    std::vector<std::vector<uint8_t>> GrabTwo(int width, int height, const char* format,
                                              std::vector<uint64_t>& numbers) {
        Device device(kColourSerial);
        device.UseSize(width, height, format);
        GrabSession session(device, 4);
        session.Start();
        std::vector<std::vector<uint8_t>> frames;
        for (int i = 0; i < 2; ++i) {
            GrabResult result;
            EXPECT_TRUE(session.Next(result));
            const uint8_t* bytes = static_cast<const uint8_t*>(result.Buffer());
            frames.emplace_back(bytes, bytes + result.GetPayloadSize());
            numbers.push_back(result.GetFrameNumber());
            session.Requeue(result);
        }
        return frames;
    }
};

TEST_F(PatternTest, NumberSurvivesBayerDemosaic) {
    for (const auto& size : {std::make_pair(40, 30), std::make_pair(640, 480), std::make_pair(1920, 1080)}) {
        std::vector<uint64_t> numbers;
        const auto frames = GrabTwo(size.first, size.second, "BayerRG8", numbers);
        const RgbPicture picture = DemosaicRggb(frames[0].data(), size.first, size.second);
        const Pattern::FrameNumberReading reading =
            Pattern::ReadFrameNumber(size.first, size.second, picture.Sampler());
        EXPECT_TRUE(reading.Agree()) << size.first << "x" << size.second;
        EXPECT_EQ(numbers[0] & 0xFFFF, reading.top);
    }
}

TEST_F(PatternTest, NumberSurvivesChromaSubsamplingAndRgb) {
    for (const auto& size : {std::make_pair(40, 30), std::make_pair(720, 576)}) {
        std::vector<uint64_t> numbers;
        const auto frames = GrabTwo(size.first, size.second, "YUV422Packed", numbers);
        const RgbPicture picture = Uyvy420ToRgb(frames[1].data(), size.first, size.second);
        const Pattern::FrameNumberReading reading =
            Pattern::ReadFrameNumber(size.first, size.second, picture.Sampler());
        EXPECT_TRUE(reading.Agree()) << size.first << "x" << size.second;
        EXPECT_EQ(numbers[1] & 0xFFFF, reading.bottom);
    }
}

TEST_F(PatternTest, TornPictureIsDetected) {
    const int width = 640;
    const int height = 480;
    std::vector<uint64_t> numbers;
    const auto frames = GrabTwo(width, height, "Mono8", numbers);
    ASSERT_NE(numbers[0] & 0xFFFF, numbers[1] & 0xFFFF);
    // Upper half of the first frame, lower half of the second.
    std::vector<uint8_t> torn(frames[0].begin(), frames[0].begin() + width * height / 2);
    torn.insert(torn.end(), frames[1].begin() + width * height / 2, frames[1].end());
    const Pattern::FrameNumberReading reading = Pattern::ReadFrameNumber(
        width, height, Pattern::MakeCameraLumaSampler("Mono8", torn.data(), width, height));
    EXPECT_TRUE(reading.Valid());
    EXPECT_FALSE(reading.Agree());
    EXPECT_EQ(numbers[0] & 0xFFFF, reading.top);
    EXPECT_EQ(numbers[1] & 0xFFFF, reading.bottom);
}

TEST(PatternReaderTest, PictureWithoutStripsReadsAsInvalid) {
    std::vector<uint8_t> grey(320 * 240, 128);
    const Pattern::FrameNumberReading reading =
        Pattern::ReadFrameNumber(320, 240, Pattern::MakeCameraLumaSampler("Mono8", grey.data(), 320, 240));
    EXPECT_FALSE(reading.topValid);
    EXPECT_FALSE(reading.bottomValid);
    EXPECT_FALSE(Pattern::MakeCameraLumaSampler("Mono99", grey.data(), 320, 240));
}

}  // namespace
}  // namespace QuillTest
