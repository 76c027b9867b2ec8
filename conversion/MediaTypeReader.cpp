#include "conversion/MediaTypeReader.h"

const BITMAPINFOHEADER* BitmapHeaderOf(const AM_MEDIA_TYPE* mediaType) {
    if (mediaType == nullptr || mediaType->pbFormat == nullptr) {
        return nullptr;
    }
    if (IsEqualGUID(mediaType->formattype, FORMAT_VideoInfo)) {
        if (mediaType->cbFormat < sizeof(VIDEOINFOHEADER)) {
            return nullptr;
        }
        return &reinterpret_cast<const VIDEOINFOHEADER*>(mediaType->pbFormat)->bmiHeader;
    }
    if (IsEqualGUID(mediaType->formattype, FORMAT_VideoInfo2)) {
        if (mediaType->cbFormat < sizeof(VIDEOINFOHEADER2)) {
            return nullptr;
        }
        return &reinterpret_cast<const VIDEOINFOHEADER2*>(mediaType->pbFormat)->bmiHeader;
    }
    return nullptr;
}

VideoFormatId FormatIdFromMediaType(const AM_MEDIA_TYPE* mediaType) {
    if (mediaType == nullptr) {
        return VideoFormat::Unknown;
    }
    const BITMAPINFOHEADER* header = BitmapHeaderOf(mediaType);
    if (IsEqualGUID(mediaType->subtype, GUID_NULL) && header != nullptr) {
        return VideoFormatCatalogue::FindByFourcc(header->biCompression);
    }
    return VideoFormatCatalogue::FindBySubtype(mediaType->subtype);
}

HRESULT ImageSizeOfHeader(VideoFormatId format, const BITMAPINFOHEADER& header, DWORD* size) {
    uint64_t bytes = 0;
    if (size == nullptr ||
        !VideoFormatCatalogue::ImageSize(format, header.biWidth, header.biHeight, header.biBitCount,
                                         &bytes) ||
        bytes > MAXDWORD) {
        return E_INVALIDARG;
    }
    *size = static_cast<DWORD>(bytes);
    return S_OK;
}
