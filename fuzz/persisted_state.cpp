// The identifier block of the filter's persisted state: any bytes, any count
// of bytes received (a short stream, a block without a NUL, bytes beyond the
// block), read the way ReadFromStream reads them; then the text read is
// written back and must read back unchanged, as a save followed by a load does.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "filter/PersistedStateFormat.h"

namespace {

using namespace PersistedStateFormat;

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "persisted_state: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    // What IStream::Read reported, which may be more than the block (a lying
    // stream) or less (a stream that ended early).
    const size_t received = input.ConsumeBool()
                                ? input.ConsumeIntegralInRange<size_t>(0, 2 * kIdentifierBlockBytes)
                                : input.ConsumeIntegral<size_t>();
    // The block as the filter reads it: 100 bytes, cleared, then the bytes
    // that arrived. A copy of exactly that size lets ASan see any read past it.
    const std::vector<uint8_t> arrived = input.ConsumeBytes<uint8_t>(kIdentifierBlockBytes);
    char* block = new char[kIdentifierBlockBytes];
    std::memset(block, 0, kIdentifierBlockBytes);
    if (!arrived.empty()) {
        std::memcpy(block, arrived.data(), arrived.size());
    }

    const size_t length = StoredIdentifierLength(block, received);
    if (length > kIdentifierBlockBytes || length > received) {
        Fail("the stored text reaches past the bytes that arrived");
    }
    if (std::memchr(block, '\0', length) != nullptr) {
        Fail("the stored text holds a NUL");
    }

    // Written back, as a save of that identifier would write it.
    char written[kIdentifierBlockBytes];
    std::memset(written, 0x5A, sizeof(written));
    const IdentifierFit fit = FillIdentifierBlock(block, length, written);
    if (length == 0) {
        if (fit != IdentifierFit::Empty) {
            Fail("an empty identifier was stored");
        }
    } else if (length >= kIdentifierBlockBytes) {
        // A block without a NUL: its text cannot be written back whole.
        if (fit != IdentifierFit::TooLong) {
            Fail("a 100-byte identifier was stored without its NUL");
        }
    } else {
        if (fit != IdentifierFit::Fits) {
            Fail("an identifier that fits was refused");
        }
        if (std::memcmp(written, block, length) != 0 || written[length] != '\0') {
            Fail("the written block does not hold the text");
        }
        for (size_t index = length; index < kIdentifierBlockBytes; ++index) {
            if (written[index] != '\0') {
                Fail("the written block is not NUL-padded");
            }
        }
        if (StoredIdentifierLength(written, kIdentifierBlockBytes) != length) {
            Fail("the written block does not read back");
        }
    }
    if (FillIdentifierBlock(nullptr, length, written) != IdentifierFit::Empty ||
        StoredIdentifierLength(nullptr, received) != 0) {
        Fail("a null block was followed");
    }
    delete[] block;
    return 0;
}
