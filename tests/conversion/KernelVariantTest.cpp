// Every kernel variant of every table this processor can run (each level, and
// the AVX2 table when it has AVX2) against the portable kernel byte for byte on
// random pictures of awkward shapes, with the same statuses and the same
// refusals; and the level selection with its environment override.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "KernelCases.h"
#include "conversion/kernels/CpuFeatures.h"
#include "conversion/kernels/KernelTable.h"

namespace {

using namespace kernels;
using namespace kernel_cases;

// A picture with padded rows, an offset from the allocation (to misalign it)
// and optionally a negative stride (first row last in memory).
struct Picture {
    std::vector<uint8_t> memory;
    uint8_t* first = nullptr;
    int32_t stride = 0;
    Picture(int32_t rowBytes, int32_t height, int32_t offset, bool bottomUp, uint8_t fill) {
        const int32_t pitch = rowBytes + 19;
        const int32_t rows = height < 1 ? 1 : height;
        memory.assign(static_cast<size_t>(pitch) * rows + offset + 64, fill);
        uint8_t* base = memory.data() + offset;
        first = bottomUp ? base + static_cast<ptrdiff_t>(pitch) * (rows - 1) : base;
        stride = bottomUp ? -pitch : pitch;
    }
};

struct Shape {
    int32_t width;
    int32_t height;
    int32_t offset;
    bool bottomUp;
};

std::vector<Shape> AwkwardShapes() {
    std::vector<Shape> shapes;
    const int32_t widths[] = {1,  2,  3,  5,  7,  8,  9,  15, 16, 17,  18,
                              23, 24, 31, 32, 33, 47, 63, 65, 97, 130, 641};
    const int32_t heights[] = {1, 2, 3, 7};
    int32_t turn = 0;
    for (int32_t width : widths) {
        for (int32_t height : heights) {
            shapes.push_back(Shape{width, height, turn % 5, (turn % 3) == 1});
            ++turn;
        }
    }
    // Sizes every kernel refuses.
    shapes.push_back(Shape{0, 3, 0, false});
    shapes.push_back(Shape{4, 0, 1, false});
    shapes.push_back(Shape{-2, 2, 2, false});
    return shapes;
}

int32_t Across(int32_t size, int32_t divisor) {
    return size < 1 ? 0 : (size + divisor - 1) / divisor;
}

// The pictures of one call: sources shared, destinations for the portable
// kernel and for the variant.
struct CallPictures {
    std::vector<Picture> sources;
    std::vector<Picture> expected;
    std::vector<Picture> actual;

    CallPictures(const KernelCase& kernel, const Shape& shape, std::mt19937& random) {
        int32_t index = 0;
        for (const PlaneShape& plane : kernel.sources) {
            sources.emplace_back(plane.bytes * Across(shape.width, plane.divisor),
                                 Across(shape.height, plane.divisor), (shape.offset + index++) % 5,
                                 shape.bottomUp, 0);
            for (uint8_t& value : sources.back().memory) {
                value = static_cast<uint8_t>(random());
            }
        }
        for (const PlaneShape& plane : kernel.destinations) {
            const int32_t offset = (shape.offset + 1 + index++) % 4;
            expected.emplace_back(plane.bytes * Across(shape.width, plane.divisor),
                                  Across(shape.height, plane.divisor), offset, shape.bottomUp, 0xA5);
            if (kernel.inPlace) {
                for (uint8_t& value : expected.back().memory) {
                    value = static_cast<uint8_t>(random());
                }
            }
            actual.push_back(expected.back());
            actual.back().first =
                actual.back().memory.data() + (expected.back().first - expected.back().memory.data());
        }
    }

    static CallPlanes PlanesOf(const std::vector<Picture>& in, const std::vector<Picture>& out) {
        CallPlanes planes;
        for (size_t i = 0; i < in.size(); ++i) {
            planes.in[i] = in[i].first;
            planes.inStrides[i] = in[i].stride;
        }
        for (size_t i = 0; i < out.size(); ++i) {
            planes.out[i] = out[i].first;
            planes.outStrides[i] = out[i].stride;
        }
        return planes;
    }
};

bool SameMemory(const std::vector<Picture>& a, const std::vector<Picture>& b) {
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].memory != b[i].memory) {
            return false;
        }
    }
    return true;
}

void ExpectSameAsPortable(const KernelCase& kernel, const KernelTable& table, const std::string& tableName) {
    std::mt19937 random(12345);
    for (const Shape& shape : AwkwardShapes()) {
        CallPictures pictures(kernel, shape, random);
        const CallPlanes expectedPlanes = CallPictures::PlanesOf(pictures.sources, pictures.expected);
        const CallPlanes actualPlanes = CallPictures::PlanesOf(pictures.sources, pictures.actual);
        const int32_t expectedStatus =
            kernel.invoke(PortableKernelTable(), expectedPlanes, shape.width, shape.height);
        const int32_t actualStatus = kernel.invoke(table, actualPlanes, shape.width, shape.height);
        const std::string where = std::string(kernel.name) + " " + tableName + " " +
                                  std::to_string(shape.width) + "x" + std::to_string(shape.height) +
                                  " offset " + std::to_string(shape.offset) +
                                  (shape.bottomUp ? " bottom-up" : "");
        EXPECT_EQ(actualStatus, expectedStatus) << where;
        EXPECT_TRUE(SameMemory(pictures.actual, pictures.expected)) << where;
        if (shape.width < 1 || shape.height < 1) {
            EXPECT_EQ(actualStatus, kBelowMinimumSize) << where;
        }
    }
    // Each pointer in turn null: the same refusal, nothing written.
    const Shape shape{33, 4, 1, false};
    const size_t pointers = kernel.sources.size() + kernel.destinations.size();
    for (size_t missing = 0; missing < pointers; ++missing) {
        CallPictures pictures(kernel, shape, random);
        const std::vector<Picture> before = pictures.actual;
        CallPlanes planes = CallPictures::PlanesOf(pictures.sources, pictures.actual);
        if (missing < kernel.sources.size()) {
            planes.in[missing] = nullptr;
        } else {
            planes.out[missing - kernel.sources.size()] = nullptr;
        }
        const std::string where =
            std::string(kernel.name) + " " + tableName + " null pointer " + std::to_string(missing);
        EXPECT_EQ(kernel.invoke(table, planes, shape.width, shape.height), kNullPointer) << where;
        EXPECT_TRUE(SameMemory(pictures.actual, before)) << where;
    }
}

// The tables to check and their names: each level this processor has, then
// the AVX2 table when it has AVX2.
std::vector<std::pair<const KernelTable*, std::string>> RunnableTables() {
    std::vector<std::pair<const KernelTable*, std::string>> tables;
    for (int32_t level = 0; level <= ProcessorCpuLevel(); ++level) {
        tables.emplace_back(&KernelTableForLevel(level), "level " + std::to_string(level));
    }
    if (ProcessorHasAvx2() != 0) {
        tables.emplace_back(&Avx2KernelTable(), "AVX2");
    }
    return tables;
}

class EveryKernel : public testing::TestWithParam<KernelCase> {};

TEST_P(EveryKernel, EveryTableMatchesThePortableKernelExactly) {
    for (const auto& table : RunnableTables()) {
        ExpectSameAsPortable(GetParam(), *table.first, table.second);
    }
}

INSTANTIATE_TEST_SUITE_P(KernelVariantTest, EveryKernel, testing::ValuesIn(AllKernels()),
                         [](const testing::TestParamInfo<KernelCase>& info) {
                             std::string name = info.param.name;
                             for (char& c : name) {
                                 if (c == ' ') {
                                     c = '_';
                                 }
                             }
                             return name;
                         });

// A picture whose rows end at the very end of its allocation: a variant that
// read or wrote past the last pixel of a row would leave the allocation (which
// AddressSanitizer reports) rather than land in padding.
TEST(KernelVariantTest, VectorStepsStayInsideTightRows) {
    const KernelCase kernels[] = {
        KORVEL_PACKED_CASE(BGR24ToYUY2, 3, 2),
        KORVEL_PACKED_CASE(BGRA32ToYUY2, 4, 2),
        KORVEL_PACKED_CASE(BGR24ToGrey, 3, 1),
        KORVEL_PACKED_CASE(BGRA32ToGrey, 4, 1),
        KORVEL_PACKED_CASE(UYVYToRGBTriplets, 2, 3),
        KORVEL_PACKED_CASE(YUY2ToBGR24, 2, 3),
        KORVEL_PACKED_CASE(SwapBytePairs, 2, 2),
        KORVEL_PACKED_CASE(GreyToBGR24, 1, 3),
        KORVEL_PACKED_CASE(UYVYToBGR24, 2, 3),
        KORVEL_LUMA_CASE(Packed422ToGrey, 0),
        KORVEL_LUMA_CASE(Packed422ToGrey, 1),
        CaseNamed("Y41PToBGR24"),
        CaseNamed("YVYUToBGR24"),
        CaseNamed("BGR24ToY41P"),
        CaseNamed("StreamPlane8"),
    };
    for (const auto& table : RunnableTables()) {
        for (const KernelCase& kernel : kernels) {
            for (int32_t width : {16, 32, 48, 64}) {
                const int32_t inBytes = kernel.sources[0].bytes * width;
                const int32_t outBytes = kernel.destinations[0].bytes * width;
                std::vector<uint8_t> in(static_cast<size_t>(inBytes), 0x80);
                std::vector<uint8_t> expected(static_cast<size_t>(outBytes), 0);
                std::vector<uint8_t> actual(static_cast<size_t>(outBytes), 0);
                CallPlanes planes;
                planes.in[0] = in.data();
                planes.inStrides[0] = inBytes;
                planes.out[0] = expected.data();
                planes.outStrides[0] = outBytes;
                EXPECT_EQ(kernel.invoke(PortableKernelTable(), planes, width, 1), kSuccess);
                planes.out[0] = actual.data();
                EXPECT_EQ(kernel.invoke(*table.first, planes, width, 1), kSuccess);
                EXPECT_EQ(actual, expected) << kernel.name << " " << table.second << " " << width;
            }
        }
    }
}

// The grey expansion's alpha: the given byte, the grey itself, or a refusal
// outside kGreyAlpha .. 255 that writes nothing, in every table.
TEST(KernelVariantTest, GreyExpansionAlphaIsTheGivenByteOrTheGrey) {
    const int32_t width = 37;
    std::vector<uint8_t> grey(static_cast<size_t>(width));
    for (int32_t x = 0; x < width; ++x) {
        grey[static_cast<size_t>(x)] = static_cast<uint8_t>(11 * x + 3);
    }
    for (const auto& table : RunnableTables()) {
        for (int32_t alpha : {kGreyAlpha, 0, 0x3C, 255}) {
            std::vector<uint8_t> out(static_cast<size_t>(4 * width), 0xEE);
            EXPECT_EQ(table.first->GreyToBGRA32(grey.data(), width, out.data(), 4 * width, width, 1, alpha),
                      kSuccess);
            for (int32_t x = 0; x < width; ++x) {
                const uint8_t value = grey[static_cast<size_t>(x)];
                const uint8_t* pixel = &out[static_cast<size_t>(4 * x)];
                EXPECT_EQ(pixel[0], value);
                EXPECT_EQ(pixel[1], value);
                EXPECT_EQ(pixel[2], value);
                EXPECT_EQ(pixel[3], alpha == kGreyAlpha ? value : static_cast<uint8_t>(alpha))
                    << table.second << " alpha " << alpha << " x " << x;
            }
        }
        for (int32_t alpha : {-2, 256, 1 << 20}) {
            std::vector<uint8_t> out(static_cast<size_t>(4 * width), 0xEE);
            EXPECT_EQ(table.first->GreyToBGRA32(grey.data(), width, out.data(), 4 * width, width, 1, alpha),
                      kBadChannelIndex)
                << table.second << " alpha " << alpha;
            EXPECT_EQ(out, std::vector<uint8_t>(static_cast<size_t>(4 * width), 0xEE)) << table.second;
        }
    }
}

// The in-place reorder reads one byte past each step: on a tight last row that
// byte must still belong to the row.
TEST(KernelVariantTest, InPlaceReorderStaysInsideATightRow) {
    static const uint8_t kTable[3] = {1, 2, 0};
    for (const auto& table : RunnableTables()) {
        for (int32_t width : {5, 6, 10, 11, 16, 21, 30, 31}) {
            std::vector<uint8_t> expected(static_cast<size_t>(3 * width));
            for (size_t i = 0; i < expected.size(); ++i) {
                expected[i] = static_cast<uint8_t>(7 * i + 1);
            }
            std::vector<uint8_t> actual = expected;
            EXPECT_EQ(PortableKernelTable().ReorderChannels3(expected.data(), 3 * width, width, 1, kTable),
                      kSuccess);
            EXPECT_EQ(table.first->ReorderChannels3(actual.data(), 3 * width, width, 1, kTable), kSuccess);
            EXPECT_EQ(actual, expected) << table.second << " " << width;
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
    // AVX2 implies everything below it.
    const int32_t avx2 = ProcessorHasAvx2();
    RecordProperty("ProcessorHasAvx2", avx2);  // which tables the other cases covered
    EXPECT_TRUE(avx2 == 0 || avx2 == 1);
    if (avx2 != 0) {
        EXPECT_EQ(processor, 3);
    }

    const char* saved = std::getenv("KORVEL_CPU_LEVEL");
    const std::string savedValue = saved == nullptr ? "" : saved;
    for (int32_t wanted = 0; wanted <= 3; ++wanted) {
        // A named level, 3 included, means that level's sets only: no AVX2.
        const std::string text = std::to_string(wanted);
        SetLevelVariable(text.c_str());
        SelectKernelTable();
        const int32_t level = wanted < processor ? wanted : processor;  // never above the processor
        EXPECT_EQ(CpuLevel(), level) << text;
        EXPECT_EQ(&ActiveKernelTable(), &KernelTableForLevel(level)) << text;
        EXPECT_EQ(CpuHasMovbe(), level == 2 && (mask & kFeatureMOVBE) != 0 ? 1 : 0) << text;
        EXPECT_EQ(CpuHasAvx2(), 0) << text;
    }
    for (const char* ignored : {"4", "-1", "x", "12", ""}) {
        // No level named: the processor's level, with AVX2 when it has it.
        SetLevelVariable(ignored);
        SelectKernelTable();
        EXPECT_EQ(CpuLevel(), processor) << ignored;
        EXPECT_EQ(CpuHasAvx2(), avx2) << ignored;
        EXPECT_EQ(&ActiveKernelTable(), avx2 != 0 ? &Avx2KernelTable() : &KernelTableForLevel(processor))
            << ignored;
    }
    SetLevelVariable(saved == nullptr ? nullptr : savedValue.c_str());
    SelectKernelTable();
}

}  // namespace
