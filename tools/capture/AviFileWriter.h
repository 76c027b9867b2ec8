// AviFileWriter: writes one uncompressed video stream into a RIFF AVI file:
// 'hdrl' with the main and stream headers and the stream's BITMAPINFOHEADER,
// the frames in 'movi', and an 'idx1' index. The headers are written with
// placeholders when the file is opened and completed by Close, which fills in
// the frame count, the sizes and the rate.
//
// RGB frames are always stored bottom-up (positive height); a top-down RGB
// source is turned over row by row as it is written. The file stays within
// the 32-bit sizes of a RIFF AVI: frames beyond about 4 GB are not written
// and Truncated() says so.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tools/capture/VideoFormatNames.h"

class AviFileWriter {
  public:
    AviFileWriter() = default;
    ~AviFileWriter();
    AviFileWriter(const AviFileWriter&) = delete;
    AviFileWriter& operator=(const AviFileWriter&) = delete;

    // Creates (or replaces) the file and writes the headers; the picture is
    // the one the connected type describes. Fails with the system's error
    // when the file cannot be created or written.
    HRESULT Open(const std::wstring& path, const VideoTypeSummary& type);

    // Appends one frame of the size the type gives (longer data is cut, a
    // shorter frame is written as it is). S_FALSE when the size limit was
    // reached and the frame was left out.
    HRESULT WriteFrame(const uint8_t* data, size_t length);

    // Writes the index and completes the headers; the measured rate stands
    // in for a type that gave none. The file is closed either way.
    HRESULT Close(double measuredFramesPerSecond);

    bool IsOpen() const { return m_file != INVALID_HANDLE_VALUE; }
    uint32_t FramesWritten() const { return static_cast<uint32_t>(m_index.size()); }
    uint64_t BytesWritten() const { return m_position; }
    bool Truncated() const { return m_truncated; }

  private:
    struct IndexEntry {
        uint32_t offset;  // from the 'movi' list type
        uint32_t size;
    };

    HRESULT Write(const void* data, size_t length);
    HRESULT WriteAt(uint64_t position, const void* data, size_t length);
    HRESULT WriteHeaders(uint32_t frames, uint32_t scale, uint32_t rate);
    void RateFromFrameTime(REFERENCE_TIME frameTime, uint32_t* scale, uint32_t* rate) const;

    HANDLE m_file = INVALID_HANDLE_VALUE;
    VideoTypeSummary m_type;
    BITMAPINFOHEADER m_header = {};
    uint32_t m_frameBytes = 0;
    uint32_t m_rowBytes = 0;
    bool m_flipRows = false;
    uint32_t m_chunkId = 0;
    uint64_t m_position = 0;
    uint64_t m_moviListType = 0;  // position of 'movi' inside its LIST
    std::vector<IndexEntry> m_index;
    std::vector<uint8_t> m_rowBuffer;
    uint32_t m_largestFrame = 0;
    bool m_truncated = false;
};
