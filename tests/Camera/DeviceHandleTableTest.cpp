// The device value: a handle that names a live device or nothing.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "Camera/DeviceHandleTable.h"

namespace {

// The table never touches a device, so any distinct addresses serve as devices here.
Quill::IQuillDevice* FakeDevice(uintptr_t number) {
    return reinterpret_cast<Quill::IQuillDevice*>(number * 16);
}

class CameraDeviceValueTest : public ::testing::Test {
  protected:
    void TearDown() override {
        for (long value : m_values) {
            CDeviceHandleTable::Instance().Unregister(value);
        }
        EXPECT_EQ(0u, CDeviceHandleTable::Instance().Count());
    }

    long Register(Quill::IQuillDevice* device) {
        long value = 0;
        EXPECT_EQ(S_OK, CDeviceHandleTable::Instance().Register(device, &value));
        m_values.push_back(value);
        return value;
    }

    std::vector<long> m_values;
};

TEST_F(CameraDeviceValueTest, ValueNamesItsDeviceUntilUnregistered) {
    Quill::IQuillDevice* device = FakeDevice(1);
    const long value = Register(device);
    EXPECT_GT(value, 0);

    Quill::IQuillDevice* resolved = nullptr;
    EXPECT_EQ(S_OK, ResolveDeviceValue(value, &resolved));
    EXPECT_EQ(device, resolved);

    CDeviceHandleTable::Instance().Unregister(value);
    resolved = FakeDevice(99);
    EXPECT_EQ(E_INVALIDARG, ResolveDeviceValue(value, &resolved));
    EXPECT_EQ(nullptr, resolved);
    // Unregistering a stale value again changes nothing.
    CDeviceHandleTable::Instance().Unregister(value);
    EXPECT_EQ(0u, CDeviceHandleTable::Instance().Count());
}

TEST_F(CameraDeviceValueTest, StaleValueStaysStaleWhenItsSlotIsReused) {
    // Fill every slot and free them again, so that every slot has been used once.
    std::set<long> seen;
    for (uint32_t number = 1; number <= CDeviceHandleTable::kSlotCount; ++number) {
        seen.insert(Register(FakeDevice(number)));
    }
    EXPECT_EQ(CDeviceHandleTable::kSlotCount, seen.size());
    const long first = m_values.front();
    for (long value : m_values) {
        CDeviceHandleTable::Instance().Unregister(value);
    }
    m_values.clear();

    // Whatever slot the next registrations take, no old value names a new device.
    for (uint32_t number = 1; number <= CDeviceHandleTable::kSlotCount; ++number) {
        const long value = Register(FakeDevice(1000 + number));
        EXPECT_EQ(0u, seen.count(value));
    }
    Quill::IQuillDevice* resolved = nullptr;
    EXPECT_EQ(E_INVALIDARG, ResolveDeviceValue(first, &resolved));
}

TEST_F(CameraDeviceValueTest, FullTableRefusesAndRecovers) {
    for (uint32_t number = 1; number <= CDeviceHandleTable::kSlotCount; ++number) {
        Register(FakeDevice(number));
    }
    long value = 123;
    EXPECT_EQ(E_OUTOFMEMORY, CDeviceHandleTable::Instance().Register(FakeDevice(5000), &value));
    EXPECT_EQ(0, value);
    CDeviceHandleTable::Instance().Unregister(m_values[7]);
    EXPECT_EQ(S_OK, CDeviceHandleTable::Instance().Register(FakeDevice(5000), &value));
    m_values.push_back(value);
    Quill::IQuillDevice* resolved = nullptr;
    EXPECT_EQ(S_OK, ResolveDeviceValue(value, &resolved));
    EXPECT_EQ(FakeDevice(5000), resolved);
}

TEST_F(CameraDeviceValueTest, ValuesThatWereNeverGivenOutNameNothing) {
    Register(FakeDevice(1));
    Quill::IQuillDevice* resolved = nullptr;
    for (long value :
         {0L, -1L, 1L << 12, 4096L * 7, 0x7FFFFFFFL, static_cast<long>(0x80000001u), 4095L + 1}) {
        EXPECT_EQ(E_INVALIDARG, ResolveDeviceValue(value, &resolved)) << value;
        EXPECT_EQ(nullptr, resolved);
    }
    // A truncated pointer is not a device value either.
    const long truncated = static_cast<long>(reinterpret_cast<uintptr_t>(FakeDevice(1)));
    if (truncated != m_values.front()) {
        EXPECT_EQ(E_INVALIDARG, ResolveDeviceValue(truncated, &resolved));
    }
}

TEST_F(CameraDeviceValueTest, ArgumentChecks) {
    long value = 5;
    EXPECT_EQ(E_INVALIDARG, CDeviceHandleTable::Instance().Register(nullptr, &value));
    EXPECT_EQ(0, value);
    EXPECT_EQ(E_POINTER, CDeviceHandleTable::Instance().Register(FakeDevice(1), nullptr));
    EXPECT_EQ(E_POINTER, ResolveDeviceValue(Register(FakeDevice(2)), nullptr));
}

}  // namespace
