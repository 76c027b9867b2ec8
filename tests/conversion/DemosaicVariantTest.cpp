// The demosaic kernels (3-byte, 4-byte and grey pixels) of every table this
// processor can use (each level, and the AVX2 table where the processor has
// AVX2) against the portable kernels byte for byte: every phase, widths on both sides of each vector step and
// its overlapping last step, the border heights 1 to 3, row ranges,
// misaligned buffers and negative strides; and the refusals.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "conversion/kernels/CpuFeatures.h"
#include "conversion/kernels/KernelTable.h"

namespace {

using namespace kernels;

struct NamedTable {
    std::string name;
    const KernelTable* table;
};

std::vector<NamedTable> UsableTables() {
    std::vector<NamedTable> tables;
    for (int32_t level = 0; level <= ProcessorCpuLevel(); ++level) {
        tables.push_back({"level " + std::to_string(level), &KernelTableForLevel(level)});
    }
    if (ProcessorHasAvx2() != 0 && ProcessorCpuLevel() == 3) {
        tables.push_back({"AVX2", &Avx2KernelTable()});
    }
    return tables;
}

// Rows of rowBytes with 13 bytes of padding, starting 'offset' bytes into the
// allocation and followed by 64 guard bytes; bottom-up: first row last.
struct Picture {
    std::vector<uint8_t> memory;
    uint8_t* first = nullptr;
    int32_t stride = 0;
    Picture(int32_t rowBytes, int32_t rows, int32_t offset, bool bottomUp, uint8_t fill) {
        const int32_t pitch = rowBytes + 13;
        memory.assign(static_cast<size_t>(pitch) * rows + offset + 64, fill);
        uint8_t* base = memory.data() + offset;
        first = bottomUp ? base + static_cast<ptrdiff_t>(pitch) * (rows - 1) : base;
        stride = bottomUp ? -pitch : pitch;
    }
};

std::vector<int32_t> AwkwardWidths() {
    std::vector<int32_t> widths;
    for (int32_t width = 1; width <= 72; ++width) {
        widths.push_back(width);
    }
    for (int32_t width : {95, 96, 97, 98, 99, 130, 641, 1922}) {
        widths.push_back(width);
    }
    return widths;
}

// Runs the kernel of pixelBytes bytes a pixel: 3, 4 (with an alpha of its
// own) or 1 (grey).
int32_t RunKernel(const KernelTable& table, int32_t pixelBytes, const uint8_t* source, int32_t sourceStride,
                  uint8_t* destination, int32_t destinationStride, int32_t width, int32_t height,
                  int32_t phase, int32_t firstRow, int32_t rowCount) {
    if (pixelBytes == 4) {
        return table.DemosaicBayerBGRA(source, sourceStride, destination, destinationStride, width, height,
                                       phase, firstRow, rowCount, 0xC3);
    }
    if (pixelBytes == 1) {
        return table.DemosaicBayerGrey(source, sourceStride, destination, destinationStride, width, height,
                                       phase, firstRow, rowCount);
    }
    return table.DemosaicBayer(source, sourceStride, destination, destinationStride, width, height, phase,
                               firstRow, rowCount);
}

// Converts rows firstRow .. firstRow + rowCount - 1 with both kernels and
// compares the statuses and the whole destination allocations.
void ExpectSame(const NamedTable& named, int32_t pixelBytes, int32_t phase, int32_t width, int32_t height,
                int32_t firstRow, int32_t rowCount, int32_t turn, std::mt19937& random) {
    const bool sourceBottomUp = (turn % 3) == 1;
    const bool destinationBottomUp = (turn % 4) >= 2;
    Picture source(width, height, turn % 7, sourceBottomUp, 0);
    for (uint8_t& value : source.memory) {
        value = static_cast<uint8_t>(random());
    }
    Picture expected(width * pixelBytes, rowCount, (turn + 3) % 5, destinationBottomUp, 0xA5);
    Picture actual(width * pixelBytes, rowCount, (turn + 3) % 5, destinationBottomUp, 0xA5);
    const int32_t expectedStatus =
        RunKernel(PortableKernelTable(), pixelBytes, source.first, source.stride, expected.first,
                  expected.stride, width, height, phase, firstRow, rowCount);
    const int32_t actualStatus = RunKernel(*named.table, pixelBytes, source.first, source.stride, actual.first,
                                           actual.stride, width, height, phase, firstRow, rowCount);
    const std::string where = named.name + " " + std::to_string(pixelBytes) + " bytes, phase " +
                              std::to_string(phase) + " " + std::to_string(width) + "x" +
                              std::to_string(height) + " rows " + std::to_string(firstRow) + "+" +
                              std::to_string(rowCount) + " turn " + std::to_string(turn);
    ASSERT_EQ(expectedStatus, kSuccess) << where;
    ASSERT_EQ(actualStatus, expectedStatus) << where;
    ASSERT_TRUE(actual.memory == expected.memory) << where;
}

TEST(DemosaicVariantTest, EveryTableMatchesThePortableKernelOnWholePictures) {
    std::mt19937 random(2024);
    std::string names;
    for (const NamedTable& named : UsableTables()) {
        names += (names.empty() ? "" : ", ") + named.name;
    }
    RecordProperty("tables", names);  // in the XML report: which variants this machine ran
    for (const NamedTable& named : UsableTables()) {
        int32_t turn = 0;
        for (int32_t pixelBytes : {3, 4, 1}) {
            for (int32_t phase = 0; phase < 4; ++phase) {
                for (int32_t width : AwkwardWidths()) {
                    for (int32_t height : {1, 2, 3, 4, 5}) {
                        ExpectSame(named, pixelBytes, phase, width, height, 0, height, turn++, random);
                    }
                }
            }
        }
    }
}

TEST(DemosaicVariantTest, EveryTableMatchesThePortableKernelOnRowRanges) {
    std::mt19937 random(77);
    const struct {
        int32_t firstRow;
        int32_t rowCount;
    } ranges[] = {{0, 1}, {0, 2}, {1, 1}, {1, 4}, {2, 3}, {3, 4}, {6, 1}, {5, 2}};
    for (const NamedTable& named : UsableTables()) {
        int32_t turn = 0;
        for (int32_t pixelBytes : {3, 4, 1}) {
            for (int32_t phase = 0; phase < 4; ++phase) {
                for (int32_t width : {3, 17, 18, 19, 33, 34, 35, 50, 66, 67, 200}) {
                    for (const auto& range : ranges) {
                        ExpectSame(named, pixelBytes, phase, width, 7, range.firstRow, range.rowCount, turn++,
                                   random);
                    }
                }
            }
        }
    }
}

// The rounding of every neighbour sum: a mosaic of extreme values (0, 1, 254,
// 255) hits the half-way cases of the 2- and 4-neighbour averages often.
TEST(DemosaicVariantTest, EveryTableRoundsLikeThePortableKernel) {
    std::mt19937 random(5);
    const uint8_t extremes[] = {0, 1, 2, 3, 127, 128, 253, 254, 255};
    const int32_t width = 131;
    const int32_t height = 9;
    std::vector<uint8_t> mosaic(static_cast<size_t>(width) * height);
    for (uint8_t& value : mosaic) {
        value = extremes[random() % 9];
    }
    std::vector<uint8_t> expected(static_cast<size_t>(width) * 3 * height);
    for (const NamedTable& named : UsableTables()) {
        for (int32_t phase = 0; phase < 4; ++phase) {
            std::vector<uint8_t> actual(expected.size(), 0xEE);
            ASSERT_EQ(PortableKernelTable().DemosaicBayer(mosaic.data(), width, expected.data(), width * 3,
                                                          width, height, phase, 0, height),
                      kSuccess);
            ASSERT_EQ(named.table->DemosaicBayer(mosaic.data(), width, actual.data(), width * 3, width,
                                                 height, phase, 0, height),
                      kSuccess);
            EXPECT_TRUE(actual == expected) << named.name << " phase " << phase;
        }
        for (int32_t phase = 0; phase < 4; ++phase) {
            std::vector<uint8_t> expectedBgra(static_cast<size_t>(width) * 4 * height);
            std::vector<uint8_t> actualBgra(expectedBgra.size(), 0xEE);
            ASSERT_EQ(
                PortableKernelTable().DemosaicBayerBGRA(mosaic.data(), width, expectedBgra.data(), width * 4,
                                                        width, height, phase, 0, height, 255),
                kSuccess);
            ASSERT_EQ(named.table->DemosaicBayerBGRA(mosaic.data(), width, actualBgra.data(), width * 4,
                                                     width, height, phase, 0, height, 255),
                      kSuccess);
            EXPECT_TRUE(actualBgra == expectedBgra) << named.name << " BGRA phase " << phase;
        }
        for (int32_t phase = 0; phase < 4; ++phase) {
            std::vector<uint8_t> expectedGrey(static_cast<size_t>(width) * height);
            std::vector<uint8_t> actualGrey(expectedGrey.size(), 0xEE);
            ASSERT_EQ(PortableKernelTable().DemosaicBayerGrey(mosaic.data(), width, expectedGrey.data(), width,
                                                              width, height, phase, 0, height),
                      kSuccess);
            ASSERT_EQ(named.table->DemosaicBayerGrey(mosaic.data(), width, actualGrey.data(), width, width,
                                                     height, phase, 0, height),
                      kSuccess);
            EXPECT_TRUE(actualGrey == expectedGrey) << named.name << " grey phase " << phase;
        }
    }
}

TEST(DemosaicVariantTest, EveryTableRefusesBadArgumentsAndWritesNothing) {
    uint8_t source[64 * 4] = {};
    uint8_t destination[64 * 3 * 4];
    for (const NamedTable& named : UsableTables()) {
        const KernelTable& table = *named.table;
        std::fill(std::begin(destination), std::end(destination), uint8_t{0xEE});
        EXPECT_EQ(table.DemosaicBayer(nullptr, 64, destination, 192, 64, 4, 0, 0, 4), kNullPointer)
            << named.name;
        EXPECT_EQ(table.DemosaicBayer(source, 64, nullptr, 192, 64, 4, 0, 0, 4), kNullPointer) << named.name;
        EXPECT_EQ(table.DemosaicBayer(source, 64, destination, 192, 0, 4, 0, 0, 4), kBelowMinimumSize);
        EXPECT_EQ(table.DemosaicBayer(source, 64, destination, 192, 64, 0, 0, 0, 0), kBelowMinimumSize);
        EXPECT_EQ(table.DemosaicBayer(source, 64, destination, 192, -64, 4, 0, 0, 4), kBelowMinimumSize);
        EXPECT_EQ(table.DemosaicBayer(source, 64, destination, 192, 64, 4, 0, 0, 0), kBelowMinimumSize);
        EXPECT_EQ(table.DemosaicBayer(source, 64, destination, 192, 64, 4, 0, -1, 2), kBelowMinimumSize);
        EXPECT_EQ(table.DemosaicBayer(source, 64, destination, 192, 64, 4, 0, 3, 2), kBelowMinimumSize);
        EXPECT_EQ(table.DemosaicBayer(source, 64, destination, 192, 64, 4, 0, 0, 5), kBelowMinimumSize);
        EXPECT_EQ(table.DemosaicBayer(source, 64, destination, 192, 64, 4, 0, 2147483647, 2147483647),
                  kBelowMinimumSize);
        EXPECT_EQ(table.DemosaicBayer(source, 64, destination, 192, 64, 4, 4, 0, 4), kBadChannelIndex);
        EXPECT_EQ(table.DemosaicBayer(source, 64, destination, 192, 64, 4, -1, 0, 4), kBadChannelIndex);
        EXPECT_EQ(table.DemosaicBayerBGRA(nullptr, 64, destination, 256, 64, 3, 0, 0, 3, 255), kNullPointer);
        EXPECT_EQ(table.DemosaicBayerBGRA(source, 64, nullptr, 256, 64, 3, 0, 0, 3, 255), kNullPointer);
        EXPECT_EQ(table.DemosaicBayerBGRA(source, 64, destination, 256, 64, 3, 0, 1, 3, 255),
                  kBelowMinimumSize);
        EXPECT_EQ(table.DemosaicBayerBGRA(source, 64, destination, 256, 0, 3, 0, 0, 3, 255),
                  kBelowMinimumSize);
        EXPECT_EQ(table.DemosaicBayerBGRA(source, 64, destination, 256, 64, 3, 7, 0, 3, 255),
                  kBadChannelIndex);
        for (uint8_t value : destination) {
            ASSERT_EQ(value, 0xEE) << named.name;
        }
    }
}

// The vector variants sit at level 2 (SSSE3), level 3 inherits them, and the
// AVX2 table (built on every processor, used only where it has AVX2) has its own.
TEST(DemosaicVariantTest, TablesKeepTheirLevelsDemosaic) {
    EXPECT_EQ(KernelTableForLevel(1).DemosaicBayer, PortableKernelTable().DemosaicBayer);
    EXPECT_EQ(KernelTableForLevel(1).DemosaicBayerBGRA, PortableKernelTable().DemosaicBayerBGRA);
#if defined(__x86_64__) || defined(__i386__)
    EXPECT_NE(KernelTableForLevel(2).DemosaicBayer, PortableKernelTable().DemosaicBayer);
    EXPECT_EQ(KernelTableForLevel(3).DemosaicBayer, KernelTableForLevel(2).DemosaicBayer);
    EXPECT_NE(Avx2KernelTable().DemosaicBayer, KernelTableForLevel(3).DemosaicBayer);
    EXPECT_NE(KernelTableForLevel(2).DemosaicBayerBGRA, PortableKernelTable().DemosaicBayerBGRA);
    EXPECT_NE(Avx2KernelTable().DemosaicBayerBGRA, KernelTableForLevel(3).DemosaicBayerBGRA);
    EXPECT_NE(KernelTableForLevel(2).DemosaicBayerGrey, PortableKernelTable().DemosaicBayerGrey);
    EXPECT_NE(Avx2KernelTable().DemosaicBayerGrey, KernelTableForLevel(3).DemosaicBayerGrey);
#endif
}

}  // namespace
