// ConvertFrame over every pair of format ids (and ids outside the catalogue)
// with the geometry taken from the input: widths, heights and strides of
// either sign, buffer sizes that are exact, short, long or absurd. Each buffer
// is allocated at exactly the size passed, and a negative stride puts the
// pointer on the buffer's last row, as the engine's contract describes, so an
// access outside what the caller handed over is an AddressSanitizer report.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "FuzzBuffers.h"
#include "conversion/ConversionEngine.h"

namespace {

// Larger pictures only slow the run without reaching new code; this still
// holds pictures several times taller than one strip of the Bayer routines.
constexpr int64_t kMaximumBufferBytes = 1 << 18;

int32_t Dimension(FuzzedDataProvider& input) {
    switch (input.ConsumeIntegralInRange<int>(0, 3)) {
        case 0:
            return input.ConsumeIntegralInRange<int32_t>(-8, 40);
        case 1:
            return input.ConsumeIntegralInRange<int32_t>(-400, 400);
        case 2: {
            static const int32_t kExtremes[] = {INT32_MIN, INT32_MIN + 1, -65536,        -1,       0, 1,
                                                2,         65536,         INT32_MAX - 1, INT32_MAX};
            return kExtremes[input.ConsumeIntegralInRange<size_t>(
                0, sizeof(kExtremes) / sizeof(kExtremes[0]) - 1)];
        }
        default:
            return input.ConsumeIntegral<int32_t>();
    }
}

// A stride: derived from the row the format needs (plus padding, either
// sign), or any value.
int32_t Stride(FuzzedDataProvider& input, VideoFormatId format, int32_t width) {
    if (input.ConsumeBool()) {
        return Dimension(input);
    }
    int64_t row = VideoFormatCatalogue::MinimumRowBytes(format, width < 0 ? 0 : width);
    if (row < 0) {
        row = width;
    }
    row += input.ConsumeIntegralInRange<int32_t>(-4, 16);
    if (row > INT32_MAX || row < INT32_MIN + 1) {
        return 1;
    }
    return input.ConsumeBool() ? -static_cast<int32_t>(row) : static_cast<int32_t>(row);
}

int64_t Magnitude(int64_t value) {
    return value < 0 ? -value : value;
}

// The buffer size a caller claims: the rows, the planes, either with a small
// error, or any value.
int64_t ClaimedSize(FuzzedDataProvider& input, VideoFormatId format, int32_t width, int32_t height,
                    int32_t stride) {
    const int64_t rows = Magnitude(height) * Magnitude(stride);
    const int64_t planes =
        VideoFormatCatalogue::PlanarPictureBytes(format, width < 0 ? 0 : width, Magnitude(height));
    switch (input.ConsumeIntegralInRange<int>(0, 3)) {
        case 0:
            return rows;
        case 1:
            return (planes > rows ? planes : rows) + input.ConsumeIntegralInRange<int32_t>(-64, 64);
        case 2:
            return rows + input.ConsumeIntegralInRange<int32_t>(-64, 64);
        default:
            return input.ConsumeIntegral<int64_t>();
    }
}

// Where the caller's pointer lies in its block: on the first row processed,
// which for a negative stride is the block's last row.
size_t PointerOffset(int32_t height, int32_t stride, size_t blockSize) {
    if (stride >= 0) {
        return 0;
    }
    const int64_t offset = (Magnitude(height) - 1) * Magnitude(stride);
    if (offset <= 0) {
        return 0;
    }
    return offset < static_cast<int64_t>(blockSize) ? static_cast<size_t>(offset) : blockSize - 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static ConversionEngine engine;
    FuzzedDataProvider input(data, size);

    const VideoFormatId sourceFormat = input.ConsumeIntegralInRange<int32_t>(-1, VideoFormat::Count);
    const VideoFormatId destinationFormat = input.ConsumeIntegralInRange<int32_t>(-1, VideoFormat::Count);
    const int32_t width = Dimension(input);
    const int32_t sourceHeight = Dimension(input);
    const int32_t sourceStride = Stride(input, sourceFormat, width);
    const bool sameGeometry = input.ConsumeBool();
    const int32_t destinationWidth = sameGeometry ? width : Dimension(input);
    const int32_t destinationHeight = sameGeometry ? sourceHeight : Dimension(input);
    const int32_t destinationStride = Stride(input, destinationFormat, destinationWidth);
    const int64_t sourceSize = ClaimedSize(input, sourceFormat, width, sourceHeight, sourceStride);
    const int64_t destinationSize =
        ClaimedSize(input, destinationFormat, destinationWidth, destinationHeight, destinationStride);
    if (sourceSize > kMaximumBufferBytes || destinationSize > kMaximumBufferBytes) {
        return -1;
    }
    const std::vector<uint8_t> picture = input.ConsumeRemainingBytes<uint8_t>();

    fuzzing::ExactBuffer sourceBlock(sourceSize > 0 ? static_cast<size_t>(sourceSize) : 0, picture.data(),
                                     picture.size());
    fuzzing::ExactBuffer destinationBlock(destinationSize > 0 ? static_cast<size_t>(destinationSize) : 0,
                                          nullptr, 0);
    const uint8_t* source =
        sourceBlock.Data() + PointerOffset(sourceHeight, sourceStride, sourceBlock.Size());
    uint8_t* destination = destinationBlock.Data() +
                           PointerOffset(destinationHeight, destinationStride, destinationBlock.Size());

    // Replaying one input with KORVEL_FUZZ_VERBOSE set shows the call it makes.
    static const bool verbose = std::getenv("KORVEL_FUZZ_VERBOSE") != nullptr;
    if (verbose) {
        std::fprintf(stderr,
                     "ConvertFrame %d -> %d: width %d, source height %d stride %d size %lld (pointer +%zu), "
                     "destination width %d height %d stride %d size %lld (pointer +%zu)\n",
                     sourceFormat, destinationFormat, width, sourceHeight, sourceStride,
                     static_cast<long long>(sourceSize), static_cast<size_t>(source - sourceBlock.Data()),
                     destinationWidth, destinationHeight, destinationStride,
                     static_cast<long long>(destinationSize),
                     static_cast<size_t>(destination - destinationBlock.Data()));
    }
    const HRESULT result = engine.ConvertFrame(source, sourceSize, width, sourceHeight, sourceStride,
                                               sourceFormat, destination, destinationSize, destinationWidth,
                                               destinationHeight, destinationStride, destinationFormat);
    // Only the answers of the contract: converted, refused by the engine or by a
    // kernel (a 4:2:0 source one pixel wide has no even part), or no scratch.
    if (result != S_OK && result != E_INVALIDARG && result != E_FAIL && result != E_OUTOFMEMORY) {
        std::fprintf(
            stderr,
            "ConvertFrame returned 0x%08X: %d -> %d, width %d, source height %d stride %d size %lld, "
            "destination width %d height %d stride %d size %lld\n",
            static_cast<unsigned>(result), sourceFormat, destinationFormat, width, sourceHeight, sourceStride,
            static_cast<long long>(sourceSize), destinationWidth, destinationHeight, destinationStride,
            static_cast<long long>(destinationSize));
        std::abort();
    }
    // A refusal of the arguments leaves the destination as it was.
    if (result == E_INVALIDARG) {
        for (size_t index = 0; index < destinationBlock.Size(); ++index) {
            if (destinationBlock.Data()[index] != 0x5A) {
                std::abort();
            }
        }
    }
    return 0;
}
