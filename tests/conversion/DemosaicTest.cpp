// The bilinear demosaic: border, phases and rounding, through the BayerTo
// RGB24 routines.
#include <gtest/gtest.h>

#include <vector>

#include "ReferenceConversion.h"
#include "conversion/ConversionEngine.h"

namespace {

using namespace VideoFormat;

// Demosaics a top-down mosaic into a top-down RGB24 picture.
std::vector<uint8_t> Demosaic(VideoFormatId format, const std::vector<uint8_t>& mosaic, int width,
                              int height) {
    ConversionEngine engine;
    std::vector<uint8_t> rgb(size_t(width) * 3 * height, 0xEE);
    EXPECT_EQ(engine.ConvertFrame(mosaic.data(), int64_t(mosaic.size()), width, height, width, format,
                                  rgb.data(), int64_t(rgb.size()), width, -height, width * 3, RGB24),
              S_OK);
    return rgb;
}

TEST(Demosaic, GivesABlackBorderAndAUniformInteriorForAUniformMosaic) {
    const int width = 640;
    const int height = 480;
    const std::vector<uint8_t> rgb = Demosaic(BYBG, std::vector<uint8_t>(width * height, 77), width, height);
    for (int row = 0; row < height; ++row) {
        for (int x = 0; x < width; ++x) {
            const bool border = row == 0 || row == height - 1 || x == 0 || x == width - 1;
            for (int channel = 0; channel < 3; ++channel) {
                ASSERT_EQ(rgb[(size_t(row) * width + x) * 3 + channel], border ? 0 : 77)
                    << row << "," << x << "," << channel;
            }
        }
    }
}

TEST(Demosaic, SpreadsOneRedSiteToItsNeighbours) {
    const int width = 6;
    const int height = 5;
    std::vector<uint8_t> mosaic(width * height, 0);
    mosaic[1 * width + 1] = 201;  // (1, 1) is red in BYBG
    const std::vector<uint8_t> rgb = Demosaic(BYBG, mosaic, width, height);
    const uint8_t* centre = &rgb[(1 * width + 1) * 3];
    EXPECT_EQ(centre[2], 201);
    EXPECT_EQ(centre[1], 0);
    EXPECT_EQ(centre[0], 0);
    const uint8_t* right = &rgb[(1 * width + 2) * 3];
    EXPECT_EQ(right[2], 101);  // half of 201, rounded up
    const uint8_t* diagonal = &rgb[(2 * width + 2) * 3];
    EXPECT_EQ(diagonal[2], 50);  // (201 + 2) >> 2 at the blue site below right
}

// Each site holds a value naming its colour, so every interior pixel must come
// out as exactly those three values whatever the phase.
TEST(Demosaic, PlacesTheColoursOfEachPhase) {
    const struct {
        VideoFormatId format;
        const char* tile;
    } phases[] = {{BYBG, "BGGR"}, {BYGB, "GBRG"}, {BYRG, "RGGB"}, {BYGR, "GRBG"}, {ORBY, "BGGR"}};
    const int width = 7;
    const int height = 6;
    for (const auto& phase : phases) {
        std::vector<uint8_t> mosaic(width * height);
        for (int row = 0; row < height; ++row) {
            for (int x = 0; x < width; ++x) {
                const char colour = phase.tile[(row & 1) * 2 + (x & 1)];
                mosaic[row * width + x] = colour == 'B' ? 10 : (colour == 'G' ? 20 : 30);
            }
        }
        const std::vector<uint8_t> rgb = Demosaic(phase.format, mosaic, width, height);
        for (int row = 1; row < height - 1; ++row) {
            for (int x = 1; x < width - 1; ++x) {
                const uint8_t* pixel = &rgb[(row * width + x) * 3];
                EXPECT_EQ(pixel[0], 10) << phase.tile;
                EXPECT_EQ(pixel[1], 20) << phase.tile;
                EXPECT_EQ(pixel[2], 30) << phase.tile;
            }
        }
    }
}

TEST(Demosaic, RoundsEachAverageHalfUpAndMatchesTheReference) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> byte(0, 255);
    const int width = 9;
    const int height = 7;
    const struct {
        VideoFormatId format;
        const char* tile;
    } phases[] = {{BYBG, "BGGR"}, {BYGB, "GBRG"}, {BYRG, "RGGB"}, {BYGR, "GRBG"}};
    for (const auto& phase : phases) {
        std::vector<uint8_t> mosaic(width * height);
        for (uint8_t& value : mosaic) {
            value = uint8_t(byte(random));
        }
        EXPECT_EQ(Demosaic(phase.format, mosaic, width, height),
                  reference::Demosaic(mosaic, width, height, phase.tile))
            << phase.tile;
    }
    // Green at a blue site from neighbours 1, 2, 2, 2: (7 + 2) >> 2 = 2.
    std::vector<uint8_t> small = {0, 1, 0, 2, 0, 2, 0, 2, 0};
    EXPECT_EQ(Demosaic(BYRG, small, 3, 3)[4 * 3 + 1], 2);
    // Blue beside a green site from 1 and 2: (3 + 1) >> 1 = 2.
    std::vector<uint8_t> greenSite = {0, 0, 0, 1, 0, 2, 0, 0, 0};
    EXPECT_EQ(Demosaic(BYGR, greenSite, 3, 3)[4 * 3 + 0], 2);
}

TEST(Demosaic, BlackensPicturesOfFewerThanThreeRows) {
    for (int height : {1, 2}) {
        const std::vector<uint8_t> rgb = Demosaic(BYGB, std::vector<uint8_t>(5 * height, 99), 5, height);
        for (uint8_t value : rgb) {
            EXPECT_EQ(value, 0);
        }
    }
}

}  // namespace
