// The byte layout of the filter's persisted state after the version header:
// one block of 100 bytes holding the selected camera's identifier as narrow
// text, NUL-terminated and NUL-padded. Plain bytes, no platform types, so the
// reader and the writer are tested and fuzzed natively as well.
#pragma once

#include <cstddef>

namespace PersistedStateFormat {

constexpr size_t kIdentifierBlockBytes = 100;

enum class IdentifierFit {
    Fits,     // the block holds the text, a NUL and NUL padding
    Empty,    // no text: nothing to store
    TooLong,  // 100 bytes or more: no room for the NUL
};

// Fills `block` from `textBytes` bytes of narrow text (which must hold no NUL
// for the text to read back whole). The block is written only when it Fits.
IdentifierFit FillIdentifierBlock(const char* text, size_t textBytes, char (&block)[kIdentifierBlockBytes]);

// The bytes of stored text in a block of which `received` bytes arrived: the
// bytes before the first NUL, never beyond what arrived nor beyond the block
// (a block without a NUL is read to its end).
size_t StoredIdentifierLength(const char* block, size_t received);

}  // namespace PersistedStateFormat
