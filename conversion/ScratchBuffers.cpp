#include "conversion/ScratchBuffers.h"

#include <cstddef>
#include <new>

ScratchBuffers::~ScratchBuffers() {
    Release();
}

uint8_t* ScratchBuffers::Reserve(int slot, uint64_t rowLength, uint64_t height) {
    if (slot < 0 || slot >= kSlotCount || rowLength == 0 || height == 0) {
        return nullptr;
    }
    SlotState& state = slots_[slot];
    const bool overflows = height > UINT64_MAX / rowLength;
    const uint64_t needed = overflows ? UINT64_MAX : rowLength * height;
    if (state.buffer != nullptr && state.capacity >= needed) {
        state.rowLength = rowLength;
        return state.buffer;
    }
    delete[] state.buffer;
    state = SlotState();
    if (overflows || needed > allocationLimit_ || needed > static_cast<uint64_t>(PTRDIFF_MAX)) {
        return nullptr;
    }
    // Zero-filled so that bytes a routine leaves unwritten are never
    // uninitialised memory.
    uint8_t* buffer = new (std::nothrow) uint8_t[static_cast<size_t>(needed)]();
    if (buffer == nullptr) {
        return nullptr;
    }
    state.buffer = buffer;
    state.rowLength = rowLength;
    state.capacity = needed;
    return buffer;
}

void ScratchBuffers::Release() {
    for (SlotState& state : slots_) {
        delete[] state.buffer;
        state = SlotState();
    }
}
