// Routines that convert in strips of rows, each strip while it is in the
// cache (the Bayer demosaic into anything but RGB and grey, Y41P into the 4:2:0
// formats): pictures tall and wide enough for several strips (and a short
// last one), through the engine under every kernel table this processor can
// use, against the reference model of the whole-picture conversion.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "PictureMemory.h"
#include "ReferenceConversion.h"
#include "conversion/ConversionEngine.h"
#include "conversion/kernels/CpuFeatures.h"
#include "conversion/kernels/KernelTable.h"

namespace {

using reference::Expect;
using namespace VideoFormat;

struct NamedTable {
    std::string name;
    const kernels::KernelTable* table;
};

std::vector<NamedTable> UsableTables() {
    std::vector<NamedTable> tables;
    for (int32_t level = 0; level <= kernels::ProcessorCpuLevel(); ++level) {
        tables.push_back({"level " + std::to_string(level), &kernels::KernelTableForLevel(level)});
    }
    if (kernels::ProcessorHasAvx2() != 0 && kernels::ProcessorCpuLevel() == 3) {
        tables.push_back({"AVX2", &kernels::Avx2KernelTable()});
    }
    return tables;
}

// Restores the selected table however the test ends.
struct ForcedTable {
    explicit ForcedTable(const kernels::KernelTable* table) { kernels::ForceKernelTable(table); }
    ~ForcedTable() { kernels::ForceKernelTable(nullptr); }
};

bool IsPlanarFormat(VideoFormatId id) {
    return VideoFormatCatalogue::Row(id)->planar != 0;
}

// Converts one random picture and compares every defined byte (and every byte
// that must stay untouched) with the model. Returns the number of mismatches.
int Mismatches(ConversionEngine& engine, VideoFormatId from, VideoFormatId to, int width, int height,
               bool flipSource, std::mt19937& random) {
    const bool planarFrom = IsPlanarFormat(from);
    const bool planarTo = IsPlanarFormat(to);
    const int sourceRowBytes = reference::PackedRowBytes(from, width) + 3;
    const int destinationRowBytes = reference::PackedRowBytes(to, width) + 7;
    const reference::Planes source = reference::RandomPicture(from, width, height, sourceRowBytes, random);
    reference::PictureMemory sourceMemory =
        reference::AllocatePicture(planarFrom, width, height, sourceRowBytes, flipSource, 0);
    reference::StorePlanes(source, planarFrom, from == YV12, sourceMemory, width, height, sourceRowBytes,
                           flipSource);
    const uint8_t fill = 0x6B;
    reference::PictureMemory destinationMemory =
        reference::AllocatePicture(planarTo, width, height, destinationRowBytes, false, fill);
    const HRESULT result = engine.ConvertFrame(
        sourceMemory.pointer, static_cast<int64_t>(sourceMemory.bytes.size()), width, height,
        sourceMemory.stride, from, destinationMemory.pointer,
        static_cast<int64_t>(destinationMemory.bytes.size()), width, height, destinationMemory.stride, to);
    EXPECT_EQ(result, S_OK);
    if (result != S_OK) {
        return 1;
    }
    const bool sourceTopDown = VideoFormatCatalogue::Row(from)->topDown != 0;
    const bool destinationTopDown = VideoFormatCatalogue::Row(to)->topDown != 0;
    const reference::Planes expected =
        reference::Convert(from, source, to, width, height, sourceRowBytes, destinationRowBytes);
    const reference::Planes actual =
        reference::LoadPlanes(destinationMemory, planarTo, to == YV12, width, height, destinationRowBytes,
                              false, sourceTopDown != destinationTopDown);
    int mismatches = 0;
    for (size_t plane = 0; plane < expected.size(); ++plane) {
        for (size_t at = 0; at < expected[plane].bytes.size(); ++at) {
            const Expect expect = expected[plane].expect[at];
            if (expect == Expect::Undefined) {
                continue;
            }
            const uint8_t want = expect == Expect::Exact ? expected[plane].bytes[at] : fill;
            if (actual[plane].bytes[at] != want && ++mismatches <= 3) {
                ADD_FAILURE() << "plane " << plane << " row " << at / expected[plane].rowBytes << " byte "
                              << at % expected[plane].rowBytes << ": got " << int(actual[plane].bytes[at])
                              << ", want " << int(want);
            }
        }
    }
    return mismatches;
}

TEST(StripRoutineTest, BayerEveryDestinationMatchesTheWholePictureModelUnderEveryTable) {
    const VideoFormatId sources[] = {BYBG, BYGB, BYRG, BYGR};
    const VideoFormatId destinations[] = {UYVY, YUY2, YVYU, YV12, I420, Y41P, RGB32, RGB24, Y800, RGB8};
    // Widths giving strips of 14 rows (1600), 2 rows (the smallest strip) and
    // one strip for the whole picture (21); heights with a short last strip,
    // one ending on a strip boundary, and a last odd row.
    const struct {
        int width;
        int height;
    } sizes[] = {{1600, 43}, {1600, 28}, {1600, 30}, {1600, 3}, {1600, 1}, {25000, 5}, {25000, 6}, {21, 9}};
    std::mt19937 random(99);
    for (const NamedTable& named : UsableTables()) {
        ForcedTable forced(named.table);
        ConversionEngine engine;
        int phase = 0;
        for (VideoFormatId to : destinations) {
            for (const auto& size : sizes) {
                if (IsPlanarFormat(to) && (size.height % 2) != 0) {
                    continue;  // the engine takes only even heights for 4:2:0
                }
                const VideoFormatId from = sources[phase];
                phase = (phase + 1) % 4;
                SCOPED_TRACE(named.name + " " + VideoFormatCatalogue::Row(from)->name + " to " +
                             VideoFormatCatalogue::Row(to)->name + " " + std::to_string(size.width) + "x" +
                             std::to_string(size.height));
                ASSERT_EQ(Mismatches(engine, from, to, size.width, size.height, (phase & 1) != 0, random), 0);
            }
        }
    }
}

// Y41P to 4:2:0 and 4:2:0 to Y41P go through UYVY strips of 96 KB: widths
// giving strips of 24 rows (2048), the smallest strip (25000) and one strip
// for the whole picture (40); heights with a short last strip, one ending on
// a strip boundary, and one just past it.
TEST(StripRoutineTest, Y41PAndPlanarMatchTheWholePictureModelUnderEveryTable) {
    const struct {
        int width;
        int height;
    } sizes[] = {{2048, 50}, {2048, 48}, {2048, 26}, {2048, 2}, {25000, 6}, {40, 10}};
    std::mt19937 random(7);
    for (const NamedTable& named : UsableTables()) {
        ForcedTable forced(named.table);
        ConversionEngine engine;
        const VideoFormatId pairs[][2] = {{Y41P, YV12}, {Y41P, I420}, {YV12, Y41P}, {I420, Y41P}};
        for (const auto& pair : pairs) {
            for (const auto& size : sizes) {
                SCOPED_TRACE(named.name + " " + VideoFormatCatalogue::Row(pair[0])->name + " to " +
                             VideoFormatCatalogue::Row(pair[1])->name + " " + std::to_string(size.width) +
                             "x" + std::to_string(size.height));
                ASSERT_EQ(Mismatches(engine, pair[0], pair[1], size.width, size.height, size.height % 4 == 0,
                                     random),
                          0);
            }
        }
    }
}

// Every strip after the first reuses the first one's scratch: a frame that
// cannot have its strip reports E_OUTOFMEMORY with the destination untouched,
// and the next frame converts.
TEST(StripRoutineTest, BayerAStripThatCannotBeReservedWritesNothing) {
    ConversionEngine engine;
    const int width = 1600;
    const int height = 40;
    std::vector<uint8_t> mosaic(size_t(width) * height, 90);
    std::vector<uint8_t> yuy2(size_t(width) * 2 * height, 0xEE);
    engine.Scratch().SetAllocationLimit(4 * width);  // one row of the RGB slot, less than a strip
    EXPECT_EQ(engine.ConvertFrame(mosaic.data(), int64_t(mosaic.size()), width, height, width, BYRG,
                                  yuy2.data(), int64_t(yuy2.size()), width, height, width * 2, YUY2),
              E_OUTOFMEMORY);
    for (uint8_t value : yuy2) {
        ASSERT_EQ(value, 0xEE);
    }
    engine.Scratch().SetAllocationLimit(UINT64_MAX);
    EXPECT_EQ(engine.ConvertFrame(mosaic.data(), int64_t(mosaic.size()), width, height, width, BYRG,
                                  yuy2.data(), int64_t(yuy2.size()), width, height, width * 2, YUY2),
              S_OK);
    // A grey mosaic demosaics to grey inside a black border.
    const uint8_t black[6] = {0, 0, 0, 0, 0, 0};
    const uint8_t grey[6] = {90, 90, 90, 90, 90, 90};
    uint8_t blackPair[4] = {};
    uint8_t greyPair[4] = {};
    ASSERT_EQ(engine.ConvertFrame(black, 6, 2, 1, 6, RGB24, blackPair, 4, 2, 1, 4, YUY2), S_OK);
    ASSERT_EQ(engine.ConvertFrame(grey, 6, 2, 1, 6, RGB24, greyPair, 4, 2, 1, 4, YUY2), S_OK);
    EXPECT_EQ(yuy2[0], blackPair[0]);
    EXPECT_TRUE(std::equal(greyPair, greyPair + 4, yuy2.data() + size_t(width) * 2 * 20 + 800));
    EXPECT_LT(engine.Scratch().Capacity(ScratchBuffers::kRgbSlot), uint64_t(4) * width * height);
}

}  // namespace
