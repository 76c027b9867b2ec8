// Every kernel variant of every level this processor has, against the portable
// kernel byte for byte on random pictures of awkward shapes; and the level
// selection with its environment override.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "conversion/kernels/CpuFeatures.h"
#include "conversion/kernels/KernelTable.h"

namespace {

using namespace kernels;

typedef int32_t (*PackedKernel)(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                                int32_t destinationStride, int32_t width, int32_t height);

// A picture with padded rows, an offset from the allocation (to misalign it)
// and optionally a negative stride (first row last in memory).
struct Picture {
    std::vector<uint8_t> memory;
    uint8_t* first = nullptr;
    int32_t stride = 0;
    Picture(int32_t rowBytes, int32_t height, int32_t offset, bool bottomUp, uint8_t fill) {
        const int32_t pitch = rowBytes + 19;
        memory.assign(static_cast<size_t>(pitch) * height + offset + 64, fill);
        uint8_t* base = memory.data() + offset;
        first = bottomUp ? base + static_cast<ptrdiff_t>(pitch) * (height - 1) : base;
        stride = bottomUp ? -pitch : pitch;
    }
};

struct Shape {
    int32_t width;
    int32_t height;
    int32_t offset;
    bool bottomUp;
};

std::vector<Shape> AwkwardShapes(int32_t minimumWidth) {
    std::vector<Shape> shapes;
    const int32_t widths[] = {1,  2,  3,  5,  7,  8,  9,  15, 16, 17,  18,
                              23, 24, 31, 32, 33, 47, 63, 65, 97, 130, 641};
    const int32_t heights[] = {1, 2, 3, 7};
    int32_t turn = 0;
    for (int32_t width : widths) {
        if (width < minimumWidth) {
            continue;
        }
        for (int32_t height : heights) {
            shapes.push_back(Shape{width, height, turn % 5, (turn % 3) == 1});
            ++turn;
        }
    }
    return shapes;
}

void ExpectSameAsPortable(const char* name, PackedKernel variant, PackedKernel portable, int32_t sourceBytes,
                          int32_t destinationBytes, int32_t minimumWidth, int32_t level) {
    std::mt19937 random(12345);
    for (const Shape& shape : AwkwardShapes(minimumWidth)) {
        Picture source(shape.width * sourceBytes, shape.height, shape.offset, shape.bottomUp, 0);
        for (uint8_t& value : source.memory) {
            value = static_cast<uint8_t>(random());
        }
        Picture expected(shape.width * destinationBytes, shape.height, (shape.offset + 1) % 4, shape.bottomUp,
                         0xA5);
        Picture actual(shape.width * destinationBytes, shape.height, (shape.offset + 1) % 4, shape.bottomUp,
                       0xA5);
        const int32_t expectedStatus =
            portable(source.first, source.stride, expected.first, expected.stride, shape.width, shape.height);
        const int32_t actualStatus =
            variant(source.first, source.stride, actual.first, actual.stride, shape.width, shape.height);
        const std::string where = std::string(name) + " level " + std::to_string(level) + " " +
                                  std::to_string(shape.width) + "x" + std::to_string(shape.height) +
                                  " offset " + std::to_string(shape.offset) +
                                  (shape.bottomUp ? " bottom-up" : "");
        EXPECT_EQ(actualStatus, expectedStatus) << where;
        EXPECT_TRUE(actual.memory == expected.memory) << where;
    }
}

TEST(KernelVariantTest, EveryLevelMatchesThePortableKernelsExactly) {
    const KernelTable& portable = PortableKernelTable();
    for (int32_t level = 0; level <= ProcessorCpuLevel(); ++level) {
        const KernelTable& table = KernelTableForLevel(level);
        ExpectSameAsPortable("BGR24ToGrey", table.BGR24ToGrey, portable.BGR24ToGrey, 3, 1, 1, level);
        ExpectSameAsPortable("YUY2ToBGR24", table.YUY2ToBGR24, portable.YUY2ToBGR24, 2, 3, 2, level);
        ExpectSameAsPortable("CopyPlane8", table.CopyPlane8, portable.CopyPlane8, 1, 1, 1, level);
        ExpectSameAsPortable("BGR24ToYUY2", table.BGR24ToYUY2, portable.BGR24ToYUY2, 3, 2, 2, level);
    }
}

TEST(KernelVariantTest, VariantsRefuseWhatThePortableKernelsRefuse) {
    uint8_t source[64] = {};
    uint8_t destination[64];
    for (int32_t level = 0; level <= ProcessorCpuLevel(); ++level) {
        const KernelTable& table = KernelTableForLevel(level);
        std::fill(std::begin(destination), std::end(destination), uint8_t{0xEE});
        EXPECT_EQ(table.BGR24ToGrey(nullptr, 3, destination, 1, 1, 1), kNullPointer);
        EXPECT_EQ(table.BGR24ToGrey(source, 3, destination, 1, 0, 1), kBelowMinimumSize);
        EXPECT_EQ(table.YUY2ToBGR24(source, 4, nullptr, 6, 2, 1), kNullPointer);
        EXPECT_EQ(table.YUY2ToBGR24(source, 4, destination, 6, 1, 1), kBelowMinimumSize);
        EXPECT_EQ(table.YUY2ToBGR24(source, 4, destination, 6, 2, 0), kBelowMinimumSize);
        for (uint8_t value : destination) {
            EXPECT_EQ(value, 0xEE);
        }
    }
}

void SetLevelVariable(const char* value) {
#if defined(_WIN32)
    _putenv_s("KORVEL_CPU_LEVEL", value == nullptr ? "" : value);
#else
    if (value == nullptr) {
        unsetenv("KORVEL_CPU_LEVEL");
    } else {
        setenv("KORVEL_CPU_LEVEL", value, 1);
    }
#endif
}

TEST(KernelVariantTest, LevelFollowsTheFeatureMaskAndTheEnvironment) {
    const uint64_t mask = CpuFeatureMask();
    const int32_t processor = ProcessorCpuLevel();
    const int32_t expected = (mask & kFeatureSSE41) != 0   ? 3
                             : (mask & kFeatureSSSE3) != 0 ? 2
                             : (mask & kFeatureSSE3) != 0  ? 1
                                                           : 0;
    EXPECT_EQ(processor, expected);
#if defined(__x86_64__)
    // Every x86-64 processor has MMX, SSE and SSE2.
    EXPECT_EQ(mask & (kFeatureMMX | kFeatureSSE | kFeatureSSE2),
              uint64_t{kFeatureMMX | kFeatureSSE | kFeatureSSE2});
#endif
    EXPECT_EQ(mask & ~uint64_t{0xFF}, 0u);

    const char* saved = std::getenv("KORVEL_CPU_LEVEL");
    const std::string savedValue = saved == nullptr ? "" : saved;
    for (int32_t wanted = 0; wanted <= 3; ++wanted) {
        const std::string text = std::to_string(wanted);
        SetLevelVariable(text.c_str());
        SelectKernelTable();
        const int32_t level = wanted < processor ? wanted : processor;  // never above the processor
        EXPECT_EQ(CpuLevel(), level) << text;
        EXPECT_EQ(&ActiveKernelTable(), &KernelTableForLevel(level)) << text;
        EXPECT_EQ(CpuHasMovbe(), level == 2 && (mask & kFeatureMOVBE) != 0 ? 1 : 0) << text;
    }
    for (const char* ignored : {"4", "-1", "x", "12", ""}) {
        SetLevelVariable(ignored);
        SelectKernelTable();
        EXPECT_EQ(CpuLevel(), processor) << ignored;
    }
    SetLevelVariable(saved == nullptr ? nullptr : savedValue.c_str());
    SelectKernelTable();
}

}  // namespace
