// Small helpers of the stress program: FOURCC subtypes that uuids.h lacks,
// reading and building video media types, and interface queries.
#pragma once

#include <windows.h>
#include <dshow.h>

#include <amvideo.h>
#include <dvdmedia.h>

#include "baseclasses/MediaType.h"

constexpr GUID FourccSubtype(char a, char b, char c, char d) {
    return GUID{
        static_cast<unsigned long>(static_cast<unsigned char>(a) | (static_cast<unsigned char>(b) << 8) |
                                   (static_cast<unsigned char>(c) << 16) |
                                   (static_cast<unsigned long>(static_cast<unsigned char>(d)) << 24)),
        0x0000,
        0x0010,
        {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
}
inline constexpr GUID kSubtypeY800 = FourccSubtype('Y', '8', '0', '0');
inline constexpr GUID kSubtypeI420 = FourccSubtype('I', '4', '2', '0');
inline constexpr GUID kSubtypeBYRG = FourccSubtype('B', 'Y', 'R', 'G');

// The bitmap header of a video type whose block is long enough, else null.
inline const BITMAPINFOHEADER* VideoHeaderOf(const AM_MEDIA_TYPE& type) {
    if (!type.pbFormat) {
        return nullptr;
    }
    if (type.formattype == FORMAT_VideoInfo && type.cbFormat >= sizeof(VIDEOINFOHEADER)) {
        return &reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat)->bmiHeader;
    }
    if (type.formattype == FORMAT_VideoInfo2 && type.cbFormat >= sizeof(VIDEOINFOHEADER2)) {
        return &reinterpret_cast<const VIDEOINFOHEADER2*>(type.pbFormat)->bmiHeader;
    }
    return nullptr;
}

// A VIDEOINFOHEADER type as a client writes it: size, frame time and the
// bit count of the subtype.
inline CMediaType StressVideoType(const GUID& subtype, LONG width, LONG height, REFERENCE_TIME frameTime) {
    CMediaType type(&MEDIATYPE_Video);
    type.SetSubtype(&subtype);
    type.SetFormatType(&FORMAT_VideoInfo);
    VIDEOINFOHEADER video = {};
    video.AvgTimePerFrame = frameTime;
    video.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    video.bmiHeader.biWidth = width;
    video.bmiHeader.biHeight = height;
    video.bmiHeader.biPlanes = 1;
    video.bmiHeader.biBitCount = subtype == MEDIASUBTYPE_RGB24 ? 24 : subtype == MEDIASUBTYPE_RGB32 ? 32 : 8;
    type.SetFormat(reinterpret_cast<const BYTE*>(&video), sizeof(video));
    return type;
}

template <typename T>
HRESULT Query(IUnknown* object, REFIID iid, T** out) {
    *out = nullptr;
    return object ? object->QueryInterface(iid, reinterpret_cast<void**>(out)) : E_POINTER;
}

template <typename T>
void SafeRelease(T*& object) {
    if (object) {
        object->Release();
        object = nullptr;
    }
}
