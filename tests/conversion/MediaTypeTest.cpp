// The media-type side of the engine: reading media types and the byte layout
// of built ones, on the real Windows structures under Wine and on their
// layout-identical stand-ins natively.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "conversion/ConversionEngine.h"
#include "conversion/MediaTypeReader.h"
#include "conversion/PortableMediaTypes.h"

namespace {

using namespace VideoFormat;

// FOURCC subtypes that uuids.h does not declare.
GUID FourccGuid(uint32_t fourcc) {
    return GUID{fourcc, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
}

// An input media type holding a VIDEOINFOHEADER or VIDEOINFOHEADER2.
struct InputType {
    AM_MEDIA_TYPE type = {};
    std::vector<BYTE> block;

    InputType(const GUID& subtype, LONG width, LONG height, bool videoInfo2 = false, WORD bitCount = 0) {
        block.assign(videoInfo2 ? sizeof(VIDEOINFOHEADER2) : sizeof(VIDEOINFOHEADER), 0);
        type.majortype = MEDIATYPE_Video;
        type.subtype = subtype;
        type.formattype = videoInfo2 ? FORMAT_VideoInfo2 : FORMAT_VideoInfo;
        type.cbFormat = static_cast<ULONG>(block.size());
        type.pbFormat = block.data();
        Header().biSize = sizeof(BITMAPINFOHEADER);
        Header().biWidth = width;
        Header().biHeight = height;
        Header().biBitCount = bitCount;
    }
    BITMAPINFOHEADER& Header() {
        return IsEqualGUID(type.formattype, FORMAT_VideoInfo2)
                   ? reinterpret_cast<VIDEOINFOHEADER2*>(block.data())->bmiHeader
                   : reinterpret_cast<VIDEOINFOHEADER*>(block.data())->bmiHeader;
    }
    VIDEOINFOHEADER& Video() { return *reinterpret_cast<VIDEOINFOHEADER*>(block.data()); }
};

struct OutputType {
    AM_MEDIA_TYPE type = {};
    ~OutputType() { CoTaskMemFree(type.pbFormat); }
    const VIDEOINFOHEADER& Video() const { return *reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat); }
    const VIDEOINFOHEADER2& Video2() const {
        return *reinterpret_cast<const VIDEOINFOHEADER2*>(type.pbFormat);
    }
    const BITMAPINFOHEADER& Header() const {
        return IsEqualGUID(type.formattype, FORMAT_VideoInfo2) ? Video2().bmiHeader : Video().bmiHeader;
    }
};

TEST(MediaTypeLayouts, HaveTheSizesTheBuilderAllocates) {
    EXPECT_EQ(sizeof(VIDEOINFOHEADER), 88u);
    EXPECT_EQ(sizeof(VIDEOINFOHEADER2), 112u);
    EXPECT_EQ(sizeof(VIDEOINFO), 1128u);
    EXPECT_EQ(sizeof(GUID), 16u);
}

TEST(FormatIdFromMediaType, MatchesThePlatformSubtypes) {
    const struct {
        const GUID* subtype;
        VideoFormatId id;
    } cases[] = {{&MEDIASUBTYPE_UYVY, UYVY},     {&MEDIASUBTYPE_YUY2, YUY2},   {&MEDIASUBTYPE_YUYV, YUYV},
                 {&MEDIASUBTYPE_YVYU, YVYU},     {&MEDIASUBTYPE_YV12, YV12},   {&MEDIASUBTYPE_IYUV, IYUV},
                 {&MEDIASUBTYPE_NV12, NV12},     {&MEDIASUBTYPE_Y41P, Y41P},   {&MEDIASUBTYPE_RGB32, RGB32},
                 {&MEDIASUBTYPE_ARGB32, ARGB32}, {&MEDIASUBTYPE_RGB24, RGB24}, {&MEDIASUBTYPE_RGB8, RGB8}};
    for (const auto& c : cases) {
        InputType input(*c.subtype, 64, 48);
        EXPECT_EQ(FormatIdFromMediaType(&input.type), c.id);
        EXPECT_TRUE(IsEqualGUID(*VideoFormatCatalogue::Row(c.id)->subtype, *c.subtype)) << c.id;
    }
    InputType y8(FourccGuid(MakeFourcc('Y', '8', ' ', ' ')), 64, 48, true);
    EXPECT_EQ(FormatIdFromMediaType(&y8.type), Y8);
    InputType orby(FourccGuid(MakeFourcc('O', 'R', 'B', 'Y')), 64, 48);
    EXPECT_EQ(FormatIdFromMediaType(&orby.type), ORBY);
    EXPECT_EQ(VideoFormatCatalogue::Row(ORBY)->family, BYBG);
}

TEST(FormatIdFromMediaType, ReadsBiCompressionOnlyWithANullSubtypeAndAHeader) {
    InputType rgb(GUID_NULL, 64, 48);
    rgb.Header().biCompression = BI_RGB;
    EXPECT_EQ(FormatIdFromMediaType(&rgb.type), RGB8);
    rgb.Header().biCompression = MakeFourcc('G', 'R', 'E', 'Y');
    EXPECT_EQ(FormatIdFromMediaType(&rgb.type), GREY);
    AM_MEDIA_TYPE bare = {};
    EXPECT_EQ(FormatIdFromMediaType(&bare), -1);
    EXPECT_EQ(FormatIdFromMediaType(nullptr), -1);
}

TEST(BitmapHeaderOf, RefusesBlocksShorterThanTheirHeader) {
    InputType info(MEDIASUBTYPE_RGB24, 64, 48);
    EXPECT_NE(BitmapHeaderOf(&info.type), nullptr);
    info.type.cbFormat = sizeof(VIDEOINFOHEADER) - 1;
    EXPECT_EQ(BitmapHeaderOf(&info.type), nullptr);
    InputType info2(MEDIASUBTYPE_RGB24, 64, 48, true);
    EXPECT_NE(BitmapHeaderOf(&info2.type), nullptr);
    info2.type.cbFormat = sizeof(VIDEOINFOHEADER);  // a VIDEOINFOHEADER's worth is not enough
    EXPECT_EQ(BitmapHeaderOf(&info2.type), nullptr);
    // Without a readable header a null subtype cannot be resolved.
    info2.type.subtype = GUID_NULL;
    EXPECT_EQ(FormatIdFromMediaType(&info2.type), -1);
    info.type.formattype = FORMAT_WaveFormatEx;
    info.type.cbFormat = sizeof(VIDEOINFOHEADER);
    EXPECT_EQ(BitmapHeaderOf(&info.type), nullptr);
}

TEST(BuildOutputMediaType, PadsRgb24WidthAndSizesTheImage) {
    ConversionEngine engine;
    InputType input(MEDIASUBTYPE_RGB24, 641, 480, false, 24);
    input.Header().biXPelsPerMeter = 11;
    input.Header().biYPelsPerMeter = 12;
    OutputType output;
    ASSERT_EQ(engine.BuildOutputMediaType(&input.type, RGB24, &output.type, false), S_OK);
    EXPECT_EQ(output.type.cbFormat, 88u);
    EXPECT_TRUE(IsEqualGUID(output.type.majortype, MEDIATYPE_Video));
    EXPECT_TRUE(IsEqualGUID(output.type.subtype, MEDIASUBTYPE_RGB24));
    EXPECT_TRUE(IsEqualGUID(output.type.formattype, FORMAT_VideoInfo));
    EXPECT_TRUE(output.type.bFixedSizeSamples);
    EXPECT_FALSE(output.type.bTemporalCompression);
    EXPECT_EQ(output.type.pUnk, nullptr);
    const BITMAPINFOHEADER& header = output.Header();
    EXPECT_EQ(header.biSize, 40u);
    EXPECT_EQ(header.biPlanes, 1);
    EXPECT_EQ(header.biBitCount, 24);
    EXPECT_EQ(header.biCompression, 0u);
    EXPECT_EQ(header.biWidth, 644);
    EXPECT_EQ(header.biHeight, 480);
    EXPECT_EQ(header.biSizeImage, 1932u * 480u);
    EXPECT_EQ(output.type.lSampleSize, 1932u * 480u);
    EXPECT_EQ(header.biXPelsPerMeter, 11);
    EXPECT_EQ(header.biYPelsPerMeter, 12);
    EXPECT_EQ(header.biClrUsed, 0u);
    const RECT& source = output.Video().rcSource;
    EXPECT_EQ(source.right, 644);
    EXPECT_EQ(source.bottom, 480);
}

TEST(BuildOutputMediaType, WritesTheGreyPaletteOnlyIntoVideoInfo) {
    ConversionEngine engine;
    InputType input(FourccGuid(MakeFourcc('Y', '8', '0', '0')), 640, 480, false, 8);
    OutputType palette;
    ASSERT_EQ(engine.BuildOutputMediaType(&input.type, RGB8, &palette.type, false), S_OK);
    EXPECT_EQ(palette.type.cbFormat, 1128u);
    const VIDEOINFO* info = reinterpret_cast<const VIDEOINFO*>(palette.type.pbFormat);
    EXPECT_EQ(info->bmiHeader.biClrUsed, 255u);
    EXPECT_EQ(info->bmiHeader.biClrImportant, 255u);
    for (int entry = 0; entry < 256; ++entry) {
        EXPECT_EQ(info->bmiColors[entry].rgbBlue, entry);
        EXPECT_EQ(info->bmiColors[entry].rgbGreen, entry);
        EXPECT_EQ(info->bmiColors[entry].rgbRed, entry);
        EXPECT_EQ(info->bmiColors[entry].rgbReserved, 0);
    }
    OutputType noPalette;
    ASSERT_EQ(engine.BuildOutputMediaType(&input.type, RGB8, &noPalette.type, true), S_OK);
    EXPECT_EQ(noPalette.type.cbFormat, 112u);
    EXPECT_TRUE(IsEqualGUID(noPalette.type.formattype, FORMAT_VideoInfo2));
    EXPECT_EQ(noPalette.Header().biClrUsed, 0u);
}

TEST(BuildOutputMediaType, RaisesPlanarHeightsToEvenAndSizesThePlanes) {
    ConversionEngine engine;
    InputType input(MEDIASUBTYPE_RGB24, 641, -481, false, 24);
    OutputType output;
    ASSERT_EQ(engine.BuildOutputMediaType(&input.type, YV12, &output.type, false), S_OK);
    EXPECT_EQ(output.Header().biWidth, 642);
    EXPECT_EQ(output.Header().biHeight, 482);
    EXPECT_EQ(output.Header().biCompression, MakeFourcc('Y', 'V', '1', '2'));
    EXPECT_EQ(output.Header().biBitCount, 12);
    EXPECT_EQ(output.Header().biSizeImage, 642u * 482u + 321u * 241u * 2u);
    OutputType y41p;
    ASSERT_EQ(engine.BuildOutputMediaType(&input.type, Y41P, &y41p.type, false), S_OK);
    EXPECT_EQ(y41p.Header().biWidth, 648);
    EXPECT_EQ(y41p.Header().biHeight, 481);
    EXPECT_EQ(y41p.Header().biSizeImage, 972u * 481u);
}

TEST(BuildOutputMediaType, ScalesOrDerivesTheBitRate) {
    ConversionEngine engine;
    InputType input(FourccGuid(MakeFourcc('Y', '8', '0', '0')), 640, 480, false, 8);
    input.Video().dwBitRate = 1000000;
    input.Video().AvgTimePerFrame = 333333;
    input.Video().dwBitErrorRate = 7;
    OutputType scaled;
    ASSERT_EQ(engine.BuildOutputMediaType(&input.type, RGB24, &scaled.type, false), S_OK);
    EXPECT_EQ(scaled.Video().dwBitRate, 3000000u);
    EXPECT_EQ(scaled.Video().dwBitErrorRate, 7u);
    EXPECT_EQ(scaled.Video().AvgTimePerFrame, 333333);
    input.Video().dwBitRate = 0;
    OutputType derived;
    ASSERT_EQ(engine.BuildOutputMediaType(&input.type, RGB24, &derived.type, false), S_OK);
    // 1000 / 33 ms x 921600 bytes x 8 bits
    EXPECT_EQ(derived.Video().dwBitRate, DWORD(1000.0 / 33 * (921600.0 * 8)));
    // A frame time below a millisecond has no whole-millisecond rate.
    input.Video().AvgTimePerFrame = 5000;
    OutputType tiny;
    ASSERT_EQ(engine.BuildOutputMediaType(&input.type, RGB24, &tiny.type, false), S_OK);
    EXPECT_EQ(tiny.Video().dwBitRate, 0u);
}

TEST(BuildOutputMediaType, CopiesVideoInfo2FieldsOnlyFromVideoInfo2) {
    ConversionEngine engine;
    InputType input(MEDIASUBTYPE_YUY2, 320, 240, true, 16);
    VIDEOINFOHEADER2& video = *reinterpret_cast<VIDEOINFOHEADER2*>(input.block.data());
    video.dwInterlaceFlags = 1;
    video.dwCopyProtectFlags = 2;
    video.dwPictAspectRatioX = 4;
    video.dwPictAspectRatioY = 3;
    video.dwControlFlags = 5;
    video.rcTarget = RECT{1, 2, 3, 4};
    OutputType output;
    ASSERT_EQ(engine.BuildOutputMediaType(&input.type, UYVY, &output.type, true), S_OK);
    EXPECT_EQ(output.Video2().dwInterlaceFlags, 1u);
    EXPECT_EQ(output.Video2().dwCopyProtectFlags, 2u);
    EXPECT_EQ(output.Video2().dwPictAspectRatioX, 4u);
    EXPECT_EQ(output.Video2().dwPictAspectRatioY, 3u);
    EXPECT_EQ(output.Video2().dwControlFlags, 5u);
    EXPECT_EQ(output.Video2().rcTarget.right, 3);
    EXPECT_EQ(output.Video2().rcSource.right, 320);

    InputType plain(MEDIASUBTYPE_YUY2, 320, 240, false, 16);
    OutputType fromPlain;
    ASSERT_EQ(engine.BuildOutputMediaType(&plain.type, UYVY, &fromPlain.type, true), S_OK);
    EXPECT_EQ(fromPlain.Video2().dwPictAspectRatioX, 0u);
    EXPECT_EQ(fromPlain.Video2().dwInterlaceFlags, 0u);
}

TEST(BuildOutputMediaType, RefusesMissingBlocksAndOversizedImages) {
    ConversionEngine engine;
    InputType input(MEDIASUBTYPE_RGB24, 640, 480);
    OutputType output;
    output.type.pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(16));
    output.type.cbFormat = 16;
    input.type.cbFormat = 40;  // shorter than its VIDEOINFOHEADER
    EXPECT_EQ(engine.BuildOutputMediaType(&input.type, RGB24, &output.type, false), E_INVALIDARG);
    input.type.cbFormat = sizeof(VIDEOINFOHEADER);
    EXPECT_EQ(engine.BuildOutputMediaType(&input.type, 24, &output.type, false), E_INVALIDARG);
    // Sizes beyond 32 bits are refused rather than wrapped.
    input.Header().biWidth = 0x7FFFFFFF;
    input.Header().biHeight = 0x7FFFFFFF;
    EXPECT_EQ(engine.BuildOutputMediaType(&input.type, RGB32, &output.type, false), E_INVALIDARG);
    EXPECT_EQ(output.type.pbFormat, nullptr);
    EXPECT_EQ(output.type.cbFormat, 0u);
    input.Header().biWidth = 640;
    input.Header().biHeight = 480;
    // An existing block is replaced.
    ASSERT_EQ(engine.BuildOutputMediaType(&input.type, RGB32, &output.type, false), S_OK);
    EXPECT_EQ(output.Header().biSizeImage, 640u * 480u * 4u);
}

TEST(BuildOutputMediaTypeFromSize, SetsTheFrameTimeFromTheRate) {
    ConversionEngine engine;
    OutputType output;
    ASSERT_EQ(engine.BuildOutputMediaTypeFromSize(Y800, 640, 480, 30.0, &output.type, false), S_OK);
    EXPECT_EQ(output.Video().AvgTimePerFrame, 333333);
    EXPECT_EQ(output.Header().biSizeImage, 307200u);
    EXPECT_EQ(output.Video().dwBitRate, DWORD(1000.0 / 33 * (307200.0 * 8)));
    EXPECT_EQ(output.Header().biCompression, MakeFourcc('Y', '8', '0', '0'));
    OutputType still;
    ASSERT_EQ(engine.BuildOutputMediaTypeFromSize(BYBG, 640, 480, 0.0, &still.type, true), S_OK);
    EXPECT_EQ(still.Video2().AvgTimePerFrame, 0);
    EXPECT_EQ(still.Video2().dwBitRate, 0u);
    EXPECT_EQ(still.type.cbFormat, 112u);
}

TEST(MediaTypeQuestions, CountListAndCompareDestinations) {
    ConversionEngine engine;
    InputType grey(FourccGuid(MakeFourcc('Y', '8', '0', '0')), 640, 480, false, 8);
    EXPECT_EQ(engine.DestinationCountForMediaType(&grey.type), 17);
    InputType bayer(FourccGuid(MakeFourcc('B', 'Y', 'B', 'G')), 640, 480, true, 8);
    EXPECT_EQ(engine.DestinationCountForMediaType(&bayer.type), 19);
    grey.Header().biHeight = -480;
    EXPECT_EQ(engine.DestinationCountForMediaType(&grey.type), 0);
    grey.Header().biHeight = 480;
    AM_MEDIA_TYPE bare = {};
    bare.subtype = MEDIASUBTYPE_RGB24;
    EXPECT_EQ(engine.DestinationCountForMediaType(&bare), 0);

    OutputType first;
    ASSERT_EQ(engine.OutputMediaTypeAt(&grey.type, 0, &first.type, false), S_OK);
    EXPECT_TRUE(IsEqualGUID(first.type.subtype, MEDIASUBTYPE_UYVY));
    OutputType last;
    ASSERT_EQ(engine.OutputMediaTypeAt(&grey.type, 16, &last.type, true), S_OK);
    EXPECT_TRUE(IsEqualGUID(last.type.subtype, MEDIASUBTYPE_RGB8));
    OutputType none;
    EXPECT_EQ(engine.OutputMediaTypeAt(&grey.type, 17, &none.type, false), E_INVALIDARG);
    EXPECT_EQ(engine.OutputMediaTypeAt(&grey.type, 0, nullptr, false), E_INVALIDARG);
    InputType unknown(FourccGuid(MakeFourcc('N', 'O', 'N', 'E')), 64, 48);
    EXPECT_EQ(engine.OutputMediaTypeAt(&unknown.type, 0, &none.type, false), E_INVALIDARG);

    InputType rgb(MEDIASUBTYPE_RGB24, 640, -480, false, 24);
    EXPECT_TRUE(engine.CanConvert(&grey.type, &rgb.type));
    rgb.Header().biWidth = 644;
    EXPECT_TRUE(engine.CanConvert(&grey.type, &rgb.type));
    rgb.Header().biWidth = 639;
    EXPECT_FALSE(engine.CanConvert(&grey.type, &rgb.type));
    rgb.Header().biWidth = 640;
    rgb.Header().biHeight = 482;
    EXPECT_FALSE(engine.CanConvert(&grey.type, &rgb.type));
    rgb.Header().biHeight = 480;
    grey.Header().biHeight = -480;
    EXPECT_FALSE(engine.CanConvert(&grey.type, &rgb.type));
    grey.Header().biHeight = 480;
    InputType nv12(MEDIASUBTYPE_NV12, 640, 480, false, 12);
    EXPECT_FALSE(engine.CanConvert(&grey.type, &nv12.type));
    EXPECT_FALSE(engine.CanConvert(&grey.type, &bayer.type));
    EXPECT_TRUE(engine.CanConvert(&bayer.type, &grey.type));
}

}  // namespace
