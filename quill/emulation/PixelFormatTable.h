// The pixel formats the emulated cameras can produce: names, PFNC codes and
// memory layout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Quill {
namespace Emulation {

enum class PixelLayout {
    Mono8,
    Mono16,  // little-endian 16-bit words holding significantBits-bit values
    Bayer8,
    Rgb8,
    Bgr8,
    Rgba8,
    Bgra8,
    Uyvy,  // YUV422Packed
    Yuyv,  // YUV422_YUYV_Packed
    Y41p,  // YUV411Packed: 12 bytes per 8 pixels
};

// Colour of the first two pixels of row 0 and row 1 of a Bayer mosaic.
enum class BayerPhase { None, RG, BG, GR, GB };

struct PixelFormatInfo {
    const char* name;
    uint32_t pfnc;
    PixelLayout layout;
    int significantBits;  // per sample, for Mono16 layouts
    BayerPhase phase;
    int pixelAlignment;  // a width must be a multiple of this
    const char* description;

    // Bytes of one row of width pixels (width a multiple of pixelAlignment).
    size_t RowBytes(int64_t width) const;
    // Bytes per pixel group used when scrolling rows (8 pixels for every layout).
    size_t BytesPer8Pixels() const { return RowBytes(8); }
};

// Null when the name is not one the emulation knows.
const PixelFormatInfo* FindPixelFormat(const std::string& name);
const PixelFormatInfo* FindPixelFormat(uint32_t pfnc);
// Every known name, comma separated, for messages.
std::string KnownPixelFormatNames();

}  // namespace Emulation
}  // namespace Quill
