#include "tools/capture/AviFileWriter.h"

#include <vfwmsgs.h>

#include <cstring>

namespace {

constexpr uint32_t Fourcc(char a, char b, char c, char d) {
    return static_cast<uint32_t>(static_cast<uint8_t>(a)) |
           (static_cast<uint32_t>(static_cast<uint8_t>(b)) << 8) |
           (static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(d)) << 24);
}

constexpr uint32_t kAvifHasIndex = 0x00000010;
constexpr uint32_t kAvifIsInterleaved = 0x00000100;
constexpr uint32_t kAviifKeyframe = 0x00000010;
// Headers, index and padding must fit below 4 GB with the frames.
constexpr uint64_t kSizeLimit = 0xFFFFFFFFull - (64ull << 20);

#pragma pack(push, 2)
struct MainHeader {
    uint32_t microSecPerFrame;
    uint32_t maxBytesPerSec;
    uint32_t paddingGranularity;
    uint32_t flags;
    uint32_t totalFrames;
    uint32_t initialFrames;
    uint32_t streams;
    uint32_t suggestedBufferSize;
    uint32_t width;
    uint32_t height;
    uint32_t reserved[4];
};
struct StreamHeader {
    uint32_t type;
    uint32_t handler;
    uint32_t flags;
    uint16_t priority;
    uint16_t language;
    uint32_t initialFrames;
    uint32_t scale;
    uint32_t rate;
    uint32_t start;
    uint32_t length;
    uint32_t suggestedBufferSize;
    uint32_t quality;
    uint32_t sampleSize;
    int16_t frameLeft;
    int16_t frameTop;
    int16_t frameRight;
    int16_t frameBottom;
};
#pragma pack(pop)
static_assert(sizeof(MainHeader) == 56, "avih is 56 bytes");
static_assert(sizeof(StreamHeader) == 56, "strh is 56 bytes");

// Byte positions of the header layout written by WriteHeaders.
constexpr uint32_t kStrlSize = 4 + (8 + sizeof(StreamHeader)) + (8 + sizeof(BITMAPINFOHEADER));
constexpr uint32_t kHdrlSize = 4 + (8 + sizeof(MainHeader)) + (8 + kStrlSize);
constexpr uint64_t kMoviListPosition = 12 + 8 + kHdrlSize;  // the 'LIST' of 'movi'

uint64_t Gcd(uint64_t a, uint64_t b) {
    while (b != 0) {
        const uint64_t t = a % b;
        a = b;
        b = t;
    }
    return a;
}

}  // namespace

AviFileWriter::~AviFileWriter() {
    if (m_file != INVALID_HANDLE_VALUE) {
        CloseHandle(m_file);
    }
}

HRESULT AviFileWriter::Write(const void* data, size_t length) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    while (length > 0) {
        const DWORD chunk = length > (1u << 30) ? (1u << 30) : static_cast<DWORD>(length);
        DWORD written = 0;
        if (!WriteFile(m_file, bytes, chunk, &written, nullptr)) {
            return HRESULT_FROM_WIN32(GetLastError());
        }
        if (written != chunk) {
            return HRESULT_FROM_WIN32(ERROR_DISK_FULL);
        }
        bytes += chunk;
        length -= chunk;
        m_position += chunk;
    }
    return S_OK;
}

HRESULT AviFileWriter::WriteAt(uint64_t position, const void* data, size_t length) {
    LARGE_INTEGER target;
    target.QuadPart = static_cast<LONGLONG>(position);
    if (!SetFilePointerEx(m_file, target, nullptr, FILE_BEGIN)) {
        return HRESULT_FROM_WIN32(GetLastError());
    }
    const uint64_t saved = m_position;
    m_position = position;
    const HRESULT hr = Write(data, length);
    m_position = saved;
    return hr;
}

void AviFileWriter::RateFromFrameTime(REFERENCE_TIME frameTime, uint32_t* scale, uint32_t* rate) const {
    uint64_t s = frameTime > 0 ? static_cast<uint64_t>(frameTime) : 333333;
    uint64_t r = 10000000;
    const uint64_t divisor = Gcd(s, r);
    s /= divisor;
    r /= divisor;
    *scale = static_cast<uint32_t>(s);
    *rate = static_cast<uint32_t>(r);
}

HRESULT AviFileWriter::WriteHeaders(uint32_t frames, uint32_t scale, uint32_t rate) {
    const uint32_t width = static_cast<uint32_t>(m_header.biWidth);
    const uint32_t height = static_cast<uint32_t>(m_header.biHeight);
    const uint64_t moviBytes = m_position > kMoviListPosition + 8 ? m_position - (kMoviListPosition + 8) : 4;

    std::vector<uint8_t> block;
    auto put32 = [&block](uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8) {
            block.push_back(static_cast<uint8_t>(value >> shift));
        }
    };
    auto putBytes = [&block](const void* data, size_t length) {
        const auto* bytes = static_cast<const uint8_t*>(data);
        block.insert(block.end(), bytes, bytes + length);
    };

    MainHeader main = {};
    main.microSecPerFrame = static_cast<uint32_t>(rate > 0 ? (1000000ull * scale) / rate : 0);
    main.maxBytesPerSec = static_cast<uint32_t>(
        scale > 0 ? (static_cast<uint64_t>(m_largestFrame ? m_largestFrame : m_frameBytes) * rate) / scale
                  : 0);
    main.flags = kAvifHasIndex | kAvifIsInterleaved;
    main.totalFrames = frames;
    main.streams = 1;
    main.suggestedBufferSize = (m_largestFrame ? m_largestFrame : m_frameBytes) + 8;
    main.width = width;
    main.height = height;

    StreamHeader stream = {};
    stream.type = Fourcc('v', 'i', 'd', 's');
    stream.handler = m_header.biCompression == BI_RGB ? 0 : m_header.biCompression;
    stream.scale = scale;
    stream.rate = rate;
    stream.length = frames;
    stream.suggestedBufferSize = main.suggestedBufferSize;
    stream.quality = 0xFFFFFFFFu;
    stream.frameRight = static_cast<int16_t>(width > 32767 ? 32767 : width);
    stream.frameBottom = static_cast<int16_t>(height > 32767 ? 32767 : height);

    // RIFF 'AVI ' size: everything after the first 8 bytes.
    put32(Fourcc('R', 'I', 'F', 'F'));
    put32(static_cast<uint32_t>(m_position > 8 ? m_position - 8 : 4));
    put32(Fourcc('A', 'V', 'I', ' '));
    put32(Fourcc('L', 'I', 'S', 'T'));
    put32(kHdrlSize);
    put32(Fourcc('h', 'd', 'r', 'l'));
    put32(Fourcc('a', 'v', 'i', 'h'));
    put32(sizeof(MainHeader));
    putBytes(&main, sizeof(main));
    put32(Fourcc('L', 'I', 'S', 'T'));
    put32(kStrlSize);
    put32(Fourcc('s', 't', 'r', 'l'));
    put32(Fourcc('s', 't', 'r', 'h'));
    put32(sizeof(StreamHeader));
    putBytes(&stream, sizeof(stream));
    put32(Fourcc('s', 't', 'r', 'f'));
    put32(sizeof(BITMAPINFOHEADER));
    putBytes(&m_header, sizeof(m_header));
    put32(Fourcc('L', 'I', 'S', 'T'));
    put32(static_cast<uint32_t>(moviBytes));
    put32(Fourcc('m', 'o', 'v', 'i'));
    return WriteAt(0, block.data(), block.size());
}

HRESULT AviFileWriter::Open(const std::wstring& path, const VideoTypeSummary& type) {
    if (m_file != INVALID_HANDLE_VALUE) {
        return E_UNEXPECTED;
    }
    if (!type.valid || !type.header) {
        return VFW_E_INVALIDMEDIATYPE;
    }
    m_type = type;
    m_header = *type.header;
    m_header.biSize = sizeof(BITMAPINFOHEADER);
    const bool rgb = m_header.biCompression == BI_RGB || m_header.biCompression == BI_BITFIELDS;
    const int32_t height = type.AbsoluteHeight();
    m_flipRows = rgb && type.height < 0;
    m_header.biHeight = height;
    m_rowBytes = static_cast<uint32_t>(((static_cast<uint64_t>(type.width) * type.bitCount + 31) / 32) * 4);
    uint64_t frameBytes = type.imageSize;
    if (rgb || frameBytes == 0) {
        frameBytes = static_cast<uint64_t>(m_rowBytes) * static_cast<uint64_t>(height);
        if (!rgb) {
            // Planar and packed YUV: the bits per pixel give the whole picture.
            frameBytes = (static_cast<uint64_t>(type.width) * height * type.bitCount + 7) / 8;
        }
    }
    if (frameBytes == 0 || frameBytes > kSizeLimit / 2) {
        return VFW_E_INVALIDMEDIATYPE;
    }
    m_frameBytes = static_cast<uint32_t>(frameBytes);
    m_header.biSizeImage = m_frameBytes;
    m_chunkId = rgb ? Fourcc('0', '0', 'd', 'b') : Fourcc('0', '0', 'd', 'c');
    if (m_flipRows) {
        m_rowBuffer.resize(m_rowBytes);
    }

    m_file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (m_file == INVALID_HANDLE_VALUE) {
        return HRESULT_FROM_WIN32(GetLastError());
    }
    m_position = kMoviListPosition + 12;  // after "LIST" size "movi"
    m_moviListType = kMoviListPosition + 8;
    uint32_t scale = 0;
    uint32_t rate = 0;
    RateFromFrameTime(type.avgTimePerFrame, &scale, &rate);
    HRESULT hr = WriteHeaders(0, scale, rate);
    if (SUCCEEDED(hr)) {
        LARGE_INTEGER target;
        target.QuadPart = static_cast<LONGLONG>(m_position);
        if (!SetFilePointerEx(m_file, target, nullptr, FILE_BEGIN)) {
            hr = HRESULT_FROM_WIN32(GetLastError());
        }
    }
    if (FAILED(hr)) {
        CloseHandle(m_file);
        m_file = INVALID_HANDLE_VALUE;
        DeleteFileW(path.c_str());
    }
    return hr;
}

HRESULT AviFileWriter::WriteFrame(const uint8_t* data, size_t length) {
    if (m_file == INVALID_HANDLE_VALUE) {
        return E_UNEXPECTED;
    }
    if (!data) {
        return E_POINTER;
    }
    uint32_t size = length > m_frameBytes ? m_frameBytes : static_cast<uint32_t>(length);
    if (m_flipRows && size < m_frameBytes) {
        size = m_frameBytes;  // turning rows over needs the whole picture
        if (length < m_frameBytes) {
            return S_FALSE;
        }
    }
    const uint64_t needed = m_position + 8 + size + 1 + (m_index.size() + 1) * 16 + 8;
    if (needed > kSizeLimit) {
        m_truncated = true;
        return S_FALSE;
    }
    const uint32_t offset = static_cast<uint32_t>(m_position - m_moviListType);
    const uint32_t chunkHeader[2] = {m_chunkId, size};
    HRESULT hr = Write(chunkHeader, sizeof(chunkHeader));
    if (FAILED(hr)) {
        return hr;
    }
    if (m_flipRows) {
        const uint32_t rows = static_cast<uint32_t>(m_header.biHeight);
        for (uint32_t row = 0; row < rows && SUCCEEDED(hr); ++row) {
            hr = Write(data + static_cast<size_t>(rows - 1 - row) * m_rowBytes, m_rowBytes);
        }
    } else {
        hr = Write(data, size);
    }
    if (SUCCEEDED(hr) && (size & 1) != 0) {
        const uint8_t pad = 0;
        hr = Write(&pad, 1);
    }
    if (FAILED(hr)) {
        return hr;
    }
    m_index.push_back({offset, size});
    if (size > m_largestFrame) {
        m_largestFrame = size;
    }
    return S_OK;
}

HRESULT AviFileWriter::Close(double measuredFramesPerSecond) {
    if (m_file == INVALID_HANDLE_VALUE) {
        return S_FALSE;
    }
    std::vector<uint32_t> index;
    index.reserve(m_index.size() * 4 + 2);
    index.push_back(Fourcc('i', 'd', 'x', '1'));
    index.push_back(static_cast<uint32_t>(m_index.size() * 16));
    for (const IndexEntry& entry : m_index) {
        index.push_back(m_chunkId);
        index.push_back(kAviifKeyframe);
        index.push_back(entry.offset);
        index.push_back(entry.size);
    }
    // The 'movi' list ends where the index begins.
    const uint64_t moviEnd = m_position;
    HRESULT hr = Write(index.data(), index.size() * sizeof(uint32_t));
    uint32_t scale = 0;
    uint32_t rate = 0;
    REFERENCE_TIME frameTime = m_type.avgTimePerFrame;
    if (frameTime <= 0 && measuredFramesPerSecond > 0.0) {
        frameTime = static_cast<REFERENCE_TIME>(1.0e7 / measuredFramesPerSecond + 0.5);
    }
    RateFromFrameTime(frameTime, &scale, &rate);
    if (SUCCEEDED(hr)) {
        const uint64_t fileEnd = m_position;
        m_position = moviEnd;
        hr = WriteHeaders(FramesWritten(), scale, rate);
        // WriteHeaders takes the RIFF size from m_position: rewrite it for
        // the whole file now that the movi size is in place.
        m_position = fileEnd;
        if (SUCCEEDED(hr)) {
            const uint32_t riffSize = static_cast<uint32_t>(fileEnd - 8);
            hr = WriteAt(4, &riffSize, sizeof(riffSize));
        }
    }
    if (!CloseHandle(m_file) && SUCCEEDED(hr)) {
        hr = HRESULT_FROM_WIN32(GetLastError());
    }
    m_file = INVALID_HANDLE_VALUE;
    return hr;
}
