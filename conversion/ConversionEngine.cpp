#include "conversion/ConversionEngine.h"

#include <cstddef>

#include "conversion/kernels/KernelTable.h"

namespace {

// Bayer rows take their missing colours from the rows above and below.
bool IsMosaic(const VideoFormatInfo& format) {
    return format.family >= VideoFormat::BYBG && format.family <= VideoFormat::BYGR;
}

int64_t Magnitude(int32_t value) {
    return value < 0 ? -static_cast<int64_t>(value) : value;
}

}  // namespace

ConversionEngine::ConversionEngine() {
    kernels::SelectKernelTable();
    BuildMatrix();
}

void ConversionEngine::BuildMatrix() {
    // First pass: same-family copies; NV12 has none.
    for (VideoFormatId source = 0; source < VideoFormat::Count; ++source) {
        const VideoFormatInfo* from = VideoFormatCatalogue::Row(source);
        for (VideoFormatId destination = 0; destination < VideoFormat::Count; ++destination) {
            const VideoFormatInfo* to = VideoFormatCatalogue::Row(destination);
            ConversionRoutine routine = nullptr;
            if (from->family == to->family) {
                if (from->planar == 0) {
                    routine = routines::CopyPacked;
                } else if (from->planarLayout == 4) {
                    routine = routines::CopyPlanar;
                }
            }
            matrix_[source][destination] = routine;
        }
    }
    // Second pass: each conversion pair of families, onto every member of both.
    struct FamilyPair {
        VideoFormatId sourceFamily;
        VideoFormatId destinationFamily;
        ConversionRoutine routine;
    };
#define KORVEL_FAMILY_PAIR(from, to) {VideoFormat::from, VideoFormat::to, routines::from##To##to},
    static const FamilyPair kPairs[] = {KORVEL_CONVERSION_ROUTINES(KORVEL_FAMILY_PAIR)};
#undef KORVEL_FAMILY_PAIR
    for (const FamilyPair& pair : kPairs) {
        for (VideoFormatId source = 0; source < VideoFormat::Count; ++source) {
            if (VideoFormatCatalogue::Row(source)->family != pair.sourceFamily) {
                continue;
            }
            for (VideoFormatId destination = 0; destination < VideoFormat::Count; ++destination) {
                if (VideoFormatCatalogue::Row(destination)->family == pair.destinationFamily) {
                    matrix_[source][destination] = pair.routine;
                }
            }
        }
    }
}

bool ConversionEngine::HasRoutine(VideoFormatId source, VideoFormatId destination) const {
    return RoutineFor(source, destination) != nullptr;
}

ConversionRoutine ConversionEngine::RoutineFor(VideoFormatId source, VideoFormatId destination) const {
    if (source < 0 || source >= VideoFormat::Count || destination < 0 || destination >= VideoFormat::Count) {
        return nullptr;
    }
    return matrix_[source][destination];
}

int32_t ConversionEngine::DestinationCount(VideoFormatId source) const {
    if (source < 0 || source >= VideoFormat::Count) {
        return 0;
    }
    int32_t count = 0;
    for (VideoFormatId destination = 0; destination < VideoFormat::Count; ++destination) {
        if (destination != source && matrix_[source][destination] != nullptr) {
            ++count;
        }
    }
    return count;
}

HRESULT ConversionEngine::DestinationAt(VideoFormatId source, int32_t index,
                                        VideoFormatId* destination) const {
    if (destination == nullptr || source < 0 || source >= VideoFormat::Count || index < 0) {
        return E_INVALIDARG;
    }
    int32_t seen = 0;
    for (VideoFormatId candidate = 0; candidate < VideoFormat::Count; ++candidate) {
        if (candidate == source || matrix_[source][candidate] == nullptr) {
            continue;
        }
        if (seen == index) {
            *destination = candidate;
            return S_OK;
        }
        ++seen;
    }
    return E_INVALIDARG;
}

HRESULT ConversionEngine::ConvertFrame(const uint8_t* source, int64_t sourceSize, int32_t width,
                                       int32_t sourceHeight, int32_t sourceStride, VideoFormatId sourceFormat,
                                       uint8_t* destination, int64_t destinationSize,
                                       int32_t destinationWidth, int32_t destinationHeight,
                                       int32_t destinationStride, VideoFormatId destinationFormat) {
    // Pointer arithmetic below must never start from a null pointer.
    if (source == nullptr || destination == nullptr) {
        return E_INVALIDARG;
    }
    if (width <= 0 || destinationWidth <= 0 || sourceHeight == 0 || sourceStride == 0 ||
        destinationHeight == 0 || destinationStride == 0) {
        return E_INVALIDARG;
    }
    // The most negative value has no positive counterpart to flip to.
    if (sourceHeight == INT32_MIN || sourceStride == INT32_MIN || destinationHeight == INT32_MIN ||
        destinationStride == INT32_MIN) {
        return E_INVALIDARG;
    }
    const VideoFormatInfo* from = VideoFormatCatalogue::Row(sourceFormat);
    const VideoFormatInfo* to = VideoFormatCatalogue::Row(destinationFormat);
    const ConversionRoutine routine = RoutineFor(sourceFormat, destinationFormat);
    if (from == nullptr || to == nullptr || routine == nullptr) {
        return E_INVALIDARG;
    }

    // Every size in 64 bits: a 32-bit stride times a 32-bit height cannot overflow.
    const int64_t sourceRows = Magnitude(sourceHeight);
    const int64_t destinationRows = Magnitude(destinationHeight);
    const int64_t sourceRowBytes = Magnitude(sourceStride);
    const int64_t destinationRowBytes = Magnitude(destinationStride);
    if (sourceSize < sourceRowBytes * sourceRows || destinationSize < destinationRowBytes * destinationRows) {
        return E_INVALIDARG;
    }
    // A stride shorter than one row of its format would carry the last row past
    // the buffer.
    if (sourceRowBytes < VideoFormatCatalogue::MinimumRowBytes(sourceFormat, width) ||
        destinationRowBytes < VideoFormatCatalogue::MinimumRowBytes(destinationFormat, destinationWidth)) {
        return E_INVALIDARG;
    }
    // The routine writes the source's width and height into the destination.
    if (destinationWidth < width || destinationRows < sourceRows) {
        return E_INVALIDARG;
    }
    if (from->planar != 0 &&
        sourceSize < VideoFormatCatalogue::PlanarPictureBytes(sourceFormat, width, sourceRows)) {
        return E_INVALIDARG;
    }
    if (to->planar != 0) {
        // The chroma planes' place depends on the height, so it must be the same.
        if (destinationRows != sourceRows ||
            destinationSize < VideoFormatCatalogue::PlanarPictureBytes(destinationFormat, destinationWidth,
                                                                       destinationRows)) {
            return E_INVALIDARG;
        }
    }
    if ((from->planar != 0 || to->planar != 0) && (sourceRows % 2) != 0) {
        return E_INVALIDARG;
    }

    // Planar pictures have no row padding: their stride is the luma width,
    // keeping the sign that says which way the rows run. With a negative
    // stride the caller's pointer lies on the last of rows |stride| apart; the
    // planes start at the buffer's lowest address, so the pointer moves to the
    // last luma row of width-long rows (else the chroma planes would be sought
    // past the end of the buffer).
    int32_t sourceStep = sourceStride;
    int32_t destinationStep = destinationStride;
    if (from->planar != 0) {
        sourceStep = sourceStride < 0 ? -width : width;
        if (sourceStride < 0) {
            source -= static_cast<ptrdiff_t>(sourceRows - 1) * (sourceRowBytes - width);
        }
    }
    if (to->planar != 0) {
        destinationStep = destinationStride < 0 ? -destinationWidth : destinationWidth;
        if (destinationStride < 0) {
            destination -=
                static_cast<ptrdiff_t>(destinationRows - 1) * (destinationRowBytes - destinationWidth);
        }
    }

    // The picture lands the right way up when the two orientations differ:
    // then the destination is walked from its last row.
    const bool sourceTopDown = from->topDown != 0 || sourceHeight < 0;
    const bool destinationTopDown = to->topDown != 0 || destinationHeight < 0;
    if (sourceTopDown != destinationTopDown) {
        if (to->planar != 0 && (to->planarLayout < 1 || to->planarLayout > 6)) {
            return E_INVALIDARG;
        }
        destination += static_cast<ptrdiff_t>(destinationRows - 1) * destinationStep;
        destinationStep = -destinationStep;
    }

    // Grey rows each depend only on the source row of the same index, so
    // they can be converted in any order. Writing the three or four times
    // larger RGB picture in descending addresses costs this machine about a
    // fifth of the speed, so a flipped destination is walked from its lowest
    // row and the source from its last. (Measured for the YUV sources as well:
    // there the arithmetic dominates and the order gained nothing.)
    if (destinationStep < 0 && from->bitsPerPixel == 8 && !IsMosaic(*from) && to->planar == 0) {
        source += static_cast<ptrdiff_t>(sourceRows - 1) * sourceStep;
        sourceStep = -sourceStep;
        destination += static_cast<ptrdiff_t>(sourceRows - 1) * destinationStep;
        destinationStep = -destinationStep;
    }

    lastRoutine_ = routine;
    return routine(source, sourceStep, destination, destinationStep, width, static_cast<int32_t>(sourceRows),
                   &scratch_);
}
