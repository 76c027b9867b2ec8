// Lays the reference model's logical planes out in memory the way ConvertFrame
// describes a buffer (stride sign, orientation) and reads them back.
#pragma once

#include <cstdint>
#include <vector>

#include "ReferenceConversion.h"

namespace reference {

struct PictureMemory {
    std::vector<uint8_t> bytes;  // exactly the size passed to ConvertFrame
    uint8_t* pointer = nullptr;  // the first row processed
    int32_t stride = 0;          // as passed to ConvertFrame
};

// A buffer for a picture of `rows` rows. Packed: rows of rowBytes bytes.
// Planar: luma rows of `width` bytes followed by the two chroma planes, the
// stride passed being +-width. The buffer starts filled with `fill`.
PictureMemory AllocatePicture(bool planar, int width, int rows, int rowBytes, bool negativeStride,
                              uint8_t fill);

// Writes logical planes so that logical row r is the r-th row processed.
void StorePlanes(const Planes& planes, bool planar, bool yv12, PictureMemory& memory, int width, int rows,
                 int rowBytes, bool negativeStride);

// Reads back logical planes; `reversed` says the logical rows run from the
// last row processed (the destination of a flipped conversion).
Planes LoadPlanes(const PictureMemory& memory, bool planar, bool yv12, int width, int rows, int rowBytes,
                  bool negativeStride, bool reversed);

}  // namespace reference
