// The pictures a pin handles: the camera frame it keeps and the picture its
// connected media type describes.
#pragma once

#include <windows.h>
#include <strmif.h>

#include <cstdint>

#include "conversion/VideoFormatCatalogue.h"

struct PictureGeometry {
    int32_t width = 0;
    int32_t height = 0;  // signed as in the media type: positive is bottom-up for RGB
    int32_t stride = 0;  // bytes per row
    VideoFormatId format = VideoFormat::Unknown;
};

// Frame time of a type without one: 25 frames per second.
constexpr double kDefaultFrameDurationMs = 40.0;

// The picture a connected media type describes and its frame duration in
// milliseconds. False, with nothing written, when the type has no
// VIDEOINFOHEADER or VIDEOINFOHEADER2 block of full length. The stride is 0
// when the format is unknown or a row would not fit in 32 bits.
bool ReadOutputGeometry(const AM_MEDIA_TYPE& mediaType, PictureGeometry* geometry, double* frameDurationMs);

// Bytes of one picture by DirectShow's row rule, (biBitCount x biWidth + 31)
// / 32 x 4 x |biHeight|. False without a full-length video block or for a
// negative width.
bool DibPictureBytes(const AM_MEDIA_TYPE& mediaType, int64_t* bytes);
