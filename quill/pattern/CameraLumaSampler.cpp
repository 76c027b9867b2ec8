#include <cstdint>
#include <string>

#include "quill/TestPattern.h"

namespace Quill {
namespace Pattern {

namespace {

int Luma(int red, int green, int blue) {
    return (299 * red + 587 * green + 114 * blue + 500) / 1000;
}

}  // namespace

LumaSampler MakeCameraLumaSampler(const char* pixelFormat, const void* buffer, int width, int height,
                                  int strideBytes) {
    if (pixelFormat == nullptr || buffer == nullptr || width <= 0 || height <= 0) {
        return LumaSampler();
    }
    const std::string name(pixelFormat);
    const uint8_t* bytes = static_cast<const uint8_t*>(buffer);
    auto stride = [&](int bytesPerRow) { return strideBytes > 0 ? strideBytes : bytesPerRow; };

    if (name == "Mono8" || (name.size() == 8 && name.compare(0, 5, "Bayer") == 0 && name[7] == '8')) {
        // Raw Bayer samples are read as they stand: the blocks are 0 or 255 in every colour.
        const int rowBytes = stride(width);
        return [bytes, rowBytes](int x, int y) { return int(bytes[size_t(y) * rowBytes + x]); };
    }
    if (name == "Mono10" || name == "Mono12" || name == "Mono16") {
        const int shift = name == "Mono10" ? 2 : name == "Mono12" ? 4 : 8;
        const int rowBytes = stride(width * 2);
        return [bytes, rowBytes, shift](int x, int y) {
            const uint8_t* pixel = bytes + size_t(y) * rowBytes + size_t(x) * 2;
            return int((pixel[0] | (pixel[1] << 8)) >> shift);
        };
    }
    if (name == "YUV422Packed" || name == "YUV422_YUYV_Packed") {
        const int offset = name == "YUV422Packed" ? 1 : 0;
        const int rowBytes = stride(width * 2);
        return [bytes, rowBytes, offset](int x, int y) {
            return int(bytes[size_t(y) * rowBytes + size_t(x) * 2 + offset]);
        };
    }
    if (name == "YUV411Packed") {
        // Groups of 8 pixels in 12 bytes: U0 Y0 V0 Y1 U4 Y2 V4 Y3 Y4 Y5 Y6 Y7.
        static const int kLumaOffset[8] = {1, 3, 5, 7, 8, 9, 10, 11};
        const int rowBytes = stride((width + 7) / 8 * 12);
        return [bytes, rowBytes](int x, int y) {
            return int(bytes[size_t(y) * rowBytes + size_t(x / 8) * 12 + kLumaOffset[x % 8]]);
        };
    }
    if (name == "RGB8Packed" || name == "BGR8Packed" || name == "RGBA8Packed" || name == "BGRA8Packed") {
        const int pixelBytes = name[3] == 'A' ? 4 : 3;
        const bool blueFirst = name[0] == 'B';
        const int rowBytes = stride(width * pixelBytes);
        return [bytes, rowBytes, pixelBytes, blueFirst](int x, int y) {
            const uint8_t* pixel = bytes + size_t(y) * rowBytes + size_t(x) * pixelBytes;
            return blueFirst ? Luma(pixel[2], pixel[1], pixel[0]) : Luma(pixel[0], pixel[1], pixel[2]);
        };
    }
    return LumaSampler();
}

}  // namespace Pattern
}  // namespace Quill
