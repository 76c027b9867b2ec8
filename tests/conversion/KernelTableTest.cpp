// The kernel layer: argument refusals and statuses of every portable kernel,
// and the dispatch seam a table of vector variants will use.
#include <gtest/gtest.h>

#include <vector>

#include "conversion/ConversionEngine.h"
#include "conversion/kernels/CpuFeatures.h"
#include "conversion/kernels/KernelTable.h"

namespace {

using namespace kernels;

// Enough memory for any small call; untouched checks look at its first bytes.
struct Buffers {
    std::vector<uint8_t> source = std::vector<uint8_t>(256, 9);
    std::vector<uint8_t> destination = std::vector<uint8_t>(256, 0xEE);
    uint8_t* planes[3];
    const uint8_t* sourcePlanes[3];
    int32_t strides[3] = {16, 8, 8};
    Buffers() {
        for (int i = 0; i < 3; ++i) {
            planes[i] = destination.data() + 64 * i;
            sourcePlanes[i] = source.data() + 64 * i;
        }
    }
    bool Untouched() const {
        for (uint8_t value : destination) {
            if (value != 0xEE) {
                return false;
            }
        }
        return true;
    }
};

// One call of one kernel with a given pointer set, width and height.
struct KernelCall {
    const char* name;
    int minimumWidth;
    int minimumHeight;
    int32_t (*call)(Buffers& buffers, bool nullSource, int32_t width, int32_t height);
};

const KernelTable& T() {
    return PortableKernelTable();
}

const uint8_t* Source(Buffers& b, bool null) {
    return null ? nullptr : b.source.data();
}

const KernelCall kCalls[] = {
    {"CopyPlane8", 1, 1,
     [](Buffers& b, bool n, int32_t w, int32_t h) {
         return T().CopyPlane8(Source(b, n), 16, b.destination.data(), 16, w, h);
     }},
    {"FillPlane8", 1, 1,
     [](Buffers& b, bool n, int32_t w, int32_t h) {
         return T().FillPlane8(1, n ? nullptr : b.destination.data(), 16, w, h);
     }},
    {"MergePlanes3", 1, 1,
     [](Buffers& b, bool n, int32_t w, int32_t h) {
         const uint8_t* planes[3] = {Source(b, n), b.source.data(), b.source.data()};
         return T().MergePlanes3(planes, b.strides, b.destination.data(), 48, w, h);
     }},
    {"MergePlanes4", 1, 1,
     [](Buffers& b, bool n, int32_t w, int32_t h) {
         const uint8_t* planes[4] = {b.source.data(), b.source.data(), b.source.data(), Source(b, n)};
         const int32_t strides[4] = {8, 8, 8, 8};
         return T().MergePlanes4(planes, strides, b.destination.data(), 32, w, h);
     }},
    {"ReorderChannels3", 1, 1,
     [](Buffers& b, bool n, int32_t w, int32_t h) {
         static const uint8_t table[3] = {2, 1, 0};
         return T().ReorderChannels3(n ? nullptr : b.destination.data(), 48, w, h, table);
     }},
    {"Planar420ToYUY2", 2, 2,
     [](Buffers& b, bool n, int32_t w, int32_t h) {
         const uint8_t* planes[3] = {b.source.data(), Source(b, n), b.source.data()};
         return T().Planar420ToYUY2(planes, b.strides, b.destination.data(), 32, w, h);
     }},
    {"Planar420ToUYVY", 2, 2,
     [](Buffers& b, bool n, int32_t w, int32_t h) {
         const uint8_t* planes[3] = {b.source.data(), b.source.data(), Source(b, n)};
         return T().Planar420ToUYVY(planes, b.strides, b.destination.data(), 32, w, h);
     }},
    {"YUY2ToPlanar420", 2, 2,
     [](Buffers& b, bool n, int32_t w, int32_t h) {
         return T().YUY2ToPlanar420(Source(b, n), 32, b.planes, b.strides, w, h);
     }},
    {"UYVYToPlanar420", 2, 2,
     [](Buffers& b, bool n, int32_t w, int32_t h) {
         return T().UYVYToPlanar420(Source(b, n), 32, b.planes, b.strides, w, h);
     }},
    {"SwapBytePairs", 2, 1,
     [](Buffers& b, bool n, int32_t w, int32_t h) {
         return T().SwapBytePairs(Source(b, n), 32, b.destination.data(), 32, w, h);
     }},
    {"BGR24ToYUY2", 2, 1,
     [](Buffers& b, bool n, int32_t w, int32_t h) {
         return T().BGR24ToYUY2(Source(b, n), 48, b.destination.data(), 32, w, h);
     }},
    {"BGRA32ToYUY2", 2, 1,
     [](Buffers& b, bool n, int32_t w, int32_t h) {
         return T().BGRA32ToYUY2(Source(b, n), 64, b.destination.data(), 32, w, h);
     }},
    {"BGR24ToPlanar420I420", 2, 2,
     [](Buffers& b, bool n, int32_t w, int32_t h) {
         return T().BGR24ToPlanar420I420(Source(b, n), 48, b.planes, b.strides, w, h);
     }},
    {"BGR24ToPlanar420YV12", 2, 2,
     [](Buffers& b, bool n, int32_t w, int32_t h) {
         return T().BGR24ToPlanar420YV12(Source(b, n), 48, b.planes, b.strides, w, h);
     }},
    {"BGRA32ToPlanar420I420", 2, 2,
     [](Buffers& b, bool n, int32_t w, int32_t h) {
         return T().BGRA32ToPlanar420I420(Source(b, n), 64, b.planes, b.strides, w, h);
     }},
    {"BGRA32ToPlanar420YV12", 2, 2,
     [](Buffers& b, bool n, int32_t w, int32_t h) {
         return T().BGRA32ToPlanar420YV12(Source(b, n), 64, b.planes, b.strides, w, h);
     }},
    {"BGR24ToGrey", 1, 1,
     [](Buffers& b, bool n, int32_t w, int32_t h) {
         return T().BGR24ToGrey(Source(b, n), 48, b.destination.data(), 16, w, h);
     }},
    {"BGRA32ToGrey", 1, 1,
     [](Buffers& b, bool n, int32_t w, int32_t h) {
         return T().BGRA32ToGrey(Source(b, n), 64, b.destination.data(), 16, w, h);
     }},
    {"UYVYToRGBTriplets", 1, 1,
     [](Buffers& b, bool n, int32_t w, int32_t h) {
         return T().UYVYToRGBTriplets(Source(b, n), 32, b.destination.data(), 48, w, h);
     }},
    {"UYVYToBGRA32", 1, 1,
     [](Buffers& b, bool n, int32_t w, int32_t h) {
         return T().UYVYToBGRA32(Source(b, n), 32, b.destination.data(), 64, w, h, 255);
     }},
    {"YUY2ToBGR24", 2, 1,
     [](Buffers& b, bool n, int32_t w, int32_t h) {
         return T().YUY2ToBGR24(Source(b, n), 32, b.destination.data(), 48, w, h);
     }},
    {"YUY2ToBGRA32", 2, 1,
     [](Buffers& b, bool n, int32_t w, int32_t h) {
         return T().YUY2ToBGRA32(Source(b, n), 32, b.destination.data(), 64, w, h, 255);
     }},
    {"Planar420ToBGR24", 1, 2,
     [](Buffers& b, bool n, int32_t w, int32_t h) {
         const uint8_t* planes[3] = {Source(b, n), b.source.data(), b.source.data()};
         return T().Planar420ToBGR24(planes, b.strides, b.destination.data(), 48, w, h);
     }},
};

void PrintTo(const KernelCall& kernel, std::ostream* out) {
    *out << kernel.name;
}

class PortableKernel : public ::testing::TestWithParam<KernelCall> {};

TEST_P(PortableKernel, RefusesNullPointersAndSmallPicturesWithoutWriting) {
    const KernelCall& kernel = GetParam();
    {
        Buffers buffers;
        EXPECT_EQ(kernel.call(buffers, true, 4, 4), kNullPointer);
        EXPECT_TRUE(buffers.Untouched());
    }
    for (const auto& size :
         {std::pair<int, int>{kernel.minimumWidth - 1, kernel.minimumHeight},
          std::pair<int, int>{kernel.minimumWidth, kernel.minimumHeight - 1}, std::pair<int, int>{-4, 4}}) {
        Buffers buffers;
        EXPECT_EQ(kernel.call(buffers, false, size.first, size.second), kBelowMinimumSize)
            << size.first << "x" << size.second;
        EXPECT_TRUE(buffers.Untouched());
    }
    // At a size every kernel fills, something is written (the in-place kernel
    // needs bytes that its exchange changes).
    Buffers buffers;
    buffers.destination[0] = 1;
    const std::vector<uint8_t> before = buffers.destination;
    EXPECT_EQ(kernel.call(buffers, false, 2, 2), kSuccess);
    EXPECT_NE(buffers.destination, before);
}

INSTANTIATE_TEST_SUITE_P(AllKernels, PortableKernel, ::testing::ValuesIn(kCalls),
                         [](const ::testing::TestParamInfo<KernelCall>& info) { return info.param.name; });

TEST(PortableKernels, ReorderChannels3RefusesBadStridesAndIndices) {
    std::vector<uint8_t> pixels = {1, 2, 3, 4, 5, 6};
    const uint8_t swap[3] = {2, 1, 0};
    const uint8_t bad[3] = {0, 3, 1};
    EXPECT_EQ(PortableKernelTable().ReorderChannels3(pixels.data(), 0, 2, 1, swap), kBadStride);
    EXPECT_EQ(PortableKernelTable().ReorderChannels3(pixels.data(), -6, 2, 1, swap), kBadStride);
    EXPECT_EQ(PortableKernelTable().ReorderChannels3(pixels.data(), 6, 2, 1, bad), kBadChannelIndex);
    EXPECT_EQ(pixels, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(PortableKernelTable().ReorderChannels3(pixels.data(), 6, 2, 1, swap), kSuccess);
    EXPECT_EQ(pixels, (std::vector<uint8_t>{3, 2, 1, 6, 5, 4}));
}

TEST(PortableKernels, Planar420KernelsReportOddSizesAfterTheEvenPart) {
    Buffers buffers;
    EXPECT_EQ(PortableKernelTable().BGR24ToPlanar420I420(buffers.source.data(), 48, buffers.planes,
                                                         buffers.strides, 3, 2),
              kOddSizeConverted);
    EXPECT_EQ(buffers.destination[1], buffers.destination[0]);  // luma of the even part written
    EXPECT_EQ(buffers.destination[2], 0xEE);                    // the odd column left alone
    EXPECT_EQ(PortableKernelTable().YUY2ToPlanar420(buffers.source.data(), 32, buffers.planes,
                                                    buffers.strides, 4, 3),
              kOddSizeConverted);
    EXPECT_EQ(PortableKernelTable().YUY2ToPlanar420(buffers.source.data(), 32, buffers.planes,
                                                    buffers.strides, 4, 2),
              kSuccess);
}

TEST(KernelDispatch, EveryEntryOfThePortableTableIsSet) {
    const void* const* entries = reinterpret_cast<const void* const*>(&PortableKernelTable());
    const size_t count = sizeof(KernelTable) / sizeof(void*);
    EXPECT_EQ(count, 48u);
    for (size_t i = 0; i < count; ++i) {
        EXPECT_NE(entries[i], nullptr) << i;
    }
}

int copyCalls = 0;
int32_t CountingCopy(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                     int32_t destinationStride, int32_t width, int32_t height) {
    ++copyCalls;
    return PortableKernelTable().CopyPlane8(source, sourceStride, destination, destinationStride, width,
                                            height);
}

TEST(KernelDispatch, RoutinesGoThroughTheActiveTable) {
    KernelTable counting = PortableKernelTable();
    counting.CopyPlane8 = CountingCopy;
    ForceKernelTable(&counting);
    ConversionEngine engine;
    std::vector<uint8_t> grey(16, 3);
    std::vector<uint8_t> copy(16, 0);
    copyCalls = 0;
    EXPECT_EQ(engine.ConvertFrame(grey.data(), 16, 4, 4, 4, VideoFormat::Y800, copy.data(), 16, 4, 4, 4,
                                  VideoFormat::RGB8),
              S_OK);
    ForceKernelTable(nullptr);
    EXPECT_EQ(copyCalls, 1);
    EXPECT_EQ(copy, grey);
    EXPECT_EQ(&ActiveKernelTable(),
              CpuHasAvx2() != 0 ? &Avx2KernelTable() : &KernelTableForLevel(CpuLevel()));
}

}  // namespace
