// How the negotiator reads a video media type proposed by a downstream pin or
// an application: its catalogue format, picture size and frame rate.
#pragma once

#include <windows.h>
#include <strmif.h>

#include <cstdint>

#include "conversion/VideoFormatCatalogue.h"

struct ProposedMediaType {
    VideoFormatId format;  // the catalogue row of the subtype, -1 for none
    int32_t width;         // biWidth
    int32_t height;        // |biHeight|
    double frameRate;      // frames per second, 0 when the type names no frame time
};

// S_OK, or E_INVALIDARG for a type that is not FORMAT_VideoInfo or
// FORMAT_VideoInfo2, whose block is missing, shorter than its header or
// longer than any video header with a palette (64 KiB), or
// whose picture no buffer could hold: a width below 1, a height of 0, or an
// image in the subtype's format beyond 32 bits of bytes. The major type is
// not examined.
HRESULT ParseProposedMediaType(const AM_MEDIA_TYPE* mediaType, ProposedMediaType* proposal);
