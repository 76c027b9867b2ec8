// The device value: the 32-bit long through which GetActiveDevice and
// DeviceValid carry the open SDK device. A 64-bit pointer does not fit, so the
// value is a handle into this process-wide table, never a pointer.
//
// Layout of a value: bits 0-11 hold the slot number plus one (so a value is
// never 0), bits 12-30 the slot's generation; bit 31 stays clear, so a value is
// always positive. Each registration advances its slot's generation, so a
// value that outlived its device names no device (until the generation wraps,
// after 524287 reuses of the same slot).
//
// The camera object registers its device when a camera opens and unregisters
// it before telling the configuration callbacks DeviceInvalid, and destroys the
// device only after that: a device obtained through a value is usable until
// the holder is told DeviceInvalid.
#pragma once

#include <windows.h>

#include <cstdint>

namespace Quill {
class IQuillDevice;
}  // namespace Quill

class CDeviceHandleTable {
  public:
    static constexpr uint32_t kSlotCount = 4095;

    // The table of the process; made on first use and never destroyed, so
    // that threads still running at process exit may look values up.
    static CDeviceHandleTable& Instance();

    // A fresh value for device. E_POINTER for a null out pointer,
    // E_INVALIDARG for a null device, E_OUTOFMEMORY when every slot is taken.
    HRESULT Register(Quill::IQuillDevice* device, long* value);
    // Forgets the value; a value that names no device is ignored.
    void Unregister(long value);
    // The device a value stands for. E_POINTER for a null out pointer;
    // E_INVALIDARG, with null written, for 0, a value never given out or one
    // whose device has been unregistered.
    HRESULT Resolve(long value, Quill::IQuillDevice** device);
    // Registered values, for checks.
    uint32_t Count();

  private:
    struct Slot {
        Quill::IQuillDevice* device;
        uint32_t generation;
    };

    CDeviceHandleTable();
    ~CDeviceHandleTable() = default;
    CDeviceHandleTable(const CDeviceHandleTable&) = delete;
    CDeviceHandleTable& operator=(const CDeviceHandleTable&) = delete;

    // The slot a value names when its generation is current, else null.
    Slot* FindLocked(long value);

    CRITICAL_SECTION m_lock;
    uint32_t m_nextSlot;  // where the search for a free slot starts, so freed slots rest a while
    uint32_t m_count;
    Slot m_slots[kSlotCount];
};

// Turns a device value back into the device; see CDeviceHandleTable::Resolve.
HRESULT ResolveDeviceValue(long value, Quill::IQuillDevice** device);
