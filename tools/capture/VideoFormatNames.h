// Names of the video subtypes the capture tool speaks of on its command line
// and in its output, and the small helpers that read a video media type.
#pragma once

#include <windows.h>
#include <strmif.h>

#include <cstdint>
#include <string>

namespace VideoFormatNames {

// The subtype for a name such as RGB24, YUY2, I420, Y800 or any four-character
// code (case-insensitive); false when the name means nothing.
bool SubtypeFromName(const std::string& name, GUID* subtype);

// RGB24, YUY2, BYRG... for a subtype; a FOURCC subtype shows its code, any
// other subtype its GUID.
std::string NameOfSubtype(const GUID& subtype);

// The FOURCC of a FOURCC subtype, else 0.
uint32_t FourccOfSubtype(const GUID& subtype);

}  // namespace VideoFormatNames

// What the tool needs from a video media type with a VIDEOINFOHEADER or
// VIDEOINFOHEADER2 format block.
struct VideoTypeSummary {
    bool valid = false;
    bool videoInfo2 = false;
    GUID subtype = GUID_NULL;
    int32_t width = 0;
    int32_t height = 0;  // as the bitmap header gives it (negative: top-down RGB)
    uint16_t bitCount = 0;
    uint32_t compression = 0;
    uint32_t imageSize = 0;
    REFERENCE_TIME avgTimePerFrame = 0;
    const BITMAPINFOHEADER* header = nullptr;  // points into the media type

    double FramesPerSecond() const { return avgTimePerFrame > 0 ? 1.0e7 / avgTimePerFrame : 0.0; }
    int32_t AbsoluteHeight() const { return height < 0 ? -height : height; }
    // "RGB24 1920x1200 30.00 fps"
    std::string Describe() const;
};

// Reads a type, checking that its format block is as long as it claims.
VideoTypeSummary SummarizeVideoType(const AM_MEDIA_TYPE& type);

// Frees the format block and the pUnk of a type the system handed out, then
// the structure itself.
void DeleteSystemMediaType(AM_MEDIA_TYPE* type);
void FreeSystemMediaType(AM_MEDIA_TYPE& type);

// "0x80040217 (VFW_E_CANNOT_CONNECT: no combination of filters could connect)"
std::string DescribeHResult(HRESULT hr);

// A UTF-8 string for console output from a wide string, and back.
std::string Narrow(const wchar_t* text);
std::wstring Widen(const std::string& text);
