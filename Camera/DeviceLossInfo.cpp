#include "Camera/DeviceLossInfo.h"

#include <climits>
#include <cstring>

namespace {

const char kDeviceLostText[] = "Device Unplugged!";
constexpr COLORREF kTextColour = RGB(220, 220, 220);
constexpr COLORREF kBackgroundColour = RGB(0, 0, 0);

}  // namespace

CDeviceLossInfo::~CDeviceLossInfo() = default;

size_t CDeviceLossInfo::PictureSize(int64_t width, int64_t height) {
    if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX) {
        return 0;
    }
    // Both below 2^31, so the products below stay far inside 64 bits.
    const uint64_t stride = ((static_cast<uint64_t>(width) * 32 + 31) / 8) & ~uint64_t(3);
    const uint64_t size = stride * static_cast<uint64_t>(height);
    if (size > static_cast<uint64_t>(INT32_MAX)) {
        return 0;
    }
    return static_cast<size_t>(size);
}

HRESULT CDeviceLossInfo::DrawDeviceLostPicture(uint8_t* buffer, size_t bufferSize, int32_t width,
                                               int32_t height, int32_t /*bitsPerPixel*/) {
    const size_t imageSize = PictureSize(width, height);
    if (buffer == nullptr || imageSize == 0 || bufferSize < imageSize) {
        return E_INVALIDARG;
    }
    m_picture = buffer;
    std::memset(m_picture, 0, imageSize);

    BITMAPINFO info;
    std::memset(&info, 0, sizeof(info));
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // positive: the rows run bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = static_cast<DWORD>(imageSize);

    HRESULT hr = E_FAIL;
    HDC dc = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    HBITMAP bitmap = dc != nullptr ? CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
    HFONT font = nullptr;
    if (bitmap != nullptr && bits != nullptr) {
        std::memset(bits, 0, imageSize);
        HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
        SelectObject(dc, GetStockObject(BLACK_PEN));
        RECT whole = {0, 0, width, height};
        FillRect(dc, &whole, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));

        font = CreateFontA(width / 10, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0,
                           "Arial");
        HGDIOBJ oldFont = font != nullptr ? SelectObject(dc, font) : nullptr;
        SetBkColor(dc, kBackgroundColour);
        SetTextColor(dc, kTextColour);

        RECT measured = {0, 0, 0, 0};
        DrawTextA(dc, kDeviceLostText, -1, &measured, DT_CALCRECT);
        const LONG textWidth = measured.right - measured.left;
        const LONG textHeight = measured.bottom - measured.top;
        RECT placed;
        placed.left = (width - textWidth) / 2;
        placed.top = (height - textHeight) / 2;
        placed.right = placed.left + textWidth;
        placed.bottom = placed.top + textHeight;
        DrawTextA(dc, kDeviceLostText, -1, &placed, DT_CENTER);
        GdiFlush();

        std::memcpy(m_picture, bits, imageSize);
        hr = S_OK;

        if (oldFont != nullptr) {
            SelectObject(dc, oldFont);
        }
        SelectObject(dc, oldBitmap);
    }
    if (font != nullptr) {
        DeleteObject(font);
    }
    if (bitmap != nullptr) {
        DeleteObject(bitmap);
    }
    if (dc != nullptr) {
        DeleteDC(dc);
    }
    m_picture = nullptr;
    return hr;
}
