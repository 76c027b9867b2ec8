// The pixel-format table and the standard sizes.
#include <gtest/gtest.h>

#include "Camera/PixelFormatTable.h"

namespace {

TEST(CameraPixelFormatTest, EveryKnownNameMapsToItsFormatAndBack) {
    const struct {
        const char* name;
        VideoFormatId format;
    } table[] = {
        {"YUV422Packed", 0}, {"YUV422_YUYV_Packed", 3}, {"YUV411Packed", 11},
        {"BGRA8Packed", 12}, {"BGR8Packed", 14},        {"Mono8", 15},
        {"BayerBG8", 19},    {"BayerGB8", 20},          {"BayerRG8", 21},
        {"BayerGR8", 22},
    };
    for (const auto& row : table) {
        EXPECT_EQ(row.format, FormatIdFromPixelFormat(row.name)) << row.name;
        EXPECT_STREQ(row.name, PixelFormatName(row.format)) << row.format;
    }
}

TEST(CameraPixelFormatTest, OtherNamesAndIdsAreUnknown) {
    for (const char* name : {"Mono12", "RGB8Packed", "mono8", "Mono8 ", "", "BayerRG"}) {
        EXPECT_EQ(-1, FormatIdFromPixelFormat(name)) << '"' << name << '"';
    }
    EXPECT_EQ(-1, FormatIdFromPixelFormat(nullptr));
    EXPECT_EQ(static_cast<VideoFormatId>(0xFFFFFFFF), FormatIdFromPixelFormat("Mono16"));
    for (VideoFormatId id : {-1, 1, 2, 7, 13, 16, 18, 23, 24, 1000}) {
        EXPECT_STREQ("Undefined", PixelFormatName(id)) << id;
    }
}

TEST(CameraPixelFormatTest, StandardSizesRunFromSmallestToLargest) {
    const StandardFrameSize expected[] = {{40, 30},    {80, 60},    {160, 120},   {320, 240},
                                          {640, 480},  {720, 480},  {720, 576},   {800, 600},
                                          {1024, 768}, {1280, 960}, {1600, 1200}, {2048, 1536}};
    ASSERT_EQ(12, kStandardFrameSizeCount);
    for (int row = 0; row < kStandardFrameSizeCount; ++row) {
        EXPECT_EQ(expected[row].width, StandardFrameSizes[row].width) << row;
        EXPECT_EQ(expected[row].height, StandardFrameSizes[row].height) << row;
    }
}

}  // namespace
