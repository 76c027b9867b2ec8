// The fixed table of every picture format the filter receives or offers, and
// the layout arithmetic derived from it. Read-only, no state, any thread.
#pragma once

#include <cstddef>
#include <cstdint>

#include "conversion/PortableTypes.h"

// Row of the catalogue, 0 to 23; -1 names a format outside it.
typedef int32_t VideoFormatId;

namespace VideoFormat {
enum : VideoFormatId {
    Unknown = -1,
    UYVY = 0,
    UYNV,
    Y422,
    YUY2,
    YUYV,
    YUNV,
    YVYU,
    YV12,
    I420,
    IYUV,
    NV12,
    Y41P,
    RGB32,
    ARGB32,
    RGB24,
    Y800,
    Y8,
    GREY,
    RGB8,
    BYBG,
    BYGB,
    BYRG,
    BYGR,
    ORBY,
    Count
};
}  // namespace VideoFormat

struct VideoFormatInfo {
    const GUID* subtype;
    uint32_t fourcc;  // first character in the low byte; 0 for the RGB rows
    int32_t id;
    int32_t family;  // id of the first row with the same memory layout
    const char* name;
    uint32_t bitsPerPixel;  // averaged over all planes for planar formats
    uint32_t rowAlignment;  // bytes
    uint32_t hasPalette;
    uint32_t topDown;  // 1: first row in memory is the top row whatever the height's sign
    uint32_t planar;
    uint32_t planarLayout;  // 0 packed, 4 three planes, 6 Y plus interleaved chroma
    uint32_t planeCount;
    uint32_t chromaDivX;
    uint32_t chromaDivY;
};

constexpr uint32_t MakeFourcc(char a, char b, char c, char d) {
    return static_cast<uint32_t>(static_cast<uint8_t>(a)) |
           (static_cast<uint32_t>(static_cast<uint8_t>(b)) << 8) |
           (static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(d)) << 24);
}

class VideoFormatCatalogue {
  public:
    static constexpr int32_t kRowCount = VideoFormat::Count;

    // The row of an id, or null for an id outside 0 to 23.
    static const VideoFormatInfo* Row(VideoFormatId id);

    // Id of the last row whose subtype (or FOURCC) matches, else -1.
    static VideoFormatId FindBySubtype(const GUID& subtype);
    static VideoFormatId FindByFourcc(uint32_t fourcc);

    // Copies the name with its terminating zero; E_INVALIDARG for a bad id, a
    // null buffer or a buffer not larger than the name.
    static HRESULT FormatName(VideoFormatId id, char* buffer, size_t bufferSize);

    // Width whose row (width x bitsPerPixel bits) is rounded up to rowAlignment
    // bytes; 0 for a bad id or a negative width.
    static int64_t PaddedWidth(VideoFormatId id, int64_t width);

    // Planar formats raise an odd height by one; others keep it.
    static int64_t EvenHeight(VideoFormatId id, int64_t height);

    // Bytes of a picture as a media type describes it: planes for the planar
    // formats, DIB rows of bitCount bits for the packed ones. False for a bad id
    // or a negative width.
    static bool ImageSize(VideoFormatId id, int64_t width, int64_t height, uint32_t bitCount,
                          uint64_t* bytes);

    // Bytes that one row of a packed picture of this width occupies at least
    // (4:2:2 rows hold whole two-pixel groups); for planar formats the bytes of
    // one luma row. -1 for a bad id or a negative width.
    static int64_t MinimumRowBytes(VideoFormatId id, int64_t width);

    // Bytes of the planes of a planar picture without row padding: the luma
    // plane then two chroma planes of (width / 2) x (height / 2). -1 if not planar.
    static int64_t PlanarPictureBytes(VideoFormatId id, int64_t width, int64_t height);
};
