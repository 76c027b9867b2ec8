// The identifier block of the persisted state, as bytes: what a save writes
// for identifiers that fit, are empty or are too long, and what a load reads
// from whole, short, unterminated and overstated blocks. Runs natively and
// under Wine; the filter's own IPersistStream is tested in PersistStreamTests.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "filter/PersistedStateFormat.h"

namespace {

using namespace PersistedStateFormat;

TEST(PersistedStateFormat, WritesTheTextNulTerminatedAndPaddedOnlyWhenItFits) {
    const std::string name = "Korvel KV-C1920 (E1000001)";
    char block[kIdentifierBlockBytes];
    std::memset(block, 0x5A, sizeof(block));
    ASSERT_EQ(FillIdentifierBlock(name.data(), name.size(), block), IdentifierFit::Fits);
    EXPECT_EQ(std::string(block), name);
    for (size_t index = name.size(); index < kIdentifierBlockBytes; ++index) {
        EXPECT_EQ(block[index], '\0') << index;
    }
    EXPECT_EQ(StoredIdentifierLength(block, kIdentifierBlockBytes), name.size());

    // 99 bytes still leave room for the NUL; 100 do not, and nothing is written.
    const std::string longest(99, 'x');
    ASSERT_EQ(FillIdentifierBlock(longest.data(), longest.size(), block), IdentifierFit::Fits);
    EXPECT_EQ(block[99], '\0');
    std::memset(block, 0x5A, sizeof(block));
    const std::string tooLong(100, 'y');
    EXPECT_EQ(FillIdentifierBlock(tooLong.data(), tooLong.size(), block), IdentifierFit::TooLong);
    EXPECT_EQ(FillIdentifierBlock(tooLong.data(), 5000, block), IdentifierFit::TooLong);
    EXPECT_EQ(block[0], 0x5A);
    EXPECT_EQ(FillIdentifierBlock(name.data(), 0, block), IdentifierFit::Empty);
    EXPECT_EQ(FillIdentifierBlock(nullptr, 5, block), IdentifierFit::Empty);
    EXPECT_EQ(block[0], 0x5A);
}

TEST(PersistedStateFormat, ReadsNoFurtherThanTheFirstNulTheBytesReceivedAndTheBlock) {
    char block[kIdentifierBlockBytes] = {};
    std::memcpy(block, "Camera A", 8);
    EXPECT_EQ(StoredIdentifierLength(block, kIdentifierBlockBytes), 8u);
    // A stream that ended inside the text: only what arrived.
    EXPECT_EQ(StoredIdentifierLength(block, 3), 3u);
    EXPECT_EQ(StoredIdentifierLength(block, 0), 0u);
    // A block without any NUL is read to its end, not beyond, even when the
    // stream claims more bytes than the block holds.
    std::memset(block, 'z', sizeof(block));
    EXPECT_EQ(StoredIdentifierLength(block, kIdentifierBlockBytes), kIdentifierBlockBytes);
    EXPECT_EQ(StoredIdentifierLength(block, 1u << 20), kIdentifierBlockBytes);
    block[0] = '\0';
    EXPECT_EQ(StoredIdentifierLength(block, kIdentifierBlockBytes), 0u);
    EXPECT_EQ(StoredIdentifierLength(nullptr, kIdentifierBlockBytes), 0u);
}

}  // namespace
