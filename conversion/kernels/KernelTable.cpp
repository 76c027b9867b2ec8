#include "conversion/kernels/KernelTable.h"

#include <atomic>

#include "conversion/kernels/BayerDemosaicKernels.h"
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
    DemosaicBayer_Portable,
    DemosaicBayerBGRA_Portable,
    GreyToBGR24_Portable,
    GreyToBGRA32_Portable,
    Planar420ToBGRA32_Portable,
    UYVYToBGR24_Portable,
    Packed422ToGrey_Portable,
    BGR24ToBGRA32_Portable,
    BGRA32ToBGR24_Portable,
    PermuteGroups4_Portable,
    GreyToPacked422_Portable,
    ExpandGroups12To16_Portable,
    PackGroups16To12_Portable,
    Y41PToGrey_Portable,
    GreyToY41P_Portable,
    BGR24ToPacked422_Portable,
    BGRA32ToPacked422_Portable,
    BGR24ToY41P_Portable,
    BGRA32ToY41P_Portable,
    YVYUToBGR24_Portable,
    YVYUToBGRA32_Portable,
    Y41PToBGR24_Portable,
    Y41PToBGRA32_Portable,
    CopyPlane8_Portable,  // StreamPlane8: plain C++ has no streaming store
    DemosaicBayerGrey_Portable,
};

// The four level tables, 0 to 3. A level without a variant of its own for a
// kernel keeps the entry of the level below, ending at the portable one.
struct LevelTables {
    KernelTable levels[4];
    KernelTable avx2;  // level 3 plus the AVX2 variants
    LevelTables() {
        levels[0] = kPortable;
        levels[1] = levels[0];  // SSE3: no variants of its own yet.
        levels[2] = levels[1];  // SSSE3
#if defined(KORVEL_X86_KERNELS)
        levels[2].BGR24ToGrey = BGR24ToGrey_SSSE3;
        levels[2].BGRA32ToGrey = BGRA32ToGrey_SSSE3;
        levels[2].BGR24ToYUY2 = BGR24ToYUY2_SSSE3;
        levels[2].BGRA32ToYUY2 = BGRA32ToYUY2_SSSE3;
        levels[2].BGR24ToPacked422 = BGR24ToPacked422_SSSE3;
        levels[2].BGRA32ToPacked422 = BGRA32ToPacked422_SSSE3;
        levels[2].BGR24ToY41P = BGR24ToY41P_SSSE3;
        levels[2].BGRA32ToY41P = BGRA32ToY41P_SSSE3;
        levels[2].YVYUToBGR24 = YVYUToBGR24_SSSE3;
        levels[2].YVYUToBGRA32 = YVYUToBGRA32_SSSE3;
        levels[2].Y41PToBGR24 = Y41PToBGR24_SSSE3;
        levels[2].Y41PToBGRA32 = Y41PToBGRA32_SSSE3;
        levels[2].StreamPlane8 = StreamPlane8_SSSE3;
        levels[2].DemosaicBayerGrey = DemosaicBayerGrey_SSSE3;
        levels[2].BGR24ToPlanar420I420 = BGR24ToPlanar420I420_SSSE3;
        levels[2].BGR24ToPlanar420YV12 = BGR24ToPlanar420YV12_SSSE3;
        levels[2].BGRA32ToPlanar420I420 = BGRA32ToPlanar420I420_SSSE3;
        levels[2].BGRA32ToPlanar420YV12 = BGRA32ToPlanar420YV12_SSSE3;
        levels[2].UYVYToRGBTriplets = UYVYToRGBTriplets_SSSE3;
        levels[2].UYVYToBGRA32 = UYVYToBGRA32_SSSE3;
        levels[2].YUY2ToBGR24 = YUY2ToBGR24_SSSE3;
        levels[2].YUY2ToBGRA32 = YUY2ToBGRA32_SSSE3;
        levels[2].Planar420ToBGR24 = Planar420ToBGR24_SSSE3;
        levels[2].MergePlanes3 = MergePlanes3_SSSE3;
        levels[2].MergePlanes4 = MergePlanes4_SSSE3;
        levels[2].ReorderChannels3 = ReorderChannels3_SSSE3;
        levels[2].SwapBytePairs = SwapBytePairs_SSSE3;
        levels[2].Planar420ToYUY2 = Planar420ToYUY2_SSSE3;
        levels[2].Planar420ToUYVY = Planar420ToUYVY_SSSE3;
        levels[2].YUY2ToPlanar420 = YUY2ToPlanar420_SSSE3;
        levels[2].UYVYToPlanar420 = UYVYToPlanar420_SSSE3;
        levels[2].DemosaicBayer = DemosaicBayer_SSSE3;
        levels[2].DemosaicBayerBGRA = DemosaicBayerBGRA_SSSE3;
        levels[2].GreyToBGR24 = GreyToBGR24_SSSE3;
        levels[2].GreyToBGRA32 = GreyToBGRA32_SSSE3;
        levels[2].Planar420ToBGRA32 = Planar420ToBGRA32_SSSE3;
        levels[2].UYVYToBGR24 = UYVYToBGR24_SSSE3;
        levels[2].Packed422ToGrey = Packed422ToGrey_SSSE3;
        levels[2].BGR24ToBGRA32 = BGR24ToBGRA32_SSSE3;
        levels[2].BGRA32ToBGR24 = BGRA32ToBGR24_SSSE3;
        levels[2].PermuteGroups4 = PermuteGroups4_SSSE3;
        levels[2].GreyToPacked422 = GreyToPacked422_SSSE3;
        levels[2].ExpandGroups12To16 = ExpandGroups12To16_SSSE3;
        levels[2].PackGroups16To12 = PackGroups16To12_SSSE3;
        levels[2].Y41PToGrey = Y41PToGrey_SSSE3;
        levels[2].GreyToY41P = GreyToY41P_SSSE3;
#endif
        levels[3] = levels[2];  // SSE4.1: no variants of its own; the SSSE3 ones serve.
        avx2 = levels[3];
#if defined(KORVEL_X86_KERNELS)
        avx2.StreamPlane8 = StreamPlane8_AVX2;
        avx2.DemosaicBayerGrey = DemosaicBayerGrey_AVX2;
        avx2.BGR24ToGrey = BGR24ToGrey_AVX2;
        avx2.BGRA32ToGrey = BGRA32ToGrey_AVX2;
        avx2.BGR24ToYUY2 = BGR24ToYUY2_AVX2;
        avx2.BGRA32ToYUY2 = BGRA32ToYUY2_AVX2;
        avx2.BGR24ToPacked422 = BGR24ToPacked422_AVX2;
        avx2.BGRA32ToPacked422 = BGRA32ToPacked422_AVX2;
        avx2.BGR24ToY41P = BGR24ToY41P_AVX2;
        avx2.BGRA32ToY41P = BGRA32ToY41P_AVX2;
        avx2.YVYUToBGR24 = YVYUToBGR24_AVX2;
        avx2.YVYUToBGRA32 = YVYUToBGRA32_AVX2;
        avx2.Y41PToBGR24 = Y41PToBGR24_AVX2;
        avx2.Y41PToBGRA32 = Y41PToBGRA32_AVX2;
        avx2.BGR24ToPlanar420I420 = BGR24ToPlanar420I420_AVX2;
        avx2.BGR24ToPlanar420YV12 = BGR24ToPlanar420YV12_AVX2;
        avx2.BGRA32ToPlanar420I420 = BGRA32ToPlanar420I420_AVX2;
        avx2.BGRA32ToPlanar420YV12 = BGRA32ToPlanar420YV12_AVX2;
        avx2.UYVYToRGBTriplets = UYVYToRGBTriplets_AVX2;
        avx2.UYVYToBGRA32 = UYVYToBGRA32_AVX2;
        avx2.YUY2ToBGR24 = YUY2ToBGR24_AVX2;
        avx2.YUY2ToBGRA32 = YUY2ToBGRA32_AVX2;
        avx2.Planar420ToBGR24 = Planar420ToBGR24_AVX2;
        avx2.MergePlanes3 = MergePlanes3_AVX2;
        avx2.MergePlanes4 = MergePlanes4_AVX2;
        avx2.ReorderChannels3 = ReorderChannels3_AVX2;
        avx2.SwapBytePairs = SwapBytePairs_AVX2;
        avx2.Planar420ToYUY2 = Planar420ToYUY2_AVX2;
        avx2.Planar420ToUYVY = Planar420ToUYVY_AVX2;
        avx2.YUY2ToPlanar420 = YUY2ToPlanar420_AVX2;
        avx2.UYVYToPlanar420 = UYVYToPlanar420_AVX2;
        avx2.DemosaicBayer = DemosaicBayer_AVX2;
        avx2.DemosaicBayerBGRA = DemosaicBayerBGRA_AVX2;
        avx2.GreyToBGR24 = GreyToBGR24_AVX2;
        avx2.GreyToBGRA32 = GreyToBGRA32_AVX2;
        avx2.Planar420ToBGRA32 = Planar420ToBGRA32_AVX2;
        avx2.UYVYToBGR24 = UYVYToBGR24_AVX2;
        avx2.Packed422ToGrey = Packed422ToGrey_AVX2;
        avx2.BGR24ToBGRA32 = BGR24ToBGRA32_AVX2;
        avx2.BGRA32ToBGR24 = BGRA32ToBGR24_AVX2;
        avx2.PermuteGroups4 = PermuteGroups4_AVX2;
        avx2.GreyToPacked422 = GreyToPacked422_AVX2;
        avx2.ExpandGroups12To16 = ExpandGroups12To16_AVX2;
        avx2.PackGroups16To12 = PackGroups16To12_AVX2;
        avx2.Y41PToGrey = Y41PToGrey_AVX2;
        avx2.GreyToY41P = GreyToY41P_AVX2;
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

const KernelTable& Avx2KernelTable() {
    return Levels().avx2;
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
    const int32_t avx2 = level == 3 ? ChooseAvx2() : 0;
    RecordCpuLevel(level, avx2);
    selected.store(avx2 != 0 ? &Levels().avx2 : &Levels().levels[level], std::memory_order_release);
}

void ForceKernelTable(const KernelTable* table) {
    forced.store(table, std::memory_order_release);
}

}  // namespace kernels
