#include "conversion/kernels/KernelTable.h"

#include <atomic>

#include "conversion/kernels/CpuFeatures.h"
#include "conversion/kernels/PortableKernels.h"
#include "conversion/kernels/SimdKernels.h"

namespace kernels {

namespace {

const KernelTable kPortable = {
    CopyPlane8_Portable,
    FillPlane8_Portable,
    MergePlanes3_Portable,
    MergePlanes4_Portable,
    ReorderChannels3_Portable,
    Planar420ToYUY2_Portable,
    Planar420ToUYVY_Portable,
    YUY2ToPlanar420_Portable,
    UYVYToPlanar420_Portable,
    SwapBytePairs_Portable,
    BGR24ToYUY2_Portable,
    BGRA32ToYUY2_Portable,
    BGR24ToPlanar420I420_Portable,
    BGR24ToPlanar420YV12_Portable,
    BGRA32ToPlanar420I420_Portable,
    BGRA32ToPlanar420YV12_Portable,
    BGR24ToGrey_Portable,
    BGRA32ToGrey_Portable,
    UYVYToRGBTriplets_Portable,
    UYVYToBGRA32_Portable,
    YUY2ToBGR24_Portable,
    YUY2ToBGRA32_Portable,
    Planar420ToBGR24_Portable,
};

// The four level tables, 0 to 3. A level without a variant of its own for a
// kernel keeps the entry of the level below, ending at the portable one.
struct LevelTables {
    KernelTable levels[4];
    LevelTables() {
        levels[0] = kPortable;
        levels[1] = levels[0];  // SSE3: no variants of its own yet.
        levels[2] = levels[1];  // SSSE3
#if defined(KORVEL_X86_KERNELS)
        levels[2].BGR24ToGrey = BGR24ToGrey_SSSE3;
#endif
        levels[3] = levels[2];  // SSE4.1
#if defined(KORVEL_X86_KERNELS)
        levels[3].YUY2ToBGR24 = YUY2ToBGR24_SSE41;
#endif
    }
};

const LevelTables& Levels() {
    static const LevelTables tables;
    return tables;
}

// Written during engine construction, before any conversion runs; atomic so a
// later engine built on another thread reads a whole pointer.
std::atomic<const KernelTable*> selected{&kPortable};
std::atomic<const KernelTable*> forced{nullptr};

}  // namespace

const KernelTable& PortableKernelTable() {
    return kPortable;
}

const KernelTable& KernelTableForLevel(int32_t level) {
    if (level < 0) {
        level = 0;
    }
    return Levels().levels[level > 3 ? 3 : level];
}

const KernelTable& ActiveKernelTable() {
    const KernelTable* table = forced.load(std::memory_order_acquire);
    if (table == nullptr) {
        table = selected.load(std::memory_order_acquire);
    }
    return *table;
}

void SelectKernelTable() {
    // Every selection gives the same answer, so repeating it per engine is harmless.
    const int32_t level = ChooseCpuLevel();
    RecordCpuLevel(level);
    selected.store(&Levels().levels[level], std::memory_order_release);
}

void ForceKernelTable(const KernelTable* table) {
    forced.store(table, std::memory_order_release);
}

}  // namespace kernels
