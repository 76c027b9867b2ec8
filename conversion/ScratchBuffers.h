// The three intermediate pictures a conversion engine lends its routines.
// They grow on demand and are kept from frame to frame, so a steady stream
// allocates nothing.
#pragma once

#include <cstdint>

class ScratchBuffers {
  public:
    enum Slot : int {
        kPackedSlot = 0,  // packed 4:2:2 intermediates
        kSpareSlot = 1,
        kRgbSlot = 2,  // B, G, R intermediates, 4 x width bytes a row
        kSlotCount = 3
    };

    ScratchBuffers() = default;
    ~ScratchBuffers();
    ScratchBuffers(const ScratchBuffers&) = delete;
    ScratchBuffers& operator=(const ScratchBuffers&) = delete;

    // A buffer of at least rowLength x height bytes, its row length recorded.
    // The buffer is reused whenever its capacity suffices, whatever row length
    // it had, so a taller picture never runs past a buffer sized for a shorter
    // one. Null (and the slot left empty) when the allocation fails.
    uint8_t* Reserve(int slot, uint64_t rowLength, uint64_t height);

    const uint8_t* Buffer(int slot) const { return slots_[slot].buffer; }
    uint64_t RowLength(int slot) const { return slots_[slot].rowLength; }
    uint64_t Capacity(int slot) const { return slots_[slot].capacity; }

    // Releases every slot.
    void Release();

    // Requests larger than this fail as if memory had run out; lets tests drive
    // the allocation failure path.
    void SetAllocationLimit(uint64_t bytes) { allocationLimit_ = bytes; }

  private:
    struct SlotState {
        uint8_t* buffer = nullptr;
        uint64_t rowLength = 0;
        uint64_t capacity = 0;
    };

    SlotState slots_[kSlotCount];
    uint64_t allocationLimit_ = UINT64_MAX;
};
