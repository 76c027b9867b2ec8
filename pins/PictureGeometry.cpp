#include "pins/PictureGeometry.h"

#include <amvideo.h>
#include <dvdmedia.h>

#include "conversion/MediaTypeReader.h"

bool ReadOutputGeometry(const AM_MEDIA_TYPE& mediaType, PictureGeometry* geometry, double* frameDurationMs) {
    const BITMAPINFOHEADER* header = BitmapHeaderOf(&mediaType);
    if (!header || !geometry || !frameDurationMs) {
        return false;
    }
    // Both video headers keep AvgTimePerFrame at the same place.
    const REFERENCE_TIME frameTime =
        reinterpret_cast<const VIDEOINFOHEADER*>(mediaType.pbFormat)->AvgTimePerFrame;
    *frameDurationMs = frameTime > 0 ? static_cast<double>(frameTime) / 10000.0 : kDefaultFrameDurationMs;

    geometry->width = header->biWidth;
    geometry->height = header->biHeight;
    geometry->format = FormatIdFromMediaType(&mediaType);
    geometry->stride = 0;
    const VideoFormatInfo* row = VideoFormatCatalogue::Row(geometry->format);
    if (row && row->bitsPerPixel != 0 && row->rowAlignment != 0) {
        const int64_t rowBytes = static_cast<int64_t>(row->bitsPerPixel) *
                                 VideoFormatCatalogue::PaddedWidth(geometry->format, header->biWidth) / 8;
        if (rowBytes <= INT32_MAX) {
            geometry->stride = static_cast<int32_t>(rowBytes);
        }
    }
    return true;
}

bool DibPictureBytes(const AM_MEDIA_TYPE& mediaType, int64_t* bytes) {
    const BITMAPINFOHEADER* header = BitmapHeaderOf(&mediaType);
    if (!header || !bytes || header->biWidth < 0) {
        return false;
    }
    const int64_t rows = header->biHeight < 0 ? -static_cast<int64_t>(header->biHeight) : header->biHeight;
    const int64_t rowBytes = (static_cast<int64_t>(header->biBitCount) * header->biWidth + 31) / 32 * 4;
    *bytes = rowBytes * rows;
    return true;
}
