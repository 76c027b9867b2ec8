// Reading DirectShow video media types against the catalogue, on the
// platform's structures or their native stand-ins.
#pragma once

#include "conversion/PortableMediaTypes.h"
#include "conversion/VideoFormatCatalogue.h"

// The BITMAPINFOHEADER inside a VIDEOINFOHEADER or VIDEOINFOHEADER2 block, or
// null: another format type, no block, or a block shorter than the header its
// format type promises (which would otherwise be read past its end).
const BITMAPINFOHEADER* BitmapHeaderOf(const AM_MEDIA_TYPE* mediaType);

// The catalogue row of a media type: by the FOURCC in biCompression when the
// subtype is GUID_NULL and a header is present, else by subtype; -1 for none.
VideoFormatId FormatIdFromMediaType(const AM_MEDIA_TYPE* mediaType);

// The image size of a picture described by a bitmap header in a format (the
// catalogue's rule); E_INVALIDARG when it does not fit in 32 bits.
HRESULT ImageSizeOfHeader(VideoFormatId format, const BITMAPINFOHEADER& header, DWORD* size);
