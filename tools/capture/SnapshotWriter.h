// SnapshotWriter: turns one frame of the connected video type into a top-down
// RGB picture and writes it as a BMP or PNG file (chosen by the extension).
// The PNG is written uncompressed (stored deflate blocks): no image library
// is needed, and any reader takes it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tools/capture/VideoFormatNames.h"

class SnapshotWriter {
  public:
    // Whether frames of this type can be turned into a picture: RGB24,
    // RGB32, ARGB32, Y800/Y8/GREY, YUY2/YUYV/YUNV, UYVY/UYNV/Y422, I420/IYUV,
    // YV12, NV12.
    static bool Supports(const VideoTypeSummary& type);

    // Converts the frame; false when the type is not supported or the frame
    // is shorter than the picture.
    bool Convert(const VideoTypeSummary& type, const uint8_t* data, size_t length);

    // Writes the converted picture: S_OK or the system's error.
    HRESULT Save(const std::wstring& path, bool png) const;

    bool HasPicture() const { return !m_rgb.empty(); }
    int32_t Width() const { return m_width; }
    int32_t Height() const { return m_height; }

  private:
    HRESULT SaveBmp(HANDLE file) const;
    HRESULT SavePng(HANDLE file) const;

    int32_t m_width = 0;
    int32_t m_height = 0;
    std::vector<uint8_t> m_rgb;  // top-down rows of R, G, B
};
