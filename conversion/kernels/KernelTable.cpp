#include "conversion/kernels/KernelTable.h"

#include <atomic>

#include "conversion/kernels/PortableKernels.h"

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

// Written during engine construction, before any conversion runs; atomic so a
// later engine built on another thread reads a whole pointer.
std::atomic<const KernelTable*> selected{&kPortable};
std::atomic<const KernelTable*> forced{nullptr};

}  // namespace

const KernelTable& PortableKernelTable() {
    return kPortable;
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
    selected.store(&kPortable, std::memory_order_release);
}

void ForceKernelTable(const KernelTable* table) {
    forced.store(table, std::memory_order_release);
}

}  // namespace kernels
