// The DirectShow video media-type structures the media-type side of the engine
// reads and builds. On Windows these are the platform's own headers; the native
// build gets stand-ins with the same field layout (checked below), so the same
// code parses the same bytes on both and can be tested and fuzzed on Linux.
#pragma once

#include "conversion/PortableTypes.h"

#ifdef _WIN32
#include <windows.h>
#include <strmif.h>
#include <amvideo.h>
#include <dvdmedia.h>
#include <uuids.h>
#else

#include <cstddef>
#include <cstdint>
#include <cstdlib>

typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef uint32_t ULONG;
typedef int32_t LONG;
typedef int32_t BOOL;
typedef int64_t REFERENCE_TIME;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
#ifndef MAXDWORD
#define MAXDWORD 0xFFFFFFFFu
#endif
#ifndef BI_RGB
#define BI_RGB 0
#endif

struct IUnknown;

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};

struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};

struct AM_MEDIA_TYPE {
    GUID majortype;
    GUID subtype;
    BOOL bFixedSizeSamples;
    BOOL bTemporalCompression;
    ULONG lSampleSize;
    GUID formattype;
    IUnknown* pUnk;
    ULONG cbFormat;
    BYTE* pbFormat;
};

struct VIDEOINFOHEADER {
    RECT rcSource;
    RECT rcTarget;
    DWORD dwBitRate;
    DWORD dwBitErrorRate;
    REFERENCE_TIME AvgTimePerFrame;
    BITMAPINFOHEADER bmiHeader;
};

struct TRUECOLORINFO {
    DWORD dwBitMasks[3];
    RGBQUAD bmiColors[256];
};

struct VIDEOINFO {
    RECT rcSource;
    RECT rcTarget;
    DWORD dwBitRate;
    DWORD dwBitErrorRate;
    REFERENCE_TIME AvgTimePerFrame;
    BITMAPINFOHEADER bmiHeader;
    union {
        RGBQUAD bmiColors[256];
        DWORD dwBitMasks[3];
        TRUECOLORINFO TrueColorInfo;
    };
};

struct VIDEOINFOHEADER2 {
    RECT rcSource;
    RECT rcTarget;
    DWORD dwBitRate;
    DWORD dwBitErrorRate;
    REFERENCE_TIME AvgTimePerFrame;
    DWORD dwInterlaceFlags;
    DWORD dwCopyProtectFlags;
    DWORD dwPictAspectRatioX;
    DWORD dwPictAspectRatioY;
    union {
        DWORD dwControlFlags;
        DWORD dwReserved1;
    };
    DWORD dwReserved2;
    BITMAPINFOHEADER bmiHeader;
};

// The sizes the builder allocates and the readers check against.
static_assert(sizeof(BITMAPINFOHEADER) == 40, "BITMAPINFOHEADER layout");
static_assert(sizeof(AM_MEDIA_TYPE) == 88, "AM_MEDIA_TYPE layout");
static_assert(sizeof(VIDEOINFOHEADER) == 88, "VIDEOINFOHEADER layout");
static_assert(offsetof(VIDEOINFOHEADER, bmiHeader) == 48, "VIDEOINFOHEADER layout");
static_assert(sizeof(VIDEOINFOHEADER2) == 112, "VIDEOINFOHEADER2 layout");
static_assert(offsetof(VIDEOINFOHEADER2, bmiHeader) == 72, "VIDEOINFOHEADER2 layout");
static_assert(sizeof(VIDEOINFO) == 1128, "VIDEOINFO layout");

inline BOOL IsEqualGUID(const GUID& left, const GUID& right) {
    return SameGuid(left, right) ? TRUE : FALSE;
}

// Task memory is the C heap here: what the builder hands out, its caller frees
// with CoTaskMemFree in either build.
inline void* CoTaskMemAlloc(size_t bytes) {
    return std::malloc(bytes);
}
inline void CoTaskMemFree(void* block) {
    std::free(block);
}

namespace korvel_media_guids {
// {FOURCC-0000-0010-8000-00AA00389B71}
constexpr GUID Fourcc(char a, char b, char c, char d) {
    return GUID{static_cast<uint32_t>(static_cast<uint8_t>(a)) |
                    (static_cast<uint32_t>(static_cast<uint8_t>(b)) << 8) |
                    (static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16) |
                    (static_cast<uint32_t>(static_cast<uint8_t>(d)) << 24),
                0x0000,
                0x0010,
                {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
}
}  // namespace korvel_media_guids

inline constexpr GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
inline constexpr GUID MEDIATYPE_Video = korvel_media_guids::Fourcc('v', 'i', 'd', 's');
inline constexpr GUID FORMAT_VideoInfo = {
    0x05589F80, 0xC356, 0x11CE, {0xBF, 0x01, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A}};
inline constexpr GUID FORMAT_VideoInfo2 = {
    0xF72A76A0, 0xEB0A, 0x11D0, {0xAC, 0xE4, 0x00, 0x00, 0xC0, 0xCC, 0x16, 0xBA}};
inline constexpr GUID FORMAT_WaveFormatEx = {
    0x05589F81, 0xC356, 0x11CE, {0xBF, 0x01, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A}};
inline constexpr GUID MEDIASUBTYPE_UYVY = korvel_media_guids::Fourcc('U', 'Y', 'V', 'Y');
inline constexpr GUID MEDIASUBTYPE_YUY2 = korvel_media_guids::Fourcc('Y', 'U', 'Y', '2');
inline constexpr GUID MEDIASUBTYPE_YUYV = korvel_media_guids::Fourcc('Y', 'U', 'Y', 'V');
inline constexpr GUID MEDIASUBTYPE_YVYU = korvel_media_guids::Fourcc('Y', 'V', 'Y', 'U');
inline constexpr GUID MEDIASUBTYPE_YV12 = korvel_media_guids::Fourcc('Y', 'V', '1', '2');
inline constexpr GUID MEDIASUBTYPE_IYUV = korvel_media_guids::Fourcc('I', 'Y', 'U', 'V');
inline constexpr GUID MEDIASUBTYPE_NV12 = korvel_media_guids::Fourcc('N', 'V', '1', '2');
inline constexpr GUID MEDIASUBTYPE_Y41P = korvel_media_guids::Fourcc('Y', '4', '1', 'P');
inline constexpr GUID MEDIASUBTYPE_RGB8 = {
    0xE436EB7A, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
inline constexpr GUID MEDIASUBTYPE_RGB24 = {
    0xE436EB7D, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
inline constexpr GUID MEDIASUBTYPE_RGB32 = {
    0xE436EB7E, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
inline constexpr GUID MEDIASUBTYPE_ARGB32 = {
    0x773C9AC0, 0x3274, 0x11D0, {0xB7, 0x24, 0x00, 0xAA, 0x00, 0x6C, 0x1A, 0x01}};

#endif  // _WIN32
