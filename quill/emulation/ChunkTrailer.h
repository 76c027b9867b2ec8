// The chunk data appended to a payload while ChunkModeActive is on. Chunks
// are read from the end: each chunk's data is followed by its 8-byte trailer
// (identifier and length, both big-endian 32-bit); the image is the first
// chunk. Counter and time stamp are little-endian 64-bit.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Quill {
namespace Emulation {

struct ChunkValues {
    uint64_t frameCounter = 0;
    uint64_t timestamp = 0;
};

class ChunkTrailer {
  public:
    static constexpr uint32_t kImageId = 0xA5C10001u;
    static constexpr uint32_t kFrameCounterId = 0xA5C10002u;
    static constexpr uint32_t kTimestampId = 0xA5C10003u;
    // Bytes the chunks add after the image.
    static constexpr size_t kSize = 8 + (8 + 8) + (8 + 8);

    // Writes the chunks after imageSize bytes of image at payload.
    static void Write(uint8_t* payload, size_t imageSize, const ChunkValues& values);
    // Reads the chunks of a payload; false when it carries none or they are damaged.
    static bool Parse(const uint8_t* payload, size_t payloadSize, ChunkValues& values);
};

}  // namespace Emulation
}  // namespace Quill
