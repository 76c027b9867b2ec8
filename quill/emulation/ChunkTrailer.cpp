#include "quill/emulation/ChunkTrailer.h"

namespace Quill {
namespace Emulation {

namespace {

void PutBigEndian32(uint8_t* out, uint32_t value) {
    out[0] = uint8_t(value >> 24);
    out[1] = uint8_t(value >> 16);
    out[2] = uint8_t(value >> 8);
    out[3] = uint8_t(value);
}

uint32_t GetBigEndian32(const uint8_t* in) {
    return (uint32_t(in[0]) << 24) | (uint32_t(in[1]) << 16) | (uint32_t(in[2]) << 8) | uint32_t(in[3]);
}

void PutLittleEndian64(uint8_t* out, uint64_t value) {
    for (int i = 0; i < 8; ++i) {
        out[i] = uint8_t(value >> (8 * i));
    }
}

uint64_t GetLittleEndian64(const uint8_t* in) {
    uint64_t value = 0;
    for (int i = 7; i >= 0; --i) {
        value = (value << 8) | in[i];
    }
    return value;
}

uint8_t* PutTrailer(uint8_t* out, uint32_t id, uint32_t length) {
    PutBigEndian32(out, id);
    PutBigEndian32(out + 4, length);
    return out + 8;
}

}  // namespace

void ChunkTrailer::Write(uint8_t* payload, size_t imageSize, const ChunkValues& values) {
    uint8_t* out = PutTrailer(payload + imageSize, kImageId, uint32_t(imageSize));
    PutLittleEndian64(out, values.frameCounter);
    out = PutTrailer(out + 8, kFrameCounterId, 8);
    PutLittleEndian64(out, values.timestamp);
    PutTrailer(out + 8, kTimestampId, 8);
}

bool ChunkTrailer::Parse(const uint8_t* payload, size_t payloadSize, ChunkValues& values) {
    if (payload == nullptr) {
        return false;
    }
    bool haveCounter = false;
    bool haveTimestamp = false;
    size_t end = payloadSize;
    // Walk back from the last trailer; a payload holds few chunks, so the
    // bound only stops a damaged one from looping.
    for (int chunk = 0; chunk < 64 && end >= 8; ++chunk) {
        const uint32_t id = GetBigEndian32(payload + end - 8);
        const uint32_t length = GetBigEndian32(payload + end - 4);
        end -= 8;
        if (length > end) {
            return false;
        }
        const uint8_t* data = payload + end - length;
        if (id == kImageId) {
            return end == length && haveCounter && haveTimestamp;
        }
        if (id == kFrameCounterId && length == 8) {
            values.frameCounter = GetLittleEndian64(data);
            haveCounter = true;
        } else if (id == kTimestampId && length == 8) {
            values.timestamp = GetLittleEndian64(data);
            haveTimestamp = true;
        }
        end -= length;
    }
    return false;
}

}  // namespace Emulation
}  // namespace Quill
