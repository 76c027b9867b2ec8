// The media types the benchmark connects with, and readers of their video
// headers.
#pragma once

#include <windows.h>
#include <dshow.h>

#include "baseclasses/MediaType.h"

// FOURCC subtypes that uuids.h lacks.
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

// A VIDEOINFOHEADER type of RGB24 or Y800 with the size, frame time and bit
// count set, as a client writes it.
CMediaType VideoType(const GUID& subtype, LONG width, LONG height, REFERENCE_TIME frameTime);
// The bitmap header of a type with a full-length video block, else null.
const BITMAPINFOHEADER* BitmapHeaderOf(const AM_MEDIA_TYPE& type);
// The AvgTimePerFrame of such a type, or -1.
REFERENCE_TIME FrameTimeOf(const AM_MEDIA_TYPE& type);
