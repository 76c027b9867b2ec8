#include "VideoTypes.h"

#include <amvideo.h>
#include <dvdmedia.h>
#include <uuids.h>

CMediaType VideoType(const GUID& subtype, LONG width, LONG height, REFERENCE_TIME frameTime) {
    CMediaType type(&MEDIATYPE_Video);
    type.SetSubtype(&subtype);
    type.SetFormatType(&FORMAT_VideoInfo);
    VIDEOINFOHEADER video = {};
    video.AvgTimePerFrame = frameTime;
    video.bmiHeader.biSize = sizeof(video.bmiHeader);
    video.bmiHeader.biWidth = width;
    video.bmiHeader.biHeight = height;
    video.bmiHeader.biPlanes = 1;
    video.bmiHeader.biBitCount = subtype == MEDIASUBTYPE_RGB24 ? 24 : 8;
    type.SetFormat(reinterpret_cast<const BYTE*>(&video), sizeof(video));
    return type;
}

const BITMAPINFOHEADER* BitmapHeaderOf(const AM_MEDIA_TYPE& type) {
    if (!type.pbFormat) {
        return nullptr;
    }
    if (type.formattype == FORMAT_VideoInfo && type.cbFormat >= sizeof(VIDEOINFOHEADER)) {
        return &reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat)->bmiHeader;
    }
    if (type.formattype == FORMAT_VideoInfo2 && type.cbFormat >= sizeof(VIDEOINFOHEADER2)) {
        return &reinterpret_cast<const VIDEOINFOHEADER2*>(type.pbFormat)->bmiHeader;
    }
    return nullptr;
}

REFERENCE_TIME FrameTimeOf(const AM_MEDIA_TYPE& type) {
    // Both video headers keep AvgTimePerFrame at the same place.
    return BitmapHeaderOf(type) ? reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat)->AvgTimePerFrame
                                : -1;
}
