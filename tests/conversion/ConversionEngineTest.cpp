// The engine: its matrix, ConvertFrame's refusals and orientation rules, and
// the scratch slots.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <optional>
#include <string>
#include <vector>

#include "conversion/ConversionEngine.h"

namespace {

using namespace VideoFormat;

bool IsBayerId(VideoFormatId id) {
    return id >= BYBG;
}

TEST(ConversionMatrix, CountsDestinationsPerSource) {
    ConversionEngine engine;
    for (VideoFormatId source = 0; source < Count; ++source) {
        SCOPED_TRACE(source);
        int expected = 17;
        if (source == NV12) {
            expected = 0;
        } else if (source == BYBG || source == ORBY) {
            expected = 19;
        } else if (IsBayerId(source)) {
            expected = 18;
        }
        EXPECT_EQ(engine.DestinationCount(source), expected);
        VideoFormatId previous = -1;
        for (int index = 0; index < expected; ++index) {
            VideoFormatId destination = -1;
            ASSERT_EQ(engine.DestinationAt(source, index, &destination), S_OK);
            EXPECT_GT(destination, previous);
            EXPECT_NE(destination, source);
            EXPECT_TRUE(engine.HasRoutine(source, destination));
            previous = destination;
        }
        VideoFormatId unused = -1;
        EXPECT_EQ(engine.DestinationAt(source, expected, &unused), E_INVALIDARG);
    }
    EXPECT_EQ(engine.DestinationCount(24), 0);
    EXPECT_EQ(engine.DestinationCount(-1), 0);
    VideoFormatId unused = -1;
    EXPECT_EQ(engine.DestinationAt(24, 0, &unused), E_INVALIDARG);
    EXPECT_EQ(engine.DestinationAt(Y800, 0, nullptr), E_INVALIDARG);
}

TEST(ConversionMatrix, FollowsTheFamilyGrid) {
    ConversionEngine engine;
    for (VideoFormatId source = 0; source < Count; ++source) {
        const VideoFormatInfo* from = VideoFormatCatalogue::Row(source);
        for (VideoFormatId destination = 0; destination < Count; ++destination) {
            const VideoFormatInfo* to = VideoFormatCatalogue::Row(destination);
            const ConversionRoutine routine = engine.RoutineFor(source, destination);
            SCOPED_TRACE(std::string(from->name) + " to " + to->name);
            if (source == NV12 || destination == NV12) {
                EXPECT_EQ(routine, nullptr);
            } else if (from->family == to->family) {
                EXPECT_EQ(routine, from->planar != 0 ? routines::CopyPlanar : routines::CopyPacked);
            } else if (IsBayerId(destination)) {
                EXPECT_EQ(routine, nullptr);
            } else {
                EXPECT_NE(routine, nullptr);
            }
        }
    }
    // Every member of a family gets the family's routine.
    EXPECT_EQ(engine.RoutineFor(UYNV, IYUV), routines::UYVYToI420);
    EXPECT_EQ(engine.RoutineFor(Y422, YUNV), routines::UYVYToYUY2);
    EXPECT_EQ(engine.RoutineFor(ORBY, GREY), routines::BYBGToY800);
    EXPECT_EQ(engine.RoutineFor(ARGB32, RGB32), routines::CopyPacked);
    EXPECT_EQ(engine.RoutineFor(BYGR, RGB24), routines::BYGRToRGB24);
    EXPECT_FALSE(engine.HasRoutine(Y800, 24));
    EXPECT_FALSE(engine.HasRoutine(-1, Y800));
}

// A picture and a destination that ConvertFrame accepts; each refusal below
// spoils one thing.
struct Frame {
    std::vector<uint8_t> source;
    std::vector<uint8_t> destination;
    int32_t width = 8;
    int32_t sourceHeight = 4;
    int32_t sourceStride = 8;
    VideoFormatId sourceFormat = Y800;
    int32_t destinationWidth = 8;
    int32_t destinationHeight = 4;
    int32_t destinationStride = 24;
    VideoFormatId destinationFormat = RGB24;
    // Unset sizes are those of the vectors.
    std::optional<int64_t> sourceSize;
    std::optional<int64_t> destinationSize;

    Frame() : source(256, 77), destination(256, 0xEE) {}

    HRESULT Convert(ConversionEngine& engine, const uint8_t* sourcePointer, uint8_t* destinationPointer) {
        return engine.ConvertFrame(sourcePointer, sourceSize.value_or(int64_t(source.size())), width,
                                   sourceHeight, sourceStride, sourceFormat, destinationPointer,
                                   destinationSize.value_or(int64_t(destination.size())), destinationWidth,
                                   destinationHeight, destinationStride, destinationFormat);
    }
    HRESULT Convert(ConversionEngine& engine) { return Convert(engine, source.data(), destination.data()); }
    bool DestinationUntouched() const {
        for (uint8_t value : destination) {
            if (value != 0xEE) {
                return false;
            }
        }
        return true;
    }
};

struct Refusal {
    const char* what;
    void (*spoil)(Frame&);
};

const Refusal kRefusals[] = {
    {"zero width", [](Frame& f) { f.width = 0; }},
    {"negative width", [](Frame& f) { f.width = -8; }},
    {"zero destination width", [](Frame& f) { f.destinationWidth = 0; }},
    {"zero source height", [](Frame& f) { f.sourceHeight = 0; }},
    {"zero source stride", [](Frame& f) { f.sourceStride = 0; }},
    {"zero destination height", [](Frame& f) { f.destinationHeight = 0; }},
    {"zero destination stride", [](Frame& f) { f.destinationStride = 0; }},
    {"source buffer short", [](Frame& f) { f.sourceSize = 31; }},
    {"destination buffer short", [](Frame& f) { f.destinationSize = 95; }},
    {"negative buffer size", [](Frame& f) { f.sourceSize = INT64_MIN; }},
    {"source format out of range", [](Frame& f) { f.sourceFormat = 24; }},
    {"destination format negative", [](Frame& f) { f.destinationFormat = -1; }},
    {"from NV12", [](Frame& f) { f.sourceFormat = NV12; }},
    {"into NV12", [](Frame& f) { f.destinationFormat = NV12; }},
    {"NV12 to itself", [](Frame& f) { f.sourceFormat = f.destinationFormat = NV12; }},
    {"into Bayer", [](Frame& f) { f.destinationFormat = BYRG; }},
    {"Bayer into another Bayer",
     [](Frame& f) {
         f.sourceFormat = BYBG;
         f.destinationFormat = BYGB;
     }},
    {"odd height from planar",
     [](Frame& f) {
         f.sourceFormat = YV12;
         f.sourceHeight = f.destinationHeight = 3;
     }},
    {"odd height into planar",
     [](Frame& f) {
         f.destinationFormat = I420;
         f.sourceHeight = f.destinationHeight = 3;
         f.destinationStride = 8;
     }},
    {"source stride shorter than a row", [](Frame& f) { f.sourceStride = 7; }},
    {"negative source stride shorter than a row", [](Frame& f) { f.sourceStride = -7; }},
    {"destination stride shorter than a row", [](Frame& f) { f.destinationStride = 23; }},
    {"RGB32 stride of an RGB24 row",
     [](Frame& f) {
         f.destinationFormat = RGB32;
         f.destinationStride = 24;
     }},
    {"4:2:2 odd width without its whole group",
     [](Frame& f) {
         f.width = f.destinationWidth = 7;
         f.destinationFormat = YUY2;
         f.destinationStride = 14;
     }},
    {"destination narrower than the source", [](Frame& f) { f.destinationWidth = 7; }},
    {"destination shorter than the source", [](Frame& f) { f.destinationHeight = 3; }},
    {"planar destination taller than the source",
     [](Frame& f) {
         f.destinationFormat = YV12;
         f.destinationStride = 8;
         f.destinationHeight = 6;
     }},
    {"planar source planes beyond the buffer",
     [](Frame& f) {
         f.sourceFormat = I420;
         f.sourceSize = 32;
     }},
    {"planar destination planes beyond the buffer",
     [](Frame& f) {
         f.destinationFormat = YV12;
         f.destinationStride = 8;
         f.destinationSize = 40;
     }},
    {"most negative stride", [](Frame& f) { f.sourceStride = INT32_MIN; }},
    {"most negative height", [](Frame& f) { f.destinationHeight = INT32_MIN; }},
    {"row bytes beyond 32 bits",
     [](Frame& f) {
         f.width = f.destinationWidth = INT32_MAX;
         f.destinationFormat = RGB32;
         f.destinationStride = INT32_MAX;
         f.sourceStride = INT32_MAX;
         f.sourceSize = f.destinationSize = INT64_MAX;
     }},
};

void PrintTo(const Refusal& refusal, std::ostream* out) {
    *out << refusal.what;
}

// Test names from the descriptions: words run together.
std::string RefusalName(const ::testing::TestParamInfo<Refusal>& info) {
    std::string name;
    bool upper = true;
    for (const char* c = info.param.what; *c != 0; ++c) {
        if (std::isalnum(static_cast<unsigned char>(*c))) {
            name += upper ? static_cast<char>(std::toupper(static_cast<unsigned char>(*c))) : *c;
            upper = false;
        } else {
            upper = true;
        }
    }
    return name;
}

class ConvertFrameRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(ConvertFrameRefusal, ReturnsInvalidArgAndWritesNothing) {
    ConversionEngine engine;
    Frame frame;
    GetParam().spoil(frame);
    EXPECT_EQ(frame.Convert(engine), E_INVALIDARG) << GetParam().what;
    EXPECT_TRUE(frame.DestinationUntouched()) << GetParam().what;
    EXPECT_EQ(engine.LastRoutine(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Refusals, ConvertFrameRefusal, ::testing::ValuesIn(kRefusals), RefusalName);

TEST(ConvertFrame, AcceptsTheUnspoiledFrame) {
    ConversionEngine engine;
    Frame frame;
    EXPECT_EQ(frame.Convert(engine), S_OK);
    EXPECT_EQ(engine.LastRoutine(), routines::Y800ToRGB24);
}

TEST(ConvertFrame, RefusesNullPointers) {
    ConversionEngine engine;
    Frame frame;
    EXPECT_EQ(frame.Convert(engine, nullptr, frame.destination.data()), E_INVALIDARG);
    EXPECT_EQ(frame.Convert(engine, frame.source.data(), nullptr), E_INVALIDARG);
    EXPECT_TRUE(frame.DestinationUntouched());
}

// A camera row lands where the destination's orientation puts the top row.
TEST(ConvertFrame, FlipsTopDownSourcesIntoBottomUpRgb) {
    ConversionEngine engine;
    const int width = 640;
    const int height = 480;
    std::vector<uint8_t> camera(width * height);
    for (int row = 0; row < height; ++row) {
        std::fill(camera.begin() + row * width, camera.begin() + (row + 1) * width, uint8_t(row % 251));
    }
    std::vector<uint8_t> rgb(width * 3 * height, 0);
    for (int sign : {1, -1}) {
        ASSERT_EQ(
            engine.ConvertFrame(camera.data(), int64_t(camera.size()), width, height, width, Y800, rgb.data(),
                                int64_t(rgb.size()), width, sign * height, width * 3, RGB24),
            S_OK);
        // The first camera row (value 0) and the second (value 1).
        const size_t lastRow = size_t(height - 1) * width * 3;
        const size_t firstCameraRow = sign > 0 ? lastRow : 0;
        const size_t secondCameraRow = sign > 0 ? lastRow - width * 3 : width * 3;
        EXPECT_EQ(rgb[firstCameraRow], 0);
        EXPECT_EQ(rgb[secondCameraRow], 1);
        EXPECT_EQ(rgb[secondCameraRow + 3 * (width - 1) + 2], 1);
    }
}

// UYVY to RGB24 writes R, G, B and exchanges bytes 0 and 2 in place; into the
// usual bottom-up destination the exchange must still run.
TEST(ConvertFrame, ExchangesRedAndBlueIntoBottomUpRgb24) {
    ConversionEngine engine;
    // U 90, Y 82, V 240 is pure red: B 0, G 1, R 255 by form A.
    const std::vector<uint8_t> uyvy = {90, 82, 240, 82, 90, 82, 240, 82};
    const std::vector<uint8_t> yvyu = {82, 240, 82, 90, 82, 240, 82, 90};
    for (VideoFormatId format : {UYVY, YVYU}) {
        for (int sign : {1, -1}) {
            std::vector<uint8_t> rgb(12 * 2, 0);
            ASSERT_EQ(engine.ConvertFrame(format == UYVY ? uyvy.data() : yvyu.data(), 8, 2, 2, 4, format,
                                          rgb.data(), int64_t(rgb.size()), 2, sign * 2, 12, RGB24),
                      S_OK);
            for (int pixel = 0; pixel < 2; ++pixel) {
                for (int row = 0; row < 2; ++row) {
                    EXPECT_EQ(rgb[row * 12 + pixel * 3 + 0], 0) << "blue";
                    EXPECT_EQ(rgb[row * 12 + pixel * 3 + 1], 1) << "green";
                    EXPECT_EQ(rgb[row * 12 + pixel * 3 + 2], 255) << "red";
                }
            }
        }
    }
}

TEST(ConvertFrame, LeavesColumnsBeyondTheSourceWidthUnwritten) {
    ConversionEngine engine;
    std::vector<uint8_t> grey(4 * 2, 100);
    std::vector<uint8_t> rgb(4 * 6 * 2, 0xEE);
    ASSERT_EQ(
        engine.ConvertFrame(grey.data(), 8, 4, 2, 4, Y800, rgb.data(), int64_t(rgb.size()), 6, -2, 24, RGB32),
        S_OK);
    for (int row = 0; row < 2; ++row) {
        EXPECT_EQ(rgb[row * 24 + 15], 100);  // alpha of the fourth pixel carries the grey
        EXPECT_EQ(rgb[row * 24 + 16], 0xEE);
        EXPECT_EQ(rgb[row * 24 + 23], 0xEE);
    }
}

TEST(ConvertFrame, CopiesACameraFrameWithItsPadding) {
    ConversionEngine engine;
    std::vector<uint8_t> frame(20 * 3);
    for (size_t i = 0; i < frame.size(); ++i) {
        frame[i] = uint8_t(i);
    }
    std::vector<uint8_t> copy(frame.size(), 0);
    ASSERT_EQ(engine.ConvertFrame(frame.data(), int64_t(frame.size()), 9, 3, 20, YUY2, copy.data(),
                                  int64_t(copy.size()), 9, 3, 20, YUYV),
              S_OK);
    EXPECT_EQ(engine.LastRoutine(), routines::CopyPacked);
    EXPECT_EQ(copy, frame);
}

// Past a megabyte the copies take the streaming kernel; its rows start at
// any alignment and end in a partial register.
TEST(ConvertFrame, CopiesFramesLargerThanTheCachesExactly) {
    ConversionEngine engine;
    std::vector<uint8_t> frame(1924 * 600);
    for (size_t i = 0; i < frame.size(); ++i) {
        frame[i] = uint8_t(i * 7 + i / 1924);
    }
    std::vector<uint8_t> copy(1931 * 600 + 3, 0xEE);
    ASSERT_EQ(engine.ConvertFrame(frame.data(), int64_t(frame.size()), 1921, 600, 1924, BYRG, copy.data() + 3,
                                  int64_t(copy.size()) - 3, 1921, 600, 1931, BYRG),
              S_OK);
    EXPECT_EQ(engine.LastRoutine(), routines::CopyPacked);
    for (int row = 0; row < 600; ++row) {
        const uint8_t* in = frame.data() + row * 1924;
        const uint8_t* out = copy.data() + 3 + row * 1931;
        ASSERT_TRUE(std::equal(in, in + 1924, out)) << row;  // the shorter stride, padding included
        ASSERT_EQ(out[1924], 0xEE) << row;
    }
    EXPECT_EQ(copy[0], 0xEE);

    const int64_t planarBytes = 1280 * 720 * 3 / 2;
    std::vector<uint8_t> planar(static_cast<size_t>(planarBytes));
    for (size_t i = 0; i < planar.size(); ++i) {
        planar[i] = uint8_t(i * 13 + i / 640);
    }
    std::vector<uint8_t> planarCopy(planar.size() + 1, 0xEE);
    ASSERT_EQ(engine.ConvertFrame(planar.data(), planarBytes, 1280, 720, 1280, I420, planarCopy.data() + 1,
                                  planarBytes, 1280, 720, 1280, IYUV),
              S_OK);
    EXPECT_EQ(engine.LastRoutine(), routines::CopyPlanar);
    EXPECT_TRUE(std::equal(planar.begin(), planar.end(), planarCopy.begin() + 1));
}

TEST(ScratchBuffers, KeepCapacityForTallerPicturesOfTheSameRowLength) {
    ScratchBuffers scratch;
    uint8_t* first = scratch.Reserve(ScratchBuffers::kPackedSlot, 16, 2);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(scratch.Capacity(ScratchBuffers::kPackedSlot), 32u);
    uint8_t* taller = scratch.Reserve(ScratchBuffers::kPackedSlot, 16, 50);
    ASSERT_NE(taller, nullptr);
    EXPECT_GE(scratch.Capacity(ScratchBuffers::kPackedSlot), 800u);
    // A shorter or narrower picture reuses the buffer without allocating.
    EXPECT_EQ(scratch.Reserve(ScratchBuffers::kPackedSlot, 8, 10), taller);
    EXPECT_EQ(scratch.RowLength(ScratchBuffers::kPackedSlot), 8u);
    EXPECT_EQ(scratch.Reserve(ScratchBuffers::kPackedSlot, 16, 50), taller);
    EXPECT_EQ(scratch.Reserve(ScratchBuffers::kPackedSlot, UINT64_MAX, 2), nullptr);
    EXPECT_EQ(scratch.Buffer(ScratchBuffers::kPackedSlot), nullptr);
}

// The same row length at a greater height: the slot must grow, not be
// overrun (AddressSanitizer watches the write). Y41P to I420 goes through a
// UYVY strip, the whole picture while it is at most 65 rows of this width.
TEST(ConvertFrame, GrowsAScratchSlotForATallerFrame) {
    ConversionEngine engine;
    const int width = 8;
    for (int height : {2, 40, 4, 64}) {
        std::vector<uint8_t> y41p(12 * height, 128);
        std::vector<uint8_t> i420(width * height * 3 / 2, 0);
        ASSERT_EQ(engine.ConvertFrame(y41p.data(), int64_t(y41p.size()), width, height, 12, Y41P, i420.data(),
                                      int64_t(i420.size()), width, height, width, I420),
                  S_OK);
        EXPECT_GE(engine.Scratch().Capacity(ScratchBuffers::kPackedSlot), uint64_t(width * 2 * height));
        EXPECT_EQ(i420[(height - 1) * width + width - 1], 128);
    }
}

TEST(ConvertFrame, ReportsAnAllocationFailureAndRecoversOnTheNextFrame) {
    ConversionEngine engine;
    std::vector<uint8_t> mosaic(8 * 4, 50);
    std::vector<uint8_t> yuy2(16 * 4, 0xEE);
    engine.Scratch().SetAllocationLimit(0);
    EXPECT_EQ(engine.ConvertFrame(mosaic.data(), 32, 8, 4, 8, BYGR, yuy2.data(), 64, 8, 4, 16, YUY2),
              E_OUTOFMEMORY);
    EXPECT_EQ(yuy2[0], 0xEE);
    EXPECT_EQ(engine.Scratch().Buffer(ScratchBuffers::kRgbSlot), nullptr);
    engine.Scratch().SetAllocationLimit(UINT64_MAX);
    EXPECT_EQ(engine.ConvertFrame(mosaic.data(), 32, 8, 4, 8, BYGR, yuy2.data(), 64, 8, 4, 16, YUY2), S_OK);
    EXPECT_EQ(yuy2[0], 16);  // the black border row
}

TEST(ConvertFrame, PassesKernelRefusalsOn) {
    ConversionEngine engine;
    // One pixel is below the 4:2:2 kernels' minimum width.
    std::vector<uint8_t> yuy2(4, 128);
    std::vector<uint8_t> rgb(3, 0xEE);
    EXPECT_EQ(engine.ConvertFrame(yuy2.data(), 4, 1, 1, 4, YUY2, rgb.data(), 3, 1, 1, 3, RGB24), E_FAIL);
    EXPECT_EQ(rgb[0], 0xEE);
}

// A planar picture handed over with a negative, padded stride: the pointer is
// on the last of rows |stride| apart and the buffer holds exactly those rows.
// The planes lie at the buffer's start and are read from the last luma row up,
// never past the buffer's end (the chroma planes used to be sought there).
TEST(ConvertFrame, ReadsPlanarPicturesWithANegativePaddedStrideInsideTheirBuffer) {
    ConversionEngine engine;
    const int32_t width = 8;
    const int32_t height = 4;
    const int32_t paddedStride = 16;
    std::vector<uint8_t> planes(static_cast<size_t>(paddedStride * height), 0);
    for (size_t index = 0; index < 48; ++index) {  // 8 x 4 luma, two 4 x 2 chroma planes
        planes[index] = static_cast<uint8_t>(40 + index * 4);
    }
    for (VideoFormatId sourceFormat : {YV12, I420}) {
        SCOPED_TRACE(sourceFormat);
        std::vector<uint8_t> forward(static_cast<size_t>(width * 4 * height), 0xEE);
        ASSERT_EQ(engine.ConvertFrame(planes.data(), 48, width, height, width, sourceFormat, forward.data(),
                                      static_cast<int64_t>(forward.size()), width, height, width * 4, RGB32),
                  S_OK);
        std::vector<uint8_t> backward(forward.size(), 0xEE);
        const uint8_t* lastRow = planes.data() + (height - 1) * paddedStride;
        ASSERT_EQ(engine.ConvertFrame(lastRow, static_cast<int64_t>(planes.size()), width, height,
                                      -paddedStride, sourceFormat, backward.data(),
                                      static_cast<int64_t>(backward.size()), width, height, width * 4, RGB32),
                  S_OK);
        // Rows walked the other way: the same rows in the opposite order.
        for (int32_t row = 0; row < height; ++row) {
            EXPECT_TRUE(std::equal(backward.begin() + row * width * 4,
                                   backward.begin() + (row + 1) * width * 4,
                                   forward.begin() + (height - 1 - row) * width * 4))
                << "row " << row;
        }
    }
}

}  // namespace
