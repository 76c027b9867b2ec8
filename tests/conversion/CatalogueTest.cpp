// The format catalogue: its rows, look-ups and layout arithmetic.
#include <gtest/gtest.h>

#include <cstring>

#include "conversion/VideoFormatCatalogue.h"

namespace {

struct ExpectedRow {
    const char* name;
    const char* fourcc;  // null for the RGB rows
    int family;
    uint32_t bits, align, palette, topDown, planar, layout, planes, divX, divY;
};

const ExpectedRow kExpected[24] = {
    {"UYVY", "UYVY", 0, 16, 4, 0, 1, 0, 0, 1, 2, 1},     {"UYNV", "UYNV", 0, 16, 4, 0, 1, 0, 0, 1, 2, 1},
    {"Y422", "Y422", 0, 16, 4, 0, 1, 0, 0, 1, 2, 1},     {"YUY2", "YUY2", 3, 16, 4, 0, 1, 0, 0, 1, 2, 1},
    {"YUYV", "YUYV", 3, 16, 4, 0, 1, 0, 0, 1, 2, 1},     {"YUNV", "YUNV", 3, 16, 4, 0, 1, 0, 0, 1, 2, 1},
    {"YVYU", "YVYU", 6, 16, 4, 0, 1, 0, 0, 1, 2, 1},     {"YV12", "YV12", 7, 12, 4, 0, 1, 1, 4, 3, 2, 2},
    {"I420", "I420", 8, 12, 4, 0, 1, 1, 4, 3, 2, 2},     {"IYUV", "IYUV", 8, 12, 4, 0, 1, 1, 4, 3, 2, 2},
    {"NV12", "NV12", 10, 12, 4, 0, 1, 1, 6, 2, 2, 2},    {"Y41P", "Y41P", 11, 12, 12, 0, 1, 0, 0, 1, 1, 1},
    {"RGB32", nullptr, 12, 32, 4, 0, 0, 0, 0, 1, 4, 1},  {"ARGB32", nullptr, 12, 32, 4, 0, 0, 0, 0, 1, 1, 1},
    {"RGB24", nullptr, 14, 24, 12, 0, 0, 0, 0, 1, 1, 1}, {"Y800", "Y800", 15, 8, 4, 0, 1, 0, 0, 1, 1, 1},
    {"Y8", "Y8  ", 15, 8, 4, 0, 1, 0, 0, 1, 1, 1},       {"GREY", "GREY", 15, 8, 4, 0, 1, 0, 0, 1, 1, 1},
    {"RGB8", nullptr, 18, 8, 4, 1, 0, 0, 0, 1, 1, 1},    {"BYBG", "BYBG", 19, 8, 4, 0, 1, 0, 0, 1, 1, 1},
    {"BYGB", "BYGB", 20, 8, 4, 0, 1, 0, 0, 1, 1, 1},     {"BYRG", "BYRG", 21, 8, 4, 0, 1, 0, 0, 1, 1, 1},
    {"BYGR", "BYGR", 22, 8, 4, 0, 1, 0, 0, 1, 1, 1},     {"ORBY", "ORBY", 19, 8, 4, 0, 1, 0, 0, 1, 1, 1},
};

uint32_t FourccOf(const char* text) {
    return text == nullptr ? 0 : MakeFourcc(text[0], text[1], text[2], text[3]);
}

TEST(VideoFormatCatalogue, HoldsEveryRowAsTabled) {
    for (VideoFormatId id = 0; id < 24; ++id) {
        SCOPED_TRACE(id);
        const VideoFormatInfo* row = VideoFormatCatalogue::Row(id);
        ASSERT_NE(row, nullptr);
        const ExpectedRow& want = kExpected[id];
        EXPECT_EQ(row->id, id);
        EXPECT_STREQ(row->name, want.name);
        EXPECT_EQ(row->fourcc, FourccOf(want.fourcc));
        EXPECT_EQ(row->family, want.family);
        EXPECT_EQ(row->bitsPerPixel, want.bits);
        EXPECT_EQ(row->rowAlignment, want.align);
        EXPECT_EQ(row->hasPalette, want.palette);
        EXPECT_EQ(row->topDown, want.topDown);
        EXPECT_EQ(row->planar, want.planar);
        EXPECT_EQ(row->planarLayout, want.layout);
        EXPECT_EQ(row->planeCount, want.planes);
        EXPECT_EQ(row->chromaDivX, want.divX);
        EXPECT_EQ(row->chromaDivY, want.divY);
        ASSERT_NE(row->subtype, nullptr);
        if (want.fourcc != nullptr) {
            // {FOURCC-0000-0010-8000-00AA00389B71}
            const GUID expected = {FourccOf(want.fourcc), 0, 0x10, {0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71}};
            EXPECT_TRUE(SameGuid(*row->subtype, expected));
        }
    }
    EXPECT_EQ(VideoFormatCatalogue::Row(24), nullptr);
    EXPECT_EQ(VideoFormatCatalogue::Row(-1), nullptr);
}

TEST(VideoFormatCatalogue, RgbSubtypesHaveTheirPlatformValues) {
    const GUID rgb24 = {0xE436EB7D, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
    const GUID yuy2 = {0x32595559, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
    EXPECT_EQ(VideoFormatCatalogue::FindBySubtype(rgb24), VideoFormat::RGB24);
    EXPECT_EQ(VideoFormatCatalogue::FindBySubtype(yuy2), VideoFormat::YUY2);
}

TEST(VideoFormatCatalogue, LooksUpBySubtypeAndFourcc) {
    for (VideoFormatId id = 0; id < 24; ++id) {
        EXPECT_EQ(VideoFormatCatalogue::FindBySubtype(*VideoFormatCatalogue::Row(id)->subtype), id);
    }
    const GUID none = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
    EXPECT_EQ(VideoFormatCatalogue::FindBySubtype(none), -1);
    // BI_RGB names the last RGB row.
    EXPECT_EQ(VideoFormatCatalogue::FindByFourcc(0), VideoFormat::RGB8);
    EXPECT_EQ(VideoFormatCatalogue::FindByFourcc(MakeFourcc('Y', '8', ' ', ' ')), VideoFormat::Y8);
    EXPECT_EQ(VideoFormatCatalogue::FindByFourcc(MakeFourcc('O', 'R', 'B', 'Y')), VideoFormat::ORBY);
    EXPECT_EQ(VideoFormatCatalogue::FindByFourcc(MakeFourcc('N', 'O', 'N', 'E')), -1);
}

TEST(VideoFormatCatalogue, CopiesNamesIntoLargeEnoughBuffers) {
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(VideoFormatCatalogue::FormatName(VideoFormat::Y8, buffer, 3), S_OK);
    EXPECT_STREQ(buffer, "Y8");
    EXPECT_EQ(VideoFormatCatalogue::FormatName(VideoFormat::Y8, buffer, 2), E_INVALIDARG);
    EXPECT_EQ(VideoFormatCatalogue::FormatName(VideoFormat::ARGB32, buffer, 6), E_INVALIDARG);
    EXPECT_EQ(VideoFormatCatalogue::FormatName(VideoFormat::ARGB32, buffer, 7), S_OK);
    EXPECT_STREQ(buffer, "ARGB32");
    EXPECT_EQ(VideoFormatCatalogue::FormatName(24, buffer, 8), E_INVALIDARG);
    EXPECT_EQ(VideoFormatCatalogue::FormatName(0, nullptr, 8), E_INVALIDARG);
}

TEST(VideoFormatCatalogue, PadsWidthsToWholeAlignedRows) {
    EXPECT_EQ(VideoFormatCatalogue::PaddedWidth(VideoFormat::RGB24, 641), 644);
    EXPECT_EQ(VideoFormatCatalogue::PaddedWidth(VideoFormat::Y41P, 641), 648);
    EXPECT_EQ(VideoFormatCatalogue::PaddedWidth(VideoFormat::YV12, 641), 642);
    EXPECT_EQ(VideoFormatCatalogue::PaddedWidth(VideoFormat::YUY2, 641), 642);
    EXPECT_EQ(VideoFormatCatalogue::PaddedWidth(VideoFormat::RGB32, 641), 641);
    EXPECT_EQ(VideoFormatCatalogue::PaddedWidth(VideoFormat::Y800, 641), 644);
    EXPECT_EQ(VideoFormatCatalogue::PaddedWidth(VideoFormat::RGB24, 640), 640);
    EXPECT_EQ(VideoFormatCatalogue::PaddedWidth(24, 640), 0);
    // 64-bit arithmetic: no wrap for the largest 32-bit width.
    EXPECT_EQ(VideoFormatCatalogue::PaddedWidth(VideoFormat::RGB32, INT32_MAX), INT32_MAX);
}

TEST(VideoFormatCatalogue, RaisesOddPlanarHeights) {
    EXPECT_EQ(VideoFormatCatalogue::EvenHeight(VideoFormat::YV12, 481), 482);
    EXPECT_EQ(VideoFormatCatalogue::EvenHeight(VideoFormat::I420, 480), 480);
    EXPECT_EQ(VideoFormatCatalogue::EvenHeight(VideoFormat::RGB24, 481), 481);
}

TEST(VideoFormatCatalogue, SizesImagesIn64Bits) {
    uint64_t bytes = 0;
    ASSERT_TRUE(VideoFormatCatalogue::ImageSize(VideoFormat::YV12, 640, 480, 12, &bytes));
    EXPECT_EQ(bytes, 460800u);
    ASSERT_TRUE(VideoFormatCatalogue::ImageSize(VideoFormat::RGB24, 641, 480, 24, &bytes));
    EXPECT_EQ(bytes, 923520u);
    ASSERT_TRUE(VideoFormatCatalogue::ImageSize(VideoFormat::RGB24, 641, -480, 24, &bytes));
    EXPECT_EQ(bytes, 923520u);
    // Beyond 32 bits: exact, not wrapped.
    ASSERT_TRUE(VideoFormatCatalogue::ImageSize(VideoFormat::RGB32, 65536, 65536, 32, &bytes));
    EXPECT_EQ(bytes, uint64_t(1) << 34);
    EXPECT_FALSE(VideoFormatCatalogue::ImageSize(VideoFormat::RGB32, -1, 480, 32, &bytes));
    EXPECT_FALSE(VideoFormatCatalogue::ImageSize(24, 640, 480, 32, &bytes));
}

TEST(VideoFormatCatalogue, KnowsTheBytesOfOneRow) {
    EXPECT_EQ(VideoFormatCatalogue::MinimumRowBytes(VideoFormat::UYVY, 5), 12);
    EXPECT_EQ(VideoFormatCatalogue::MinimumRowBytes(VideoFormat::RGB24, 5), 15);
    EXPECT_EQ(VideoFormatCatalogue::MinimumRowBytes(VideoFormat::RGB32, 5), 20);
    EXPECT_EQ(VideoFormatCatalogue::MinimumRowBytes(VideoFormat::Y41P, 8), 12);
    EXPECT_EQ(VideoFormatCatalogue::MinimumRowBytes(VideoFormat::YV12, 5), 5);
    EXPECT_EQ(VideoFormatCatalogue::PlanarPictureBytes(VideoFormat::I420, 6, 4), 24 + 12);
    EXPECT_EQ(VideoFormatCatalogue::PlanarPictureBytes(VideoFormat::RGB24, 6, 4), -1);
}

}  // namespace
