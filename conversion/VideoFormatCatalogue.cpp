#include "conversion/VideoFormatCatalogue.h"

#include <cstring>

namespace {

// {FOURCC-0000-0010-8000-00AA00389B71}, the subtype of every FOURCC format.
constexpr GUID FourccSubtype(uint32_t fourcc) {
    return GUID{fourcc, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
}

constexpr uint32_t kUYVY = MakeFourcc('U', 'Y', 'V', 'Y');
constexpr uint32_t kUYNV = MakeFourcc('U', 'Y', 'N', 'V');
constexpr uint32_t kY422 = MakeFourcc('Y', '4', '2', '2');
constexpr uint32_t kYUY2 = MakeFourcc('Y', 'U', 'Y', '2');
constexpr uint32_t kYUYV = MakeFourcc('Y', 'U', 'Y', 'V');
constexpr uint32_t kYUNV = MakeFourcc('Y', 'U', 'N', 'V');
constexpr uint32_t kYVYU = MakeFourcc('Y', 'V', 'Y', 'U');
constexpr uint32_t kYV12 = MakeFourcc('Y', 'V', '1', '2');
constexpr uint32_t kI420 = MakeFourcc('I', '4', '2', '0');
constexpr uint32_t kIYUV = MakeFourcc('I', 'Y', 'U', 'V');
constexpr uint32_t kNV12 = MakeFourcc('N', 'V', '1', '2');
constexpr uint32_t kY41P = MakeFourcc('Y', '4', '1', 'P');
constexpr uint32_t kY800 = MakeFourcc('Y', '8', '0', '0');
constexpr uint32_t kY8 = MakeFourcc('Y', '8', ' ', ' ');
constexpr uint32_t kGREY = MakeFourcc('G', 'R', 'E', 'Y');
constexpr uint32_t kBYBG = MakeFourcc('B', 'Y', 'B', 'G');
constexpr uint32_t kBYGB = MakeFourcc('B', 'Y', 'G', 'B');
constexpr uint32_t kBYRG = MakeFourcc('B', 'Y', 'R', 'G');
constexpr uint32_t kBYGR = MakeFourcc('B', 'Y', 'G', 'R');
constexpr uint32_t kORBY = MakeFourcc('O', 'R', 'B', 'Y');

const GUID kSubtypeUYVY = FourccSubtype(kUYVY);
const GUID kSubtypeUYNV = FourccSubtype(kUYNV);
const GUID kSubtypeY422 = FourccSubtype(kY422);
const GUID kSubtypeYUY2 = FourccSubtype(kYUY2);
const GUID kSubtypeYUYV = FourccSubtype(kYUYV);
const GUID kSubtypeYUNV = FourccSubtype(kYUNV);
const GUID kSubtypeYVYU = FourccSubtype(kYVYU);
const GUID kSubtypeYV12 = FourccSubtype(kYV12);
const GUID kSubtypeI420 = FourccSubtype(kI420);
const GUID kSubtypeIYUV = FourccSubtype(kIYUV);
const GUID kSubtypeNV12 = FourccSubtype(kNV12);
const GUID kSubtypeY41P = FourccSubtype(kY41P);
// The uncompressed RGB subtypes are not FOURCC based.
const GUID kSubtypeRGB32 = {0xE436EB7E, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
const GUID kSubtypeARGB32 = {0x773C9AC0, 0x3274, 0x11D0, {0xB7, 0x24, 0x00, 0xAA, 0x00, 0x6C, 0x1A, 0x01}};
const GUID kSubtypeRGB24 = {0xE436EB7D, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
const GUID kSubtypeY800 = FourccSubtype(kY800);
const GUID kSubtypeY8 = FourccSubtype(kY8);
const GUID kSubtypeGREY = FourccSubtype(kGREY);
const GUID kSubtypeRGB8 = {0xE436EB7A, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
const GUID kSubtypeBYBG = FourccSubtype(kBYBG);
const GUID kSubtypeBYGB = FourccSubtype(kBYGB);
const GUID kSubtypeBYRG = FourccSubtype(kBYRG);
const GUID kSubtypeBYGR = FourccSubtype(kBYGR);
const GUID kSubtypeORBY = FourccSubtype(kORBY);

// subtype, fourcc, id, family, name, bits, align, palette, topDown, planar, layout, planes, divX, divY
const VideoFormatInfo kRows[VideoFormat::Count] = {
    {&kSubtypeUYVY, kUYVY, 0, 0, "UYVY", 16, 4, 0, 1, 0, 0, 1, 2, 1},
    {&kSubtypeUYNV, kUYNV, 1, 0, "UYNV", 16, 4, 0, 1, 0, 0, 1, 2, 1},
    {&kSubtypeY422, kY422, 2, 0, "Y422", 16, 4, 0, 1, 0, 0, 1, 2, 1},
    {&kSubtypeYUY2, kYUY2, 3, 3, "YUY2", 16, 4, 0, 1, 0, 0, 1, 2, 1},
    {&kSubtypeYUYV, kYUYV, 4, 3, "YUYV", 16, 4, 0, 1, 0, 0, 1, 2, 1},
    {&kSubtypeYUNV, kYUNV, 5, 3, "YUNV", 16, 4, 0, 1, 0, 0, 1, 2, 1},
    {&kSubtypeYVYU, kYVYU, 6, 6, "YVYU", 16, 4, 0, 1, 0, 0, 1, 2, 1},
    {&kSubtypeYV12, kYV12, 7, 7, "YV12", 12, 4, 0, 1, 1, 4, 3, 2, 2},
    {&kSubtypeI420, kI420, 8, 8, "I420", 12, 4, 0, 1, 1, 4, 3, 2, 2},
    {&kSubtypeIYUV, kIYUV, 9, 8, "IYUV", 12, 4, 0, 1, 1, 4, 3, 2, 2},
    {&kSubtypeNV12, kNV12, 10, 10, "NV12", 12, 4, 0, 1, 1, 6, 2, 2, 2},
    {&kSubtypeY41P, kY41P, 11, 11, "Y41P", 12, 12, 0, 1, 0, 0, 1, 1, 1},
    {&kSubtypeRGB32, 0, 12, 12, "RGB32", 32, 4, 0, 0, 0, 0, 1, 4, 1},
    {&kSubtypeARGB32, 0, 13, 12, "ARGB32", 32, 4, 0, 0, 0, 0, 1, 1, 1},
    {&kSubtypeRGB24, 0, 14, 14, "RGB24", 24, 12, 0, 0, 0, 0, 1, 1, 1},
    {&kSubtypeY800, kY800, 15, 15, "Y800", 8, 4, 0, 1, 0, 0, 1, 1, 1},
    {&kSubtypeY8, kY8, 16, 15, "Y8", 8, 4, 0, 1, 0, 0, 1, 1, 1},
    {&kSubtypeGREY, kGREY, 17, 15, "GREY", 8, 4, 0, 1, 0, 0, 1, 1, 1},
    {&kSubtypeRGB8, 0, 18, 18, "RGB8", 8, 4, 1, 0, 0, 0, 1, 1, 1},
    {&kSubtypeBYBG, kBYBG, 19, 19, "BYBG", 8, 4, 0, 1, 0, 0, 1, 1, 1},
    {&kSubtypeBYGB, kBYGB, 20, 20, "BYGB", 8, 4, 0, 1, 0, 0, 1, 1, 1},
    {&kSubtypeBYRG, kBYRG, 21, 21, "BYRG", 8, 4, 0, 1, 0, 0, 1, 1, 1},
    {&kSubtypeBYGR, kBYGR, 22, 22, "BYGR", 8, 4, 0, 1, 0, 0, 1, 1, 1},
    {&kSubtypeORBY, kORBY, 23, 19, "ORBY", 8, 4, 0, 1, 0, 0, 1, 1, 1},
};

}  // namespace

const VideoFormatInfo* VideoFormatCatalogue::Row(VideoFormatId id) {
    if (id < 0 || id >= kRowCount) {
        return nullptr;
    }
    return &kRows[id];
}

VideoFormatId VideoFormatCatalogue::FindBySubtype(const GUID& subtype) {
    VideoFormatId found = VideoFormat::Unknown;
    for (const VideoFormatInfo& row : kRows) {
        if (SameGuid(*row.subtype, subtype)) {
            found = row.id;
        }
    }
    return found;
}

VideoFormatId VideoFormatCatalogue::FindByFourcc(uint32_t fourcc) {
    // The last match wins, so BI_RGB (0) names RGB8, the last of the RGB rows.
    VideoFormatId found = VideoFormat::Unknown;
    for (const VideoFormatInfo& row : kRows) {
        if (row.fourcc == fourcc) {
            found = row.id;
        }
    }
    return found;
}

HRESULT VideoFormatCatalogue::FormatName(VideoFormatId id, char* buffer, size_t bufferSize) {
    const VideoFormatInfo* row = Row(id);
    if (row == nullptr || buffer == nullptr) {
        return E_INVALIDARG;
    }
    const size_t length = std::strlen(row->name);
    if (bufferSize <= length) {
        return E_INVALIDARG;
    }
    std::memcpy(buffer, row->name, length + 1);
    return S_OK;
}

int64_t VideoFormatCatalogue::PaddedWidth(VideoFormatId id, int64_t width) {
    const VideoFormatInfo* row = Row(id);
    if (row == nullptr || row->bitsPerPixel == 0 || row->rowAlignment == 0 || width < 0) {
        return 0;
    }
    // width is at most 2^63 / 32 in any caller that passes a 32-bit width, so
    // the bit count cannot overflow.
    const int64_t bits = width * row->bitsPerPixel;
    const int64_t alignmentBits = static_cast<int64_t>(row->rowAlignment) * 8;
    const int64_t paddedBits = (bits + alignmentBits - 1) / alignmentBits * alignmentBits;
    return paddedBits / row->bitsPerPixel;
}

int64_t VideoFormatCatalogue::EvenHeight(VideoFormatId id, int64_t height) {
    const VideoFormatInfo* row = Row(id);
    if (row != nullptr && row->planar != 0 && (height % 2) != 0) {
        return height + (height > 0 ? 1 : -1);
    }
    return height;
}

bool VideoFormatCatalogue::ImageSize(VideoFormatId id, int64_t width, int64_t height, uint32_t bitCount,
                                     uint64_t* bytes) {
    const VideoFormatInfo* row = Row(id);
    if (row == nullptr || bytes == nullptr || width < 0 || width > INT32_MAX || height > INT32_MAX ||
        height < -static_cast<int64_t>(INT32_MAX)) {
        return false;
    }
    const uint64_t w = static_cast<uint64_t>(width);
    const uint64_t h = static_cast<uint64_t>(height < 0 ? -height : height);
    if (row->planar != 0) {
        if (row->planeCount == 2 || row->planeCount == 3) {
            *bytes = w * h + (w / row->chromaDivX) * (h / row->chromaDivY) * 2;
        } else {
            *bytes = w * h;
        }
        return true;
    }
    // The DIB rule: rows of whole 32-bit words.
    const uint64_t rowBytes = (static_cast<uint64_t>(bitCount) * w + 31) / 32 * 4;
    *bytes = rowBytes * h;
    return true;
}

int64_t VideoFormatCatalogue::MinimumRowBytes(VideoFormatId id, int64_t width) {
    const VideoFormatInfo* row = Row(id);
    if (row == nullptr || width < 0) {
        return -1;
    }
    if (row->planar != 0) {
        return width;
    }
    if (row->family == VideoFormat::UYVY || row->family == VideoFormat::YUY2 ||
        row->family == VideoFormat::YVYU) {
        // A lone last pixel still owns the chroma bytes of its group.
        return (width + 1) / 2 * 4;
    }
    return (width * row->bitsPerPixel + 7) / 8;
}

int64_t VideoFormatCatalogue::PlanarPictureBytes(VideoFormatId id, int64_t width, int64_t height) {
    const VideoFormatInfo* row = Row(id);
    if (row == nullptr || row->planar == 0 || width < 0 || height < 0) {
        return -1;
    }
    return width * height + (width / 2) * (height / 2) * 2;
}
