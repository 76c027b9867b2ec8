#include "quill/emulation/PixelFormatTable.h"

namespace Quill {
namespace Emulation {

namespace {

const PixelFormatInfo kFormats[] = {
    {"Mono8", 0x01080001, PixelLayout::Mono8, 8, BayerPhase::None, 1, "8-bit monochrome"},
    {"Mono10", 0x01100003, PixelLayout::Mono16, 10, BayerPhase::None, 1, "10-bit monochrome in 16-bit words"},
    {"Mono12", 0x01100005, PixelLayout::Mono16, 12, BayerPhase::None, 1, "12-bit monochrome in 16-bit words"},
    {"Mono16", 0x01100007, PixelLayout::Mono16, 16, BayerPhase::None, 1, "16-bit monochrome"},
    {"BayerGR8", 0x01080008, PixelLayout::Bayer8, 8, BayerPhase::GR, 2, "8-bit Bayer, green-red first"},
    {"BayerRG8", 0x01080009, PixelLayout::Bayer8, 8, BayerPhase::RG, 2, "8-bit Bayer, red-green first"},
    {"BayerGB8", 0x0108000A, PixelLayout::Bayer8, 8, BayerPhase::GB, 2, "8-bit Bayer, green-blue first"},
    {"BayerBG8", 0x0108000B, PixelLayout::Bayer8, 8, BayerPhase::BG, 2, "8-bit Bayer, blue-green first"},
    {"RGB8Packed", 0x02180014, PixelLayout::Rgb8, 8, BayerPhase::None, 1, "24-bit red, green, blue"},
    {"BGR8Packed", 0x02180015, PixelLayout::Bgr8, 8, BayerPhase::None, 1, "24-bit blue, green, red"},
    {"RGBA8Packed", 0x02200016, PixelLayout::Rgba8, 8, BayerPhase::None, 1, "32-bit red, green, blue, alpha"},
    {"BGRA8Packed", 0x02200017, PixelLayout::Bgra8, 8, BayerPhase::None, 1, "32-bit blue, green, red, alpha"},
    {"YUV411Packed", 0x020C001E, PixelLayout::Y41p, 8, BayerPhase::None, 8,
     "YUV 4:1:1, 12 bytes per 8 pixels"},
    {"YUV422Packed", 0x0210001F, PixelLayout::Uyvy, 8, BayerPhase::None, 2, "YUV 4:2:2 as U Y V Y"},
    {"YUV422_YUYV_Packed", 0x02100032, PixelLayout::Yuyv, 8, BayerPhase::None, 2, "YUV 4:2:2 as Y U Y V"},
};

}  // namespace

size_t PixelFormatInfo::RowBytes(int64_t width) const {
    const size_t pixels = width > 0 ? size_t(width) : 0;
    switch (layout) {
        case PixelLayout::Mono8:
        case PixelLayout::Bayer8:
            return pixels;
        case PixelLayout::Mono16:
        case PixelLayout::Uyvy:
        case PixelLayout::Yuyv:
            return pixels * 2;
        case PixelLayout::Rgb8:
        case PixelLayout::Bgr8:
            return pixels * 3;
        case PixelLayout::Rgba8:
        case PixelLayout::Bgra8:
            return pixels * 4;
        case PixelLayout::Y41p:
            return (pixels + 7) / 8 * 12;
    }
    return 0;
}

const PixelFormatInfo* FindPixelFormat(const std::string& name) {
    for (const PixelFormatInfo& format : kFormats) {
        if (name == format.name) {
            return &format;
        }
    }
    return nullptr;
}

const PixelFormatInfo* FindPixelFormat(uint32_t pfnc) {
    for (const PixelFormatInfo& format : kFormats) {
        if (pfnc == format.pfnc) {
            return &format;
        }
    }
    return nullptr;
}

std::string KnownPixelFormatNames() {
    std::string names;
    for (const PixelFormatInfo& format : kFormats) {
        if (!names.empty()) {
            names += ", ";
        }
        names += format.name;
    }
    return names;
}

}  // namespace Emulation
}  // namespace Quill
