// Helpers the fuzz targets share: a heap block of exactly the size a caller
// claims, so AddressSanitizer reports the first byte read or written past it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace fuzzing {

// A block of exactly `size` bytes (at least one, so a pointer exists even for
// a claimed size of zero), filled by repeating `pattern`.
class ExactBuffer {
  public:
    ExactBuffer(size_t size, const uint8_t* pattern, size_t patternSize)
        : size_(size == 0 ? 1 : size), bytes_(new uint8_t[size_]) {
        if (patternSize == 0) {
            std::memset(bytes_.get(), 0x5A, size_);
            return;
        }
        for (size_t offset = 0; offset < size_; offset += patternSize) {
            const size_t chunk = size_ - offset < patternSize ? size_ - offset : patternSize;
            std::memcpy(bytes_.get() + offset, pattern, chunk);
        }
    }

    uint8_t* Data() { return bytes_.get(); }
    size_t Size() const { return size_; }

  private:
    size_t size_;
    std::unique_ptr<uint8_t[]> bytes_;
};

}  // namespace fuzzing
