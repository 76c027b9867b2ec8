#include "tools/capture/SnapshotWriter.h"

#include <algorithm>
#include <cstring>

namespace {

enum class Layout { Unsupported, Bgr24, Bgra32, Grey, Yuyv, Uyvy, I420, Yv12, Nv12 };

constexpr uint32_t Fourcc(char a, char b, char c, char d) {
    return static_cast<uint32_t>(static_cast<uint8_t>(a)) |
           (static_cast<uint32_t>(static_cast<uint8_t>(b)) << 8) |
           (static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(d)) << 24);
}

Layout LayoutOf(const VideoTypeSummary& type) {
    const uint32_t fourcc = VideoFormatNames::FourccOfSubtype(type.subtype);
    if (fourcc == 0) {
        if (type.compression == BI_RGB && type.bitCount == 24) {
            return Layout::Bgr24;
        }
        if ((type.compression == BI_RGB || type.compression == BI_BITFIELDS) && type.bitCount == 32) {
            return Layout::Bgra32;
        }
        return Layout::Unsupported;
    }
    switch (fourcc) {
        case Fourcc('Y', '8', '0', '0'):
        case Fourcc('Y', '8', ' ', ' '):
        case Fourcc('G', 'R', 'E', 'Y'):
            return Layout::Grey;
        case Fourcc('Y', 'U', 'Y', '2'):
        case Fourcc('Y', 'U', 'Y', 'V'):
        case Fourcc('Y', 'U', 'N', 'V'):
            return Layout::Yuyv;
        case Fourcc('U', 'Y', 'V', 'Y'):
        case Fourcc('U', 'Y', 'N', 'V'):
        case Fourcc('Y', '4', '2', '2'):
            return Layout::Uyvy;
        case Fourcc('I', '4', '2', '0'):
        case Fourcc('I', 'Y', 'U', 'V'):
            return Layout::I420;
        case Fourcc('Y', 'V', '1', '2'):
            return Layout::Yv12;
        case Fourcc('N', 'V', '1', '2'):
            return Layout::Nv12;
        default:
            return Layout::Unsupported;
    }
}

uint8_t Clamp(int value) {
    return static_cast<uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
}

// BT.601, studio range.
void YuvToRgb(int y, int u, int v, uint8_t* rgb) {
    const int c = (y - 16) * 298;
    const int d = u - 128;
    const int e = v - 128;
    rgb[0] = Clamp((c + 409 * e + 128) >> 8);
    rgb[1] = Clamp((c - 100 * d - 208 * e + 128) >> 8);
    rgb[2] = Clamp((c + 516 * d + 128) >> 8);
}

uint32_t Crc32(const uint8_t* data, size_t length, uint32_t crc = 0) {
    static uint32_t table[256];
    static bool ready = false;
    if (!ready) {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            table[n] = c;
        }
        ready = true;
    }
    crc = ~crc;
    for (size_t i = 0; i < length; ++i) {
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    }
    return ~crc;
}

void PutBig32(std::vector<uint8_t>* out, uint32_t value) {
    out->push_back(static_cast<uint8_t>(value >> 24));
    out->push_back(static_cast<uint8_t>(value >> 16));
    out->push_back(static_cast<uint8_t>(value >> 8));
    out->push_back(static_cast<uint8_t>(value));
}

HRESULT WriteAll(HANDLE file, const void* data, size_t length) {
    DWORD written = 0;
    if (!WriteFile(file, data, static_cast<DWORD>(length), &written, nullptr)) {
        return HRESULT_FROM_WIN32(GetLastError());
    }
    return written == length ? S_OK : HRESULT_FROM_WIN32(ERROR_DISK_FULL);
}

HRESULT WritePngChunk(HANDLE file, const char* type, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> chunk;
    chunk.reserve(data.size() + 12);
    PutBig32(&chunk, static_cast<uint32_t>(data.size()));
    chunk.insert(chunk.end(), type, type + 4);
    chunk.insert(chunk.end(), data.begin(), data.end());
    PutBig32(&chunk, Crc32(chunk.data() + 4, data.size() + 4));
    return WriteAll(file, chunk.data(), chunk.size());
}

}  // namespace

bool SnapshotWriter::Supports(const VideoTypeSummary& type) {
    return type.valid && LayoutOf(type) != Layout::Unsupported;
}

bool SnapshotWriter::Convert(const VideoTypeSummary& type, const uint8_t* data, size_t length) {
    const Layout layout = LayoutOf(type);
    if (!type.valid || layout == Layout::Unsupported || !data) {
        return false;
    }
    const int32_t width = type.width;
    const int32_t height = type.AbsoluteHeight();
    const size_t dibStride = ((static_cast<size_t>(width) * type.bitCount + 31) / 32) * 4;
    size_t needed = 0;
    switch (layout) {
        case Layout::Bgr24:
        case Layout::Bgra32:
        case Layout::Grey:
        case Layout::Yuyv:
        case Layout::Uyvy:
            needed = dibStride * height;
            break;
        case Layout::I420:
        case Layout::Yv12:
        case Layout::Nv12:
            needed =
                static_cast<size_t>(width) * height + 2 * (static_cast<size_t>(width / 2) * (height / 2));
            break;
        case Layout::Unsupported:
            return false;
    }
    if (length < needed) {
        return false;
    }
    m_width = width;
    m_height = height;
    m_rgb.assign(static_cast<size_t>(width) * height * 3, 0);
    // Only RGB bitmaps with a positive height are stored bottom-up.
    const bool bottomUp = (layout == Layout::Bgr24 || layout == Layout::Bgra32) && type.height > 0;
    const size_t lumaBytes = static_cast<size_t>(width) * height;
    const size_t chromaStride = static_cast<size_t>(width / 2);
    const size_t chromaBytes = chromaStride * (height / 2);
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* out = &m_rgb[static_cast<size_t>(y) * width * 3];
        const uint8_t* row = data + dibStride * static_cast<size_t>(bottomUp ? height - 1 - y : y);
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* pixel = out + static_cast<size_t>(x) * 3;
            switch (layout) {
                case Layout::Bgr24:
                    pixel[0] = row[x * 3 + 2];
                    pixel[1] = row[x * 3 + 1];
                    pixel[2] = row[x * 3];
                    break;
                case Layout::Bgra32:
                    pixel[0] = row[x * 4 + 2];
                    pixel[1] = row[x * 4 + 1];
                    pixel[2] = row[x * 4];
                    break;
                case Layout::Grey:
                    pixel[0] = pixel[1] = pixel[2] = row[x];
                    break;
                case Layout::Yuyv: {
                    const uint8_t* group = row + (x / 2) * 4;
                    YuvToRgb(group[(x & 1) * 2], group[1], group[3], pixel);
                    break;
                }
                case Layout::Uyvy: {
                    const uint8_t* group = row + (x / 2) * 4;
                    YuvToRgb(group[1 + (x & 1) * 2], group[0], group[2], pixel);
                    break;
                }
                case Layout::I420:
                case Layout::Yv12: {
                    const size_t chroma =
                        static_cast<size_t>(y / 2) * chromaStride + std::min<size_t>(x / 2, chromaStride - 1);
                    const uint8_t* first = data + lumaBytes;
                    const uint8_t* second = first + chromaBytes;
                    const uint8_t u = layout == Layout::I420 ? first[chroma] : second[chroma];
                    const uint8_t v = layout == Layout::I420 ? second[chroma] : first[chroma];
                    YuvToRgb(data[static_cast<size_t>(y) * width + x], u, v, pixel);
                    break;
                }
                case Layout::Nv12: {
                    const uint8_t* uv = data + lumaBytes + static_cast<size_t>(y / 2) * width + (x / 2) * 2;
                    YuvToRgb(data[static_cast<size_t>(y) * width + x], uv[0], uv[1], pixel);
                    break;
                }
                case Layout::Unsupported:
                    break;
            }
        }
    }
    return true;
}

HRESULT SnapshotWriter::SaveBmp(HANDLE file) const {
    const uint32_t stride = ((static_cast<uint32_t>(m_width) * 24 + 31) / 32) * 4;
    const uint32_t imageBytes = stride * static_cast<uint32_t>(m_height);
    BITMAPFILEHEADER fileHeader = {};
    BITMAPINFOHEADER info = {};
    fileHeader.bfType = 0x4D42;  // "BM"
    fileHeader.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    fileHeader.bfSize = fileHeader.bfOffBits + imageBytes;
    info.biSize = sizeof(BITMAPINFOHEADER);
    info.biWidth = m_width;
    info.biHeight = m_height;  // bottom-up
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = imageBytes;
    HRESULT hr = WriteAll(file, &fileHeader, sizeof(fileHeader));
    if (SUCCEEDED(hr)) {
        hr = WriteAll(file, &info, sizeof(info));
    }
    std::vector<uint8_t> row(stride, 0);
    for (int32_t y = m_height - 1; y >= 0 && SUCCEEDED(hr); --y) {
        const uint8_t* source = &m_rgb[static_cast<size_t>(y) * m_width * 3];
        for (int32_t x = 0; x < m_width; ++x) {
            row[x * 3] = source[x * 3 + 2];
            row[x * 3 + 1] = source[x * 3 + 1];
            row[x * 3 + 2] = source[x * 3];
        }
        hr = WriteAll(file, row.data(), row.size());
    }
    return hr;
}

HRESULT SnapshotWriter::SavePng(HANDLE file) const {
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    HRESULT hr = WriteAll(file, kSignature, sizeof(kSignature));
    std::vector<uint8_t> header;
    PutBig32(&header, static_cast<uint32_t>(m_width));
    PutBig32(&header, static_cast<uint32_t>(m_height));
    header.push_back(8);  // bits per sample
    header.push_back(2);  // truecolour
    header.push_back(0);
    header.push_back(0);
    header.push_back(0);
    if (SUCCEEDED(hr)) {
        hr = WritePngChunk(file, "IHDR", header);
    }

    // The filtered rows (filter type 0) in stored deflate blocks.
    const size_t rowBytes = static_cast<size_t>(m_width) * 3;
    std::vector<uint8_t> raw;
    raw.reserve((rowBytes + 1) * m_height);
    for (int32_t y = 0; y < m_height; ++y) {
        raw.push_back(0);
        const uint8_t* row = &m_rgb[static_cast<size_t>(y) * rowBytes];
        raw.insert(raw.end(), row, row + rowBytes);
    }
    std::vector<uint8_t> zlib;
    zlib.reserve(raw.size() + raw.size() / 65535 * 5 + 16);
    zlib.push_back(0x78);
    zlib.push_back(0x01);
    size_t offset = 0;
    do {
        const size_t block = std::min<size_t>(65535, raw.size() - offset);
        const bool last = offset + block == raw.size();
        zlib.push_back(last ? 1 : 0);
        zlib.push_back(static_cast<uint8_t>(block));
        zlib.push_back(static_cast<uint8_t>(block >> 8));
        zlib.push_back(static_cast<uint8_t>(~block));
        zlib.push_back(static_cast<uint8_t>(~block >> 8));
        zlib.insert(zlib.end(), raw.begin() + offset, raw.begin() + offset + block);
        offset += block;
    } while (offset < raw.size());
    uint32_t a = 1;
    uint32_t b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutBig32(&zlib, (b << 16) | a);
    if (SUCCEEDED(hr)) {
        hr = WritePngChunk(file, "IDAT", zlib);
    }
    if (SUCCEEDED(hr)) {
        hr = WritePngChunk(file, "IEND", std::vector<uint8_t>());
    }
    return hr;
}

HRESULT SnapshotWriter::Save(const std::wstring& path, bool png) const {
    if (m_rgb.empty()) {
        return E_UNEXPECTED;
    }
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return HRESULT_FROM_WIN32(GetLastError());
    }
    HRESULT hr = png ? SavePng(file) : SaveBmp(file);
    if (!CloseHandle(file) && SUCCEEDED(hr)) {
        hr = HRESULT_FROM_WIN32(GetLastError());
    }
    if (FAILED(hr)) {
        DeleteFileW(path.c_str());
    }
    return hr;
}
