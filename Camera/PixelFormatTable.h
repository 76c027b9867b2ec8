// The GenICam pixel formats the filter understands, mapped onto the video
// format catalogue, and the standard picture sizes every format is probed at.
#pragma once

#include <cstdint>

#include "conversion/VideoFormatCatalogue.h"

// The VideoFormatId of a GenICam PixelFormat entry name (exact, case-sensitive
// match); VideoFormat::Unknown (-1) for every other name and for null.
VideoFormatId FormatIdFromPixelFormat(const char* pixelFormat);

// The GenICam PixelFormat entry name of a VideoFormatId; "Undefined" for an id
// the table does not hold.
const char* PixelFormatName(VideoFormatId format);

struct StandardFrameSize {
    int64_t width;
    int64_t height;
};

// The sizes probed below a format's maximum, smallest first.
constexpr int kStandardFrameSizeCount = 12;
extern const StandardFrameSize StandardFrameSizes[kStandardFrameSizeCount];
