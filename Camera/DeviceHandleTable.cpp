#include "Camera/DeviceHandleTable.h"

namespace {

constexpr uint32_t kSlotBits = 12;
constexpr uint32_t kSlotMask = (1u << kSlotBits) - 1;
// Generations run 1 .. kGenerationLimit - 1 and keep bit 31 of a value clear.
constexpr uint32_t kGenerationLimit = 1u << (31 - kSlotBits);

static_assert(CDeviceHandleTable::kSlotCount <= kSlotMask, "a slot number plus one must fit its bits");

uint32_t SlotOf(long value) {
    return (static_cast<uint32_t>(value) & kSlotMask) - 1;
}
uint32_t GenerationOf(long value) {
    return static_cast<uint32_t>(value) >> kSlotBits;
}

// Holds the table's lock for one operation.
class TableLock {
  public:
    explicit TableLock(CRITICAL_SECTION& section) : m_section(section) { EnterCriticalSection(&m_section); }
    ~TableLock() { LeaveCriticalSection(&m_section); }
    TableLock(const TableLock&) = delete;
    TableLock& operator=(const TableLock&) = delete;

  private:
    CRITICAL_SECTION& m_section;
};

}  // namespace

CDeviceHandleTable& CDeviceHandleTable::Instance() {
    static CDeviceHandleTable* const table = new CDeviceHandleTable();
    return *table;
}

CDeviceHandleTable::CDeviceHandleTable() : m_nextSlot(0), m_count(0), m_slots() {
    InitializeCriticalSection(&m_lock);
}

HRESULT CDeviceHandleTable::Register(Quill::IQuillDevice* device, long* value) {
    if (value == nullptr) {
        return E_POINTER;
    }
    *value = 0;
    if (device == nullptr) {
        return E_INVALIDARG;
    }
    TableLock lock(m_lock);
    for (uint32_t step = 0; step < kSlotCount; ++step) {
        const uint32_t index = (m_nextSlot + step) % kSlotCount;
        Slot& slot = m_slots[index];
        if (slot.device != nullptr) {
            continue;
        }
        slot.generation = slot.generation + 1 < kGenerationLimit ? slot.generation + 1 : 1;
        slot.device = device;
        m_nextSlot = (index + 1) % kSlotCount;
        ++m_count;
        *value = static_cast<long>((slot.generation << kSlotBits) | (index + 1));
        return S_OK;
    }
    return E_OUTOFMEMORY;
}

void CDeviceHandleTable::Unregister(long value) {
    TableLock lock(m_lock);
    Slot* slot = FindLocked(value);
    if (slot != nullptr) {
        slot->device = nullptr;
        --m_count;
    }
}

HRESULT CDeviceHandleTable::Resolve(long value, Quill::IQuillDevice** device) {
    if (device == nullptr) {
        return E_POINTER;
    }
    TableLock lock(m_lock);
    const Slot* slot = FindLocked(value);
    *device = slot != nullptr ? slot->device : nullptr;
    return slot != nullptr ? S_OK : E_INVALIDARG;
}

uint32_t CDeviceHandleTable::Count() {
    TableLock lock(m_lock);
    return m_count;
}

CDeviceHandleTable::Slot* CDeviceHandleTable::FindLocked(long value) {
    // Values with bit 31 set, slot 0 or a slot beyond the table were never given out.
    if (value <= 0 || (static_cast<uint32_t>(value) & kSlotMask) == 0 || SlotOf(value) >= kSlotCount) {
        return nullptr;
    }
    Slot& slot = m_slots[SlotOf(value)];
    if (slot.device == nullptr || slot.generation != GenerationOf(value)) {
        return nullptr;
    }
    return &slot;
}

HRESULT ResolveDeviceValue(long value, Quill::IQuillDevice** device) {
    return CDeviceHandleTable::Instance().Resolve(value, device);
}
