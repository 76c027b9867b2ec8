// What the open camera offers: its recognised pixel formats, each with the
// picture sizes it was probed at and the frame rate it reached there.
#pragma once

#include <cstdint>
#include <vector>

// One selectable picture size of a format.
struct CameraFrameSize {
    int64_t width;
    int64_t height;
    double frameRate;  // frames per second the camera reported at this size
};

// One recognised pixel format. A plain record, copied by value; a new one is
// all zeros except its format.
struct CameraFormat {
    static constexpr uint32_t kMaxSizes = 20;

    explicit CameraFormat(uint32_t formatId = 0) : format(formatId), sizeCount(0), sizes() {}

    uint32_t format;                   // the VideoFormatId the camera delivers in this pixel format
    uint32_t sizeCount;                // valid entries of sizes, 0 to kMaxSizes
    CameraFrameSize sizes[kMaxSizes];  // largest first
};

// The formats of the open camera in ascending format id; empty while no camera is open.
typedef std::vector<CameraFormat> CameraFormatList;
