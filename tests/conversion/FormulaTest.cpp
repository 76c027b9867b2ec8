// The colour formulas, checked against hand-computed values both in the
// tests' own reference and through the engine on whole pictures.
#include <gtest/gtest.h>

#include <vector>

#include "ReferenceFormulas.h"
#include "conversion/ConversionEngine.h"
#include "conversion/kernels/ColourFormulas.h"

namespace {

using namespace VideoFormat;
using reference::Form;
using reference::Rgb;

TEST(ReferenceFormulas, MatchHandComputedValues) {
    EXPECT_EQ(reference::Luma(128, 128, 128), 126);
    EXPECT_EQ(reference::Luma(0, 0, 0), 16);
    EXPECT_EQ(reference::Luma(255, 255, 255), 235);
    EXPECT_EQ(reference::Luma(255, 0, 0), 82);
    const Rgb red{0, 0, 255};
    EXPECT_EQ(reference::PairU(red, red), 90);
    EXPECT_EQ(reference::PairV(red, red), 240);
    EXPECT_EQ(reference::BlockU(red, red, red, red), 90);
    EXPECT_EQ(reference::BlockV(red, red, red, red), 240);
    EXPECT_EQ(reference::LoneU(red), 90);
    EXPECT_EQ(reference::LoneU(Rgb{255, 255, 255}), 128);
    EXPECT_EQ(reference::Grey(red), 76);
    EXPECT_EQ(reference::Grey(Rgb{0, 255, 0}), 149);
    EXPECT_EQ(reference::Grey(Rgb{255, 0, 0}), 29);
    EXPECT_EQ(reference::Grey(Rgb{128, 128, 128}), 128);
    for (Form form : {Form::A, Form::B, Form::C}) {
        const Rgb black = reference::YuvToRgb(form, 16, 128, 128);
        EXPECT_EQ(black.b + black.g + black.r, 0);
        const Rgb mid = reference::YuvToRgb(form, 126, 128, 128);
        EXPECT_EQ(mid.b, 128);
        EXPECT_EQ(mid.g, 128);
        EXPECT_EQ(mid.r, 128);
        const Rgb white = reference::YuvToRgb(form, 235, 128, 128);
        const int expected = form == Form::B ? 254 : 255;
        EXPECT_EQ(white.b, expected);
        EXPECT_EQ(white.g, expected);
        EXPECT_EQ(white.r, expected);
    }
    const Rgb redAgain = reference::YuvToRgb(Form::A, 82, 90, 240);
    EXPECT_EQ(redAgain.b, 0);
    EXPECT_EQ(redAgain.g, 1);
    EXPECT_EQ(redAgain.r, 255);
    // Below zero the shift rounds towards minus infinity, then the clamp.
    EXPECT_EQ(reference::YuvToRgb(Form::B, 0, 0, 0).r, 0);
}

// A uniform picture of one RGB24 colour converted through the engine.
std::vector<uint8_t> ConvertUniform(VideoFormatId to, int width, int height, int destinationRowBytes,
                                    uint8_t b, uint8_t g, uint8_t r) {
    ConversionEngine engine;
    const int sourceRowBytes = (3 * width + 3) / 4 * 4;
    std::vector<uint8_t> source(sourceRowBytes * height, 0);
    for (int row = 0; row < height; ++row) {
        for (int x = 0; x < width; ++x) {
            source[row * sourceRowBytes + 3 * x] = b;
            source[row * sourceRowBytes + 3 * x + 1] = g;
            source[row * sourceRowBytes + 3 * x + 2] = r;
        }
    }
    const bool planar = VideoFormatCatalogue::Row(to)->planar != 0;
    const size_t size = planar ? width * height * 3 / 2 : destinationRowBytes * height;
    std::vector<uint8_t> out(size, 0xEE);
    EXPECT_EQ(engine.ConvertFrame(source.data(), int64_t(source.size()), width, height, sourceRowBytes, RGB24,
                                  out.data(), int64_t(out.size()), width, height, destinationRowBytes, to),
              S_OK);
    return out;
}

TEST(RgbToYuv, LumaAndPairChromaOfGreyBlackAndWhite) {
    const struct {
        uint8_t level;
        uint8_t luma;
    } cases[] = {{128, 126}, {0, 16}, {255, 235}};
    for (const auto& c : cases) {
        const std::vector<uint8_t> yuy2 = ConvertUniform(YUY2, 2, 1, 4, c.level, c.level, c.level);
        EXPECT_EQ(yuy2[0], c.luma);
        EXPECT_EQ(yuy2[1], 128);
        EXPECT_EQ(yuy2[2], c.luma);
        EXPECT_EQ(yuy2[3], 128);
    }
}

TEST(RgbToYuv, PairBlockAndLonePixelChromaOfRed) {
    const std::vector<uint8_t> yuy2 = ConvertUniform(YUY2, 3, 1, 8, 0, 0, 255);
    EXPECT_EQ(yuy2[0], 82);
    EXPECT_EQ(yuy2[1], 90);
    EXPECT_EQ(yuy2[3], 240);
    EXPECT_EQ(yuy2[4], 82);  // the lone pixel: luma and U only
    EXPECT_EQ(yuy2[5], 90);
    EXPECT_EQ(yuy2[6], 0xEE);
    const std::vector<uint8_t> i420 = ConvertUniform(I420, 2, 2, 2, 0, 0, 255);
    EXPECT_EQ(i420[0], 82);
    EXPECT_EQ(i420[4], 90);   // U plane first
    EXPECT_EQ(i420[5], 240);  // then V
    const std::vector<uint8_t> yv12 = ConvertUniform(YV12, 2, 2, 2, 0, 0, 255);
    EXPECT_EQ(yv12[4], 240);  // V plane first
    EXPECT_EQ(yv12[5], 90);
}

TEST(RgbToGrey, WeightsRedGreenAndBlue) {
    EXPECT_EQ(ConvertUniform(Y800, 1, 1, 4, 0, 0, 255)[0], 76);
    EXPECT_EQ(ConvertUniform(Y800, 1, 1, 4, 0, 255, 0)[0], 149);
    EXPECT_EQ(ConvertUniform(RGB8, 1, 1, 4, 255, 0, 0)[0], 29);
}

// Y, U, V of one neutral level through each YUV-to-RGB form.
Rgb ThroughForm(VideoFormatId from, uint8_t y) {
    ConversionEngine engine;
    std::vector<uint8_t> source;
    int stride = 4;
    if (from == UYVY) {
        source = {128, y, 128, y, 128, y, 128, y};
    } else if (from == YUY2) {
        source = {y, 128, y, 128, y, 128, y, 128};
    } else {
        source = {y, y, y, y, 128, 128};
        stride = 2;
    }
    std::vector<uint8_t> rgb(12 * 2, 0);
    EXPECT_EQ(engine.ConvertFrame(source.data(), int64_t(source.size()), 2, 2, stride, from, rgb.data(),
                                  int64_t(rgb.size()), 2, 2, 12, RGB24),
              S_OK);
    return Rgb{rgb[0], rgb[1], rgb[2]};
}

// The vector kernels' 16-bit form of the grey formula, for every colour.
TEST(RgbToGrey, SplitWeightsGiveTheGreyOfEveryColour) {
    const formulas::GreyWeights high = formulas::kGreyHigh;
    const formulas::GreyWeights low = formulas::kGreyLow;
    // Each byte multiply-add pair stays within 16 signed bits.
    EXPECT_LE(255 * (high.b + high.g), 32767);
    EXPECT_LE(255 * (low.b + low.g), 32767);
    int mismatches = 0;
    for (int r = 0; r < 256; ++r) {
        for (int g = 0; g < 256; ++g) {
            for (int b = 0; b < 256; ++b) {
                const int sumHigh = high.b * b + high.g * g + high.r * r;
                const int sumLow = low.b * b + low.g * g + low.r * r;
                mismatches += ((sumHigh + (sumLow >> 6)) >> 6) != reference::Grey(Rgb{b, g, r});
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(YuvToRgb, FormsABAndCAtTheirEdgeValues) {
    for (VideoFormatId from : {UYVY, YUY2, I420}) {
        SCOPED_TRACE(from);
        const Rgb black = ThroughForm(from, 16);
        EXPECT_EQ(black.b + black.g + black.r, 0);
        const Rgb mid = ThroughForm(from, 126);
        EXPECT_EQ(mid.r, 128);
        EXPECT_EQ(mid.g, 128);
        EXPECT_EQ(mid.b, 128);
        const Rgb white = ThroughForm(from, 235);
        EXPECT_EQ(white.r, from == YUY2 ? 254 : 255);
        EXPECT_EQ(white.b, from == YUY2 ? 254 : 255);
    }
}

TEST(GreyToRgb32, CarriesGreyOrOpaqueAlpha) {
    ConversionEngine engine;
    const std::vector<uint8_t> grey = {40, 41, 42, 43};
    std::vector<uint8_t> rgb(16 * 1, 0);
    ASSERT_EQ(engine.ConvertFrame(grey.data(), 4, 4, 1, 4, Y800, rgb.data(), 16, 4, 1, 16, RGB32), S_OK);
    EXPECT_EQ(rgb[3], 40);
    EXPECT_EQ(rgb[15], 43);
    ASSERT_EQ(engine.ConvertFrame(grey.data(), 4, 4, 1, 4, RGB8, rgb.data(), 16, 4, 1, 16, RGB32), S_OK);
    EXPECT_EQ(rgb[3], 255);
    EXPECT_EQ(rgb[14], 43);
}

TEST(Y41P, LeavesTheRemainderOfA642PixelRowUnwritten) {
    ConversionEngine engine;
    const int width = 642;
    const int yuy2Row = width * 2;
    const int y41pRow = (width * 12 + 7) / 8;
    std::vector<uint8_t> yuy2(yuy2Row * 2, 100);
    std::vector<uint8_t> y41p(y41pRow * 2, 0xEE);
    ASSERT_EQ(engine.ConvertFrame(yuy2.data(), int64_t(yuy2.size()), width, 2, yuy2Row, YUY2, y41p.data(),
                                  int64_t(y41p.size()), width, 2, y41pRow, Y41P),
              S_OK);
    EXPECT_EQ(y41p[80 * 12 - 1], 100);  // the last whole group
    EXPECT_EQ(y41p[80 * 12], 0xEE);     // the two pixels beyond it
    std::vector<uint8_t> back(yuy2Row * 2, 0xEE);
    ASSERT_EQ(engine.ConvertFrame(y41p.data(), int64_t(y41p.size()), width, 2, y41pRow, Y41P, back.data(),
                                  int64_t(back.size()), width, 2, yuy2Row, YUY2),
              S_OK);
    EXPECT_EQ(back[640 * 2 - 1], 100);
    EXPECT_EQ(back[640 * 2], 0xEE);
    EXPECT_EQ(back[642 * 2 - 1], 0xEE);
}

}  // namespace
