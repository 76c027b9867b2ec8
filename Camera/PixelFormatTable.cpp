#include "Camera/PixelFormatTable.h"

#include <cstring>

namespace {

struct PixelFormatMapping {
    const char* name;
    VideoFormatId format;
};

// Every other PixelFormat entry of a camera is ignored.
const PixelFormatMapping kPixelFormats[] = {
    {"YUV422Packed", VideoFormat::UYVY}, {"YUV422_YUYV_Packed", VideoFormat::YUY2},
    {"YUV411Packed", VideoFormat::Y41P}, {"BGRA8Packed", VideoFormat::RGB32},
    {"BGR8Packed", VideoFormat::RGB24},  {"Mono8", VideoFormat::Y800},
    {"BayerBG8", VideoFormat::BYBG},     {"BayerGB8", VideoFormat::BYGB},
    {"BayerRG8", VideoFormat::BYRG},     {"BayerGR8", VideoFormat::BYGR},
};

}  // namespace

const StandardFrameSize StandardFrameSizes[kStandardFrameSizeCount] = {
    {40, 30},   {80, 60},   {160, 120},  {320, 240},  {640, 480},   {720, 480},
    {720, 576}, {800, 600}, {1024, 768}, {1280, 960}, {1600, 1200}, {2048, 1536},
};

VideoFormatId FormatIdFromPixelFormat(const char* pixelFormat) {
    if (pixelFormat == nullptr) {
        return VideoFormat::Unknown;
    }
    for (const PixelFormatMapping& mapping : kPixelFormats) {
        if (std::strcmp(mapping.name, pixelFormat) == 0) {
            return mapping.format;
        }
    }
    return VideoFormat::Unknown;
}

const char* PixelFormatName(VideoFormatId format) {
    for (const PixelFormatMapping& mapping : kPixelFormats) {
        if (mapping.format == format) {
            return mapping.name;
        }
    }
    return "Undefined";
}
