// CDeviceLossInfo: renders the picture that tells the receivers the camera is
// gone: "Device Unplugged!" in bold Arial, light grey on black, centred, in a
// bottom-up RGB32 picture (rows of width x 4 bytes, the bottom row first).
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

class CDeviceLossInfo {
  public:
    CDeviceLossInfo() = default;
    virtual ~CDeviceLossInfo();

    CDeviceLossInfo(const CDeviceLossInfo&) = delete;
    CDeviceLossInfo& operator=(const CDeviceLossInfo&) = delete;

    // Bytes of a width x height RGB32 picture; 0 when either is not positive
    // or the picture would not fit in 2^31 - 1 bytes (what a DIB section takes).
    static size_t PictureSize(int64_t width, int64_t height);

    // Renders into buffer, which must hold PictureSize(width, height) bytes;
    // bufferSize bounds every write. bitsPerPixel is always 32 and not read.
    // E_INVALIDARG for a null buffer, a size of 0 or a buffer too small (then
    // nothing is written); E_FAIL when the graphics interface fails (the
    // buffer is then black).
    HRESULT DrawDeviceLostPicture(uint8_t* buffer, size_t bufferSize, int32_t width, int32_t height,
                                  int32_t bitsPerPixel = 32);

  private:
    uint8_t* m_picture = nullptr;  // the buffer being rendered into; not owned
};
