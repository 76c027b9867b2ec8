// Media-type parsing and building with every field from the input: the major,
// sub and format types, a format block of exactly cbFormat bytes (short ones,
// VIDEOINFOHEADER bytes labelled VIDEOINFOHEADER2 and the other way round,
// absurd sizes and rates in the headers), a null block with a non-zero size,
// and outputs that already hold a block. Every built type is checked against
// the layout the builder promises and freed, so a leak is a report too.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "conversion/ConversionEngine.h"
#include "conversion/MediaTypeReader.h"

namespace {

// Large enough for a VIDEOINFO and then some; larger blocks add nothing.
constexpr size_t kMaximumBlockBytes = 2048;

#define KORVEL_EXPECT(condition)                                                          \
    do {                                                                                  \
        if (!(condition)) {                                                               \
            std::fprintf(stderr, "%s:%d: expected %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                 \
        }                                                                                 \
    } while (0)

GUID PickGuid(FuzzedDataProvider& input, const GUID* const* choices, size_t count) {
    const size_t pick = input.ConsumeIntegralInRange<size_t>(0, count);
    if (pick < count) {
        return *choices[pick];
    }
    GUID any = {};
    any.Data1 = input.ConsumeIntegral<uint32_t>();
    any.Data2 = input.ConsumeIntegral<uint16_t>();
    any.Data3 = input.ConsumeIntegral<uint16_t>();
    for (uint8_t& byte : any.Data4) {
        byte = input.ConsumeIntegral<uint8_t>();
    }
    return any;
}

GUID PickSubtype(FuzzedDataProvider& input) {
    const int32_t row = input.ConsumeIntegralInRange<int32_t>(-2, VideoFormat::Count);
    if (row >= 0 && row < VideoFormat::Count) {
        return *VideoFormatCatalogue::Row(row)->subtype;
    }
    if (row == -1) {
        return GUID_NULL;
    }
    static const GUID* const kNone[] = {&GUID_NULL};
    return PickGuid(input, kNone, 0);
}

// An input media type whose block the fuzzer writes byte for byte.
struct InputType {
    AM_MEDIA_TYPE type = {};
    std::vector<uint8_t> storage;  // exactly cbFormat bytes, so reading past them is a report

    explicit InputType(FuzzedDataProvider& input) {
        static const GUID* const kMajors[] = {&MEDIATYPE_Video};
        static const GUID* const kFormats[] = {&FORMAT_VideoInfo, &FORMAT_VideoInfo2, &FORMAT_WaveFormatEx,
                                               &GUID_NULL};
        type.majortype = PickGuid(input, kMajors, 1);
        type.subtype = PickSubtype(input);
        type.formattype = PickGuid(input, kFormats, 4);
        size_t blockBytes = 0;
        switch (input.ConsumeIntegralInRange<int>(0, 4)) {
            case 0:
                blockBytes = sizeof(VIDEOINFOHEADER);
                break;
            case 1:
                blockBytes = sizeof(VIDEOINFOHEADER2);
                break;
            case 2:
                blockBytes = sizeof(VIDEOINFO);
                break;
            default:
                blockBytes = input.ConsumeIntegralInRange<size_t>(0, kMaximumBlockBytes);
                break;
        }
        const bool nullBlock = input.ConsumeIntegralInRange<int>(0, 15) == 0;
        storage = input.ConsumeBytes<uint8_t>(blockBytes);
        storage.resize(blockBytes);
        // A null block with a size that claims one, or a block with its true size.
        type.cbFormat = static_cast<ULONG>(blockBytes);
        type.pbFormat = nullBlock || storage.empty() ? nullptr : storage.data();
        type.lSampleSize = input.ConsumeIntegral<ULONG>();
        type.bFixedSizeSamples = input.ConsumeBool();
    }
    InputType(const InputType&) = delete;
    InputType& operator=(const InputType&) = delete;
};

// What BuildOutputMediaType promises about a type it built.
void CheckBuilt(const AM_MEDIA_TYPE& output, VideoFormatId destination, bool useVideoInfo2) {
    const VideoFormatInfo* format = VideoFormatCatalogue::Row(destination);
    KORVEL_EXPECT(format != nullptr);
    KORVEL_EXPECT(output.pbFormat != nullptr);
    KORVEL_EXPECT(SameGuid(output.majortype, MEDIATYPE_Video));
    KORVEL_EXPECT(SameGuid(output.subtype, *format->subtype));
    const size_t expectedBytes = useVideoInfo2
                                     ? sizeof(VIDEOINFOHEADER2)
                                     : (format->hasPalette ? sizeof(VIDEOINFO) : sizeof(VIDEOINFOHEADER));
    KORVEL_EXPECT(output.cbFormat == expectedBytes);
    KORVEL_EXPECT(SameGuid(output.formattype, useVideoInfo2 ? FORMAT_VideoInfo2 : FORMAT_VideoInfo));
    // The built block reads back through the same reader, as the same format.
    const BITMAPINFOHEADER* header = BitmapHeaderOf(&output);
    KORVEL_EXPECT(header != nullptr);
    KORVEL_EXPECT(header->biSize == sizeof(BITMAPINFOHEADER));
    KORVEL_EXPECT(header->biWidth >= 0 && header->biHeight >= 0);
    KORVEL_EXPECT(output.lSampleSize == header->biSizeImage);
    KORVEL_EXPECT(FormatIdFromMediaType(&output) == destination);
    DWORD size = 0;
    KORVEL_EXPECT(ImageSizeOfHeader(destination, *header, &size) == S_OK && size == header->biSizeImage);
    if (format->planar != 0) {
        KORVEL_EXPECT(header->biHeight % 2 == 0);
    }
}

void Release(AM_MEDIA_TYPE& type) {
    CoTaskMemFree(type.pbFormat);
    type.pbFormat = nullptr;
    type.cbFormat = 0;
}

// An output that is empty, or already holds a block the builder must release.
void PrepareOutput(FuzzedDataProvider& input, AM_MEDIA_TYPE& output) {
    output = AM_MEDIA_TYPE{};
    if (input.ConsumeBool()) {
        output.cbFormat = input.ConsumeIntegralInRange<ULONG>(1, 256);
        output.pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(output.cbFormat));
        KORVEL_EXPECT(output.pbFormat != nullptr);
        std::memset(output.pbFormat, 0xA5, output.cbFormat);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const ConversionEngine engine;
    FuzzedDataProvider input(data, size);

    InputType source(input);
    InputType destination(input);

    // The readers.
    const VideoFormatId sourceFormat = FormatIdFromMediaType(&source.type);
    KORVEL_EXPECT(sourceFormat >= VideoFormat::Unknown && sourceFormat < VideoFormat::Count);
    const BITMAPINFOHEADER* header = BitmapHeaderOf(&source.type);
    if (header != nullptr) {
        DWORD imageSize = 0;
        ImageSizeOfHeader(sourceFormat, *header, &imageSize);
    }
    const int32_t count = engine.DestinationCountForMediaType(&source.type);
    KORVEL_EXPECT(count >= 0 && count <= VideoFormat::Count);
    const bool convertible = engine.CanConvert(&source.type, &destination.type);
    if (convertible) {
        KORVEL_EXPECT(engine.HasRoutine(sourceFormat, FormatIdFromMediaType(&destination.type)));
    }

    // The builders, each into an output that may already hold a block.
    AM_MEDIA_TYPE output = {};
    const bool useVideoInfo2 = input.ConsumeBool();
    PrepareOutput(input, output);
    const int32_t index = input.ConsumeIntegralInRange<int32_t>(-2, VideoFormat::Count + 1);
    HRESULT result = engine.OutputMediaTypeAt(&source.type, index, &output, useVideoInfo2);
    if (result == S_OK) {
        VideoFormatId expected = VideoFormat::Unknown;
        KORVEL_EXPECT(engine.DestinationAt(sourceFormat, index, &expected) == S_OK);
        CheckBuilt(output, expected, useVideoInfo2);
    } else {
        KORVEL_EXPECT(result == E_INVALIDARG || result == E_POINTER);
    }
    Release(output);

    PrepareOutput(input, output);
    const VideoFormatId built = input.ConsumeIntegralInRange<int32_t>(-1, VideoFormat::Count);
    result = engine.BuildOutputMediaType(&source.type, built, &output, useVideoInfo2);
    if (result == S_OK) {
        CheckBuilt(output, built, useVideoInfo2);
    } else {
        KORVEL_EXPECT(result == E_INVALIDARG);
    }
    Release(output);

    PrepareOutput(input, output);
    const int32_t width = input.ConsumeIntegral<int32_t>();
    const int32_t height = input.ConsumeIntegral<int32_t>();
    const double rate = input.ConsumeFloatingPoint<double>();
    result = engine.BuildOutputMediaTypeFromSize(built, width, height, rate, &output, !useVideoInfo2);
    if (result == S_OK) {
        CheckBuilt(output, built, !useVideoInfo2);
    } else {
        KORVEL_EXPECT(result == E_INVALIDARG);
    }
    Release(output);

    // Null arguments are refused, not followed.
    KORVEL_EXPECT(FormatIdFromMediaType(nullptr) == VideoFormat::Unknown);
    KORVEL_EXPECT(BitmapHeaderOf(nullptr) == nullptr);
    KORVEL_EXPECT(!engine.CanConvert(nullptr, &destination.type) &&
                  !engine.CanConvert(&source.type, nullptr));
    KORVEL_EXPECT(engine.OutputMediaTypeAt(&source.type, 0, nullptr, false) == E_INVALIDARG);
    KORVEL_EXPECT(engine.BuildOutputMediaType(nullptr, 0, &output, false) == E_POINTER);
    return 0;
}
