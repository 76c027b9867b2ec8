#include "filter/PersistedStateFormat.h"

#include <cstring>

namespace PersistedStateFormat {

IdentifierFit FillIdentifierBlock(const char* text, size_t textBytes, char (&block)[kIdentifierBlockBytes]) {
    if (text == nullptr || textBytes == 0) {
        return IdentifierFit::Empty;
    }
    if (textBytes >= kIdentifierBlockBytes) {
        return IdentifierFit::TooLong;
    }
    std::memcpy(block, text, textBytes);
    std::memset(block + textBytes, 0, kIdentifierBlockBytes - textBytes);
    return IdentifierFit::Fits;
}

size_t StoredIdentifierLength(const char* block, size_t received) {
    if (block == nullptr) {
        return 0;
    }
    const size_t available = received < kIdentifierBlockBytes ? received : kIdentifierBlockBytes;
    const void* nul = std::memchr(block, '\0', available);
    return nul != nullptr ? static_cast<size_t>(static_cast<const char*>(nul) - block) : available;
}

}  // namespace PersistedStateFormat
