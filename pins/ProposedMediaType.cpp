#include "pins/ProposedMediaType.h"

#include <amvideo.h>
#include <dvdmedia.h>

#include "conversion/MediaTypeReader.h"

namespace {

// No video header with its palette needs more; a longer block is a length
// that cannot be true, and copying it would be a huge allocation.
constexpr ULONG kLongestFormatBlock = 64 * 1024;

}  // namespace

HRESULT ParseProposedMediaType(const AM_MEDIA_TYPE* mediaType, ProposedMediaType* proposal) {
    if (!mediaType || !proposal) {
        return E_INVALIDARG;
    }
    // BitmapHeaderOf refuses other format types and blocks shorter than the
    // header their format type promises.
    const BITMAPINFOHEADER* header = BitmapHeaderOf(mediaType);
    if (!header || mediaType->cbFormat > kLongestFormatBlock) {
        return E_INVALIDARG;
    }
    // Both video headers keep AvgTimePerFrame at the same place.
    const REFERENCE_TIME frameTime =
        reinterpret_cast<const VIDEOINFOHEADER*>(mediaType->pbFormat)->AvgTimePerFrame;

    // INT32_MIN has no magnitude in 32 bits.
    if (header->biWidth < 1 || header->biHeight == 0 || header->biHeight == INT32_MIN) {
        return E_INVALIDARG;
    }
    const int32_t height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
    const VideoFormatId format = VideoFormatCatalogue::FindBySubtype(mediaType->subtype);
    const VideoFormatInfo* row = VideoFormatCatalogue::Row(format);
    if (row) {
        // Sized by the format's own bit count, not the header's, which may lie.
        uint64_t bytes = 0;
        if (!VideoFormatCatalogue::ImageSize(format, header->biWidth, height, row->bitsPerPixel, &bytes) ||
            bytes == 0 || bytes > MAXDWORD) {
            return E_INVALIDARG;
        }
    }

    proposal->format = format;
    proposal->width = header->biWidth;
    proposal->height = height;
    proposal->frameRate = frameTime > 0 ? 1000.0 / (static_cast<double>(frameTime) / 10000.0) : 0.0;
    return S_OK;
}
