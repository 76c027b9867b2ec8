// The engine's media-type side: which outputs a media type can be converted
// into, and the AM_MEDIA_TYPE of each.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "conversion/ConversionEngine.h"
#include "conversion/MediaTypeReader.h"

namespace {

// The DIB size of a header: whole 32-bit words a row, in 64 bits.
int64_t DibBytes(const BITMAPINFOHEADER& header) {
    const int64_t width = header.biWidth;
    const int64_t height = header.biHeight < 0 ? -static_cast<int64_t>(header.biHeight) : header.biHeight;
    return (static_cast<int64_t>(header.biBitCount) * width + 31) / 32 * 4 * height;
}

DWORD ClampToDword(double value) {
    if (!(value > 0.0)) {
        return 0;
    }
    return value >= static_cast<double>(MAXDWORD) ? MAXDWORD : static_cast<DWORD>(value);
}

bool RectIsEmpty(const RECT& rect) {
    return rect.left == 0 && rect.top == 0 && rect.right == 0 && rect.bottom == 0;
}

}  // namespace

int32_t ConversionEngine::DestinationCountForMediaType(const AM_MEDIA_TYPE* mediaType) const {
    const BITMAPINFOHEADER* header = BitmapHeaderOf(mediaType);
    if (header == nullptr || header->biHeight < 0) {
        return 0;
    }
    return DestinationCount(FormatIdFromMediaType(mediaType));
}

HRESULT ConversionEngine::OutputMediaTypeAt(const AM_MEDIA_TYPE* input, int32_t index, AM_MEDIA_TYPE* output,
                                            bool useVideoInfo2) const {
    if (output == nullptr) {
        return E_INVALIDARG;
    }
    const VideoFormatId source = FormatIdFromMediaType(input);
    VideoFormatId destination = VideoFormat::Unknown;
    if (VideoFormatCatalogue::Row(source) == nullptr || FAILED(DestinationAt(source, index, &destination))) {
        return E_INVALIDARG;
    }
    return BuildOutputMediaType(input, destination, output, useVideoInfo2);
}

bool ConversionEngine::CanConvert(const AM_MEDIA_TYPE* source, const AM_MEDIA_TYPE* destination) const {
    const VideoFormatId from = FormatIdFromMediaType(source);
    const VideoFormatId to = FormatIdFromMediaType(destination);
    if (!HasRoutine(from, to)) {
        return false;
    }
    const BITMAPINFOHEADER* sourceHeader = BitmapHeaderOf(source);
    const BITMAPINFOHEADER* destinationHeader = BitmapHeaderOf(destination);
    if (sourceHeader == nullptr || destinationHeader == nullptr || sourceHeader->biHeight < 0) {
        return false;
    }
    const int64_t destinationRows = destinationHeader->biHeight < 0
                                        ? -static_cast<int64_t>(destinationHeader->biHeight)
                                        : destinationHeader->biHeight;
    return destinationHeader->biWidth >= sourceHeader->biWidth && destinationRows == sourceHeader->biHeight;
}

HRESULT ConversionEngine::BuildOutputMediaType(const AM_MEDIA_TYPE* input, VideoFormatId destination,
                                               AM_MEDIA_TYPE* output, bool useVideoInfo2) const {
    if (input == nullptr || output == nullptr) {
        return E_POINTER;
    }
    const VideoFormatInfo* format = VideoFormatCatalogue::Row(destination);
    const BITMAPINFOHEADER* inputHeader = BitmapHeaderOf(input);
    if (format == nullptr || inputHeader == nullptr) {
        return E_INVALIDARG;
    }
    const bool inputIsVideoInfo2 = IsEqualGUID(input->formattype, FORMAT_VideoInfo2) != FALSE;
    // Both video headers begin with the same five fields.
    const VIDEOINFOHEADER* inputVideo = reinterpret_cast<const VIDEOINFOHEADER*>(input->pbFormat);

    if (output->pbFormat != nullptr) {
        CoTaskMemFree(output->pbFormat);
    }
    output->pbFormat = nullptr;
    output->cbFormat = 0;

    // Every size is worked out in 64 bits and refused when it leaves its field.
    const int64_t width = VideoFormatCatalogue::PaddedWidth(destination, inputHeader->biWidth);
    const int64_t rows = VideoFormatCatalogue::EvenHeight(
        destination,
        inputHeader->biHeight < 0 ? -static_cast<int64_t>(inputHeader->biHeight) : inputHeader->biHeight);
    if (inputHeader->biWidth < 0 || width > INT32_MAX || rows > INT32_MAX) {
        return E_INVALIDARG;
    }
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = static_cast<LONG>(width);
    header.biHeight = static_cast<LONG>(rows);
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(format->bitsPerPixel);
    header.biCompression = format->fourcc;
    header.biXPelsPerMeter = inputHeader->biXPelsPerMeter;
    header.biYPelsPerMeter = inputHeader->biYPelsPerMeter;
    if (FAILED(ImageSizeOfHeader(destination, header, &header.biSizeImage))) {
        return E_INVALIDARG;
    }

    const bool withPalette = !useVideoInfo2 && format->hasPalette != 0;
    const ULONG blockSize = useVideoInfo2 ? sizeof(VIDEOINFOHEADER2)
                                          : (withPalette ? sizeof(VIDEOINFO) : sizeof(VIDEOINFOHEADER));
    BYTE* block = static_cast<BYTE*>(CoTaskMemAlloc(blockSize));
    if (block == nullptr) {
        return E_OUTOFMEMORY;
    }
    std::memset(block, 0, blockSize);

    // The fields the two header forms share, filled in a VIDEOINFOHEADER2 or a
    // VIDEOINFOHEADER as requested.
    RECT source = inputVideo->rcSource;
    RECT target = inputVideo->rcTarget;
    if (RectIsEmpty(source)) {
        source = RECT{0, 0, header.biWidth, header.biHeight};
    }
    if (RectIsEmpty(target)) {
        target = RECT{0, 0, header.biWidth, header.biHeight};
    }
    DWORD bitRate = 0;
    const int64_t inputBytes = DibBytes(*inputHeader);
    const int64_t outputBytes = DibBytes(header);
    if (inputVideo->dwBitRate != 0 && inputBytes > 0 && outputBytes > 0) {
        bitRate = ClampToDword(static_cast<double>(outputBytes) / static_cast<double>(inputBytes) *
                               static_cast<double>(inputVideo->dwBitRate));
    }
    const REFERENCE_TIME frameTime = inputVideo->AvgTimePerFrame;
    if (bitRate == 0 && frameTime != 0) {
        // Whole milliseconds a frame; below one there is no meaningful rate.
        const int64_t milliseconds = frameTime / 10000;
        if (milliseconds > 0) {
            bitRate = ClampToDword(1000.0 / static_cast<double>(milliseconds) *
                                   (static_cast<double>(header.biSizeImage) * 8.0));
        }
    }

    if (useVideoInfo2) {
        VIDEOINFOHEADER2* video = reinterpret_cast<VIDEOINFOHEADER2*>(block);
        video->rcSource = source;
        video->rcTarget = target;
        video->dwBitRate = bitRate;
        video->dwBitErrorRate = inputVideo->dwBitErrorRate;
        video->AvgTimePerFrame = frameTime;
        if (inputIsVideoInfo2) {
            const VIDEOINFOHEADER2* inputVideo2 = reinterpret_cast<const VIDEOINFOHEADER2*>(input->pbFormat);
            video->dwInterlaceFlags = inputVideo2->dwInterlaceFlags;
            video->dwCopyProtectFlags = inputVideo2->dwCopyProtectFlags;
            video->dwPictAspectRatioX = inputVideo2->dwPictAspectRatioX;
            video->dwPictAspectRatioY = inputVideo2->dwPictAspectRatioY;
            video->dwControlFlags = inputVideo2->dwControlFlags;
        }
        video->bmiHeader = header;
    } else {
        VIDEOINFOHEADER* video = reinterpret_cast<VIDEOINFOHEADER*>(block);
        video->rcSource = source;
        video->rcTarget = target;
        video->dwBitRate = bitRate;
        video->dwBitErrorRate = inputVideo->dwBitErrorRate;
        video->AvgTimePerFrame = frameTime;
        video->bmiHeader = header;
        if (withPalette) {
            VIDEOINFO* info = reinterpret_cast<VIDEOINFO*>(block);
            for (int entry = 0; entry < 256; ++entry) {
                info->bmiColors[entry].rgbBlue = static_cast<BYTE>(entry);
                info->bmiColors[entry].rgbGreen = static_cast<BYTE>(entry);
                info->bmiColors[entry].rgbRed = static_cast<BYTE>(entry);
                info->bmiColors[entry].rgbReserved = 0;
            }
            // 255, not 256: what the pins have always announced for the grey ramp.
            info->bmiHeader.biClrUsed = 255;
            info->bmiHeader.biClrImportant = 255;
        }
    }

    output->majortype = MEDIATYPE_Video;
    output->subtype = *format->subtype;
    output->formattype = useVideoInfo2 ? FORMAT_VideoInfo2 : FORMAT_VideoInfo;
    output->bFixedSizeSamples = TRUE;
    output->bTemporalCompression = FALSE;
    output->lSampleSize = header.biSizeImage;
    output->pUnk = nullptr;
    output->cbFormat = blockSize;
    output->pbFormat = block;
    return S_OK;
}

HRESULT ConversionEngine::BuildOutputMediaTypeFromSize(VideoFormatId format, int32_t width, int32_t height,
                                                       double frameRate, AM_MEDIA_TYPE* output,
                                                       bool useVideoInfo2) const {
    VIDEOINFOHEADER* video = static_cast<VIDEOINFOHEADER*>(CoTaskMemAlloc(sizeof(VIDEOINFOHEADER)));
    if (video == nullptr) {
        return E_OUTOFMEMORY;
    }
    std::memset(video, 0, sizeof(VIDEOINFOHEADER));
    video->bmiHeader.biWidth = width;
    video->bmiHeader.biHeight = height;
    // A rate of zero, a negative one or one so small that the frame time leaves
    // 64 bits gives no frame time rather than an undefined conversion.
    const double frameTime = 1000.0 / frameRate * 10000.0;
    video->AvgTimePerFrame = (std::isfinite(frameTime) && frameTime > 0.0 && frameTime < 9.0e18)
                                 ? static_cast<REFERENCE_TIME>(frameTime)
                                 : 0;

    AM_MEDIA_TYPE input = {};
    input.majortype = MEDIATYPE_Video;
    input.formattype = FORMAT_VideoInfo;
    input.cbFormat = sizeof(VIDEOINFOHEADER);
    input.pbFormat = reinterpret_cast<BYTE*>(video);
    const HRESULT result = BuildOutputMediaType(&input, format, output, useVideoInfo2);
    CoTaskMemFree(video);
    return result;
}
