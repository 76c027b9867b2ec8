// Every conversion and both copies against the reference model, on random
// pictures at awkward sizes, in every combination of stride and height signs.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "PictureMemory.h"
#include "ReferenceConversion.h"
#include "conversion/ConversionEngine.h"

namespace {

using reference::Expect;

struct FamilyPair {
    VideoFormatId from;
    VideoFormatId to;
    std::string name;
};

std::vector<FamilyPair> AllFamilyPairs() {
    std::vector<FamilyPair> pairs;
#define KORVEL_PAIR(from, to) pairs.push_back({VideoFormat::from, VideoFormat::to, #from "To" #to});
    KORVEL_CONVERSION_ROUTINES(KORVEL_PAIR)
#undef KORVEL_PAIR
    for (VideoFormatId family :
         {VideoFormat::UYVY, VideoFormat::YUY2, VideoFormat::YVYU, VideoFormat::YV12, VideoFormat::I420,
          VideoFormat::Y41P, VideoFormat::RGB32, VideoFormat::RGB24, VideoFormat::Y800, VideoFormat::RGB8,
          VideoFormat::BYBG, VideoFormat::BYGB, VideoFormat::BYRG, VideoFormat::BYGR}) {
        pairs.push_back({family, family, std::string("CopyOf") + VideoFormatCatalogue::Row(family)->name});
    }
    return pairs;
}

void PrintTo(const FamilyPair& pair, std::ostream* out) {
    *out << pair.name;
}

struct Size {
    int width;
    int height;
};

// Kernels' minimum sizes, one row, odd widths, widths that are not a multiple
// of 8 for Y41P, and one wide enough for several Y41P groups and a remainder.
const Size kSizes[] = {{2, 2}, {3, 1}, {2, 1}, {5, 2}, {8, 2}, {13, 5}, {17, 4}, {26, 6}, {42, 3}, {64, 2}};

class RoutineMatrix : public ::testing::TestWithParam<FamilyPair> {};

bool IsPlanarFormat(VideoFormatId id) {
    return VideoFormatCatalogue::Row(id)->planar != 0;
}

TEST_P(RoutineMatrix, MatchesReferenceInEveryOrientation) {
    const FamilyPair pair = GetParam();
    ConversionEngine engine;  // shared across sizes: scratch slots are reused and regrown
    std::mt19937 random(static_cast<uint32_t>(pair.from * 31 + pair.to));
    const bool planarFrom = IsPlanarFormat(pair.from);
    const bool planarTo = IsPlanarFormat(pair.to);
    int cases = 0;
    for (const Size& size : kSizes) {
        if ((planarFrom || planarTo) && (size.height % 2) != 0) {
            continue;
        }
        for (int orientation = 0; orientation < 16; ++orientation) {
            const bool sourceNegativeStride = (orientation & 1) != 0;
            const bool sourceNegativeHeight = (orientation & 2) != 0;
            const bool destinationNegativeHeight = (orientation & 4) != 0;
            const bool destinationNegativeStride = (orientation & 8) != 0;
            const int width = size.width;
            const int height = size.height;
            const int sourceRowBytes = reference::PackedRowBytes(pair.from, width) + (orientation % 3);
            const int destinationRowBytes = reference::PackedRowBytes(pair.to, width) + 5;

            const reference::Planes source =
                reference::RandomPicture(pair.from, width, height, sourceRowBytes, random);
            reference::PictureMemory sourceMemory = reference::AllocatePicture(
                planarFrom, width, height, sourceRowBytes, sourceNegativeStride, 0);
            reference::StorePlanes(source, planarFrom, pair.from == VideoFormat::YV12, sourceMemory, width,
                                   height, sourceRowBytes, sourceNegativeStride);
            const uint8_t fill = static_cast<uint8_t>(0x5A + orientation);
            reference::PictureMemory destinationMemory = reference::AllocatePicture(
                planarTo, width, height, destinationRowBytes, destinationNegativeStride, fill);

            const HRESULT result = engine.ConvertFrame(
                sourceMemory.pointer, static_cast<int64_t>(sourceMemory.bytes.size()), width,
                sourceNegativeHeight ? -height : height, sourceMemory.stride, pair.from,
                destinationMemory.pointer, static_cast<int64_t>(destinationMemory.bytes.size()), width,
                destinationNegativeHeight ? -height : height, destinationMemory.stride, pair.to);
            SCOPED_TRACE(pair.name + " " + std::to_string(width) + "x" + std::to_string(height) +
                         " orientation " + std::to_string(orientation));
            ASSERT_EQ(result, S_OK);
            ASSERT_EQ(engine.LastRoutine(), engine.RoutineFor(pair.from, pair.to));

            const bool sourceTopDown =
                VideoFormatCatalogue::Row(pair.from)->topDown != 0 || sourceNegativeHeight;
            const bool destinationTopDown =
                VideoFormatCatalogue::Row(pair.to)->topDown != 0 || destinationNegativeHeight;
            const reference::Planes expected = reference::Convert(pair.from, source, pair.to, width, height,
                                                                  sourceRowBytes, destinationRowBytes);
            const reference::Planes actual = reference::LoadPlanes(
                destinationMemory, planarTo, pair.to == VideoFormat::YV12, width, height, destinationRowBytes,
                destinationNegativeStride, sourceTopDown != destinationTopDown);
            ASSERT_EQ(expected.size(), actual.size());
            int mismatches = 0;
            for (size_t plane = 0; plane < expected.size(); ++plane) {
                for (size_t at = 0; at < expected[plane].bytes.size() && mismatches < 5; ++at) {
                    const Expect expect = expected[plane].expect[at];
                    if (expect == Expect::Undefined) {
                        continue;
                    }
                    const uint8_t want = expect == Expect::Exact ? expected[plane].bytes[at] : fill;
                    if (actual[plane].bytes[at] != want) {
                        ++mismatches;
                        ADD_FAILURE()
                            << "plane " << plane << " row " << at / expected[plane].rowBytes << " byte "
                            << at % expected[plane].rowBytes << ": got " << int(actual[plane].bytes[at])
                            << ", want " << int(want) << (expect == Expect::Untouched ? " (untouched)" : "");
                    }
                }
            }
            ASSERT_EQ(mismatches, 0);
            ++cases;
        }
    }
    EXPECT_GT(cases, 0);
}

INSTANTIATE_TEST_SUITE_P(AllConversions, RoutineMatrix, ::testing::ValuesIn(AllFamilyPairs()),
                         [](const ::testing::TestParamInfo<FamilyPair>& info) { return info.param.name; });

TEST(RoutineMatrixCoverage, ListsAllConversionsAndCopies) {
    EXPECT_EQ(AllFamilyPairs().size(), 130u + 14u);
}

}  // namespace
