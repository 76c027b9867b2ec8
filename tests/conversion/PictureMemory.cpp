#include "PictureMemory.h"

#include <cstring>

namespace reference {

namespace {

struct PlaneSpan {
    size_t offset;  // from the lowest address
    int rowBytes;
    int rows;
};

std::vector<PlaneSpan> Spans(bool planar, bool yv12, int width, int rows, int rowBytes) {
    if (!planar) {
        return {{0, rowBytes, rows}};
    }
    const size_t luma = static_cast<size_t>(width) * rows;
    const size_t chroma = static_cast<size_t>(width / 2) * (rows / 2);
    // Logical order Y, U, V; YV12 keeps V before U in memory.
    const size_t first = luma;
    const size_t second = luma + chroma;
    return {{0, width, rows},
            {yv12 ? second : first, width / 2, rows / 2},
            {yv12 ? first : second, width / 2, rows / 2}};
}

size_t TotalBytes(bool planar, int width, int rows, int rowBytes) {
    if (planar) {
        return static_cast<size_t>(width) * rows + 2 * static_cast<size_t>(width / 2) * (rows / 2);
    }
    return static_cast<size_t>(rowBytes) * rows;
}

size_t MemoryRow(int row, int rows, bool reversed) {
    return static_cast<size_t>(reversed ? rows - 1 - row : row);
}

}  // namespace

PictureMemory AllocatePicture(bool planar, int width, int rows, int rowBytes, bool negativeStride,
                              uint8_t fill) {
    PictureMemory memory;
    memory.bytes.assign(TotalBytes(planar, width, rows, rowBytes), fill);
    const int step = planar ? width : rowBytes;
    memory.stride = negativeStride ? -step : step;
    memory.pointer = memory.bytes.data() + (negativeStride ? static_cast<size_t>(rows - 1) * step : 0);
    return memory;
}

void StorePlanes(const Planes& planes, bool planar, bool yv12, PictureMemory& memory, int width, int rows,
                 int rowBytes, bool negativeStride) {
    const std::vector<PlaneSpan> spans = Spans(planar, yv12, width, rows, rowBytes);
    for (size_t index = 0; index < spans.size(); ++index) {
        const PlaneSpan& span = spans[index];
        for (int row = 0; row < span.rows; ++row) {
            const size_t at = span.offset + MemoryRow(row, span.rows, negativeStride) * span.rowBytes;
            std::memcpy(&memory.bytes[at],
                        &planes[index].bytes[static_cast<size_t>(row) * planes[index].rowBytes],
                        static_cast<size_t>(span.rowBytes));
        }
    }
}

Planes LoadPlanes(const PictureMemory& memory, bool planar, bool yv12, int width, int rows, int rowBytes,
                  bool negativeStride, bool reversed) {
    const std::vector<PlaneSpan> spans = Spans(planar, yv12, width, rows, rowBytes);
    Planes planes;
    for (const PlaneSpan& span : spans) {
        Plane plane;
        plane.rowBytes = span.rowBytes;
        plane.rows = span.rows;
        plane.bytes.resize(static_cast<size_t>(span.rowBytes) * span.rows);
        for (int row = 0; row < span.rows; ++row) {
            const size_t at =
                span.offset + MemoryRow(row, span.rows, negativeStride != reversed) * span.rowBytes;
            std::memcpy(&plane.bytes[static_cast<size_t>(row) * span.rowBytes], &memory.bytes[at],
                        static_cast<size_t>(span.rowBytes));
        }
        planes.push_back(plane);
    }
    return planes;
}

}  // namespace reference
