#include "KernelCases.h"

#include <stdexcept>
#include <string>

namespace kernel_cases {

using kernels::KernelTable;
using kernels::kGreyAlpha;

std::vector<KernelCase> AllKernels() {
    return {
        KORVEL_PACKED_CASE(CopyPlane8, 1, 1),
        KORVEL_PACKED_CASE(StreamPlane8, 1, 1),
        KernelCase{"FillPlane8",
                   {},
                   {{1, 1}},
                   false,
                   [](const KernelTable& t, const CallPlanes& p, int32_t w, int32_t h) {
                       return t.FillPlane8(0x5A, p.out[0], p.outStrides[0], w, h);
                   }},
        KernelCase{"MergePlanes3",
                   {{1, 1}, {1, 1}, {1, 1}},
                   {{3, 1}},
                   false,
                   [](const KernelTable& t, const CallPlanes& p, int32_t w, int32_t h) {
                       return t.MergePlanes3(p.in, p.inStrides, p.out[0], p.outStrides[0], w, h);
                   }},
        KernelCase{"MergePlanes4",
                   {{1, 1}, {1, 1}, {1, 1}, {1, 1}},
                   {{4, 1}},
                   false,
                   [](const KernelTable& t, const CallPlanes& p, int32_t w, int32_t h) {
                       return t.MergePlanes4(p.in, p.inStrides, p.out[0], p.outStrides[0], w, h);
                   }},
        KernelCase{"ReorderChannels3",
                   {},
                   {{3, 1}},
                   true,
                   [](const KernelTable& t, const CallPlanes& p, int32_t w, int32_t h) {
                       static const uint8_t kTable[3] = {2, 0, 1};
                       return t.ReorderChannels3(p.out[0], p.outStrides[0], w, h, kTable);
                   }},
        KernelCase{"ReorderChannels3 swap",
                   {},
                   {{3, 1}},
                   true,
                   [](const KernelTable& t, const CallPlanes& p, int32_t w, int32_t h) {
                       static const uint8_t kTable[3] = {2, 1, 0};
                       return t.ReorderChannels3(p.out[0], p.outStrides[0], w, h, kTable);
                   }},
        KORVEL_FROM_PLANAR_CASE(Planar420ToYUY2, 2),
        KORVEL_FROM_PLANAR_CASE(Planar420ToUYVY, 2),
        KORVEL_TO_PLANAR_CASE(YUY2ToPlanar420, 2),
        KORVEL_TO_PLANAR_CASE(UYVYToPlanar420, 2),
        KORVEL_PACKED_CASE(SwapBytePairs, 2, 2),
        KORVEL_PACKED_CASE(BGR24ToYUY2, 3, 2),
        KORVEL_PACKED_CASE(BGRA32ToYUY2, 4, 2),
        KORVEL_TO_PLANAR_CASE(BGR24ToPlanar420I420, 3),
        KORVEL_TO_PLANAR_CASE(BGR24ToPlanar420YV12, 3),
        KORVEL_TO_PLANAR_CASE(BGRA32ToPlanar420I420, 4),
        KORVEL_TO_PLANAR_CASE(BGRA32ToPlanar420YV12, 4),
        KORVEL_PACKED_CASE(BGR24ToGrey, 3, 1),
        KORVEL_PACKED_CASE(BGRA32ToGrey, 4, 1),
        KORVEL_PACKED_CASE(UYVYToRGBTriplets, 2, 3),
        KORVEL_ALPHA_CASE(UYVYToBGRA32, 2),
        KORVEL_PACKED_CASE(YUY2ToBGR24, 2, 3),
        KORVEL_ALPHA_CASE(YUY2ToBGRA32, 2),
        KORVEL_FROM_PLANAR_CASE(Planar420ToBGR24, 3),
        KORVEL_PACKED_CASE(GreyToBGR24, 1, 3),
        KORVEL_ALPHA_CASE(BGR24ToBGRA32, 3),
        KORVEL_PACKED_CASE(BGRA32ToBGR24, 4, 3),
        KernelCase{"PermuteGroups4",
                   {{4, 1}},
                   {{4, 1}},
                   false,
                   [](const KernelTable& t, const CallPlanes& p, int32_t w, int32_t h) {
                       static const uint8_t kOrder[4] = {3, 0, 2, 1};
                       return t.PermuteGroups4(p.in[0], p.inStrides[0], p.out[0], p.outStrides[0], w, h,
                                               kOrder);
                   }},
        KernelCase{"GreyToPacked422 luma first",
                   {{1, 1}},
                   {{2, 1}},
                   false,
                   [](const KernelTable& t, const CallPlanes& p, int32_t w, int32_t h) {
                       return t.GreyToPacked422(p.in[0], p.inStrides[0], p.out[0], p.outStrides[0], w, h, 0);
                   }},
        KernelCase{"GreyToPacked422 luma second",
                   {{1, 1}},
                   {{2, 1}},
                   false,
                   [](const KernelTable& t, const CallPlanes& p, int32_t w, int32_t h) {
                       return t.GreyToPacked422(p.in[0], p.inStrides[0], p.out[0], p.outStrides[0], w, h, 1);
                   }},
        KernelCase{"GreyToPacked422 bad luma position",
                   {{1, 1}},
                   {{2, 1}},
                   false,
                   [](const KernelTable& t, const CallPlanes& p, int32_t w, int32_t h) {
                       return t.GreyToPacked422(p.in[0], p.inStrides[0], p.out[0], p.outStrides[0], w, h, 2);
                   }},
        KernelCase{"ExpandGroups12To16",
                   {{12, 1}},
                   {{16, 1}},
                   false,
                   [](const KernelTable& t, const CallPlanes& p, int32_t w, int32_t h) {
                       static const uint8_t kMap[16] = {1, 0, 3, 2, 11, 0, 5, 2, 8, 4, 9, 6, 10, 4, 11, 7};
                       return t.ExpandGroups12To16(p.in[0], p.inStrides[0], p.out[0], p.outStrides[0], w, h,
                                                   kMap);
                   }},
        KernelCase{"ExpandGroups12To16 bad map",
                   {{12, 1}},
                   {{16, 1}},
                   false,
                   [](const KernelTable& t, const CallPlanes& p, int32_t w, int32_t h) {
                       static const uint8_t kMap[16] = {1, 0, 3, 2, 11, 0, 5, 2, 8, 4, 9, 6, 10, 4, 12, 7};
                       return t.ExpandGroups12To16(p.in[0], p.inStrides[0], p.out[0], p.outStrides[0], w, h,
                                                   kMap);
                   }},
        KernelCase{"PackGroups16To12",
                   {{16, 1}},
                   {{12, 1}},
                   false,
                   [](const KernelTable& t, const CallPlanes& p, int32_t w, int32_t h) {
                       static const uint8_t kMap[12] = {0, 1, 2, 3, 8, 5, 10, 7, 9, 13, 15, 14};
                       return t.PackGroups16To12(p.in[0], p.inStrides[0], p.out[0], p.outStrides[0], w, h,
                                                 kMap);
                   }},
        KernelCase{"PackGroups16To12 bad map",
                   {{16, 1}},
                   {{12, 1}},
                   false,
                   [](const KernelTable& t, const CallPlanes& p, int32_t w, int32_t h) {
                       static const uint8_t kMap[12] = {0, 1, 2, 3, 8, 5, 10, 7, 9, 16, 15, 14};
                       return t.PackGroups16To12(p.in[0], p.inStrides[0], p.out[0], p.outStrides[0], w, h,
                                                 kMap);
                   }},
        KernelCase{"Y41PToGrey",
                   {{12, 1}},
                   {{8, 1}},
                   false,
                   [](const KernelTable& t, const CallPlanes& p, int32_t w, int32_t h) {
                       return t.Y41PToGrey(p.in[0], p.inStrides[0], p.out[0], p.outStrides[0], w, h);
                   }},
        KernelCase{"GreyToY41P",
                   {{8, 1}},
                   {{12, 1}},
                   false,
                   [](const KernelTable& t, const CallPlanes& p, int32_t w, int32_t h) {
                       return t.GreyToY41P(p.in[0], p.inStrides[0], p.out[0], p.outStrides[0], w, h);
                   }},
        KernelCase{"BGR24ToPacked422 UYVY",
                   {{3, 1}},
                   {{2, 1}},
                   false,
                   [](const KernelTable& t, const CallPlanes& p, int32_t w, int32_t h) {
                       static const uint8_t kOrder[4] = {1, 0, 3, 2};
                       return t.BGR24ToPacked422(p.in[0], p.inStrides[0], p.out[0], p.outStrides[0], w, h,
                                                 kOrder);
                   }},
        KernelCase{"BGRA32ToPacked422 YVYU",
                   {{4, 1}},
                   {{2, 1}},
                   false,
                   [](const KernelTable& t, const CallPlanes& p, int32_t w, int32_t h) {
                       static const uint8_t kOrder[4] = {0, 3, 2, 1};
                       return t.BGRA32ToPacked422(p.in[0], p.inStrides[0], p.out[0], p.outStrides[0], w, h,
                                                  kOrder);
                   }},
        KernelCase{"BGR24ToY41P",
                   {{24, 1}},
                   {{12, 1}},
                   false,
                   [](const KernelTable& t, const CallPlanes& p, int32_t w, int32_t h) {
                       return t.BGR24ToY41P(p.in[0], p.inStrides[0], p.out[0], p.outStrides[0], w, h);
                   }},
        KernelCase{"BGRA32ToY41P",
                   {{32, 1}},
                   {{12, 1}},
                   false,
                   [](const KernelTable& t, const CallPlanes& p, int32_t w, int32_t h) {
                       return t.BGRA32ToY41P(p.in[0], p.inStrides[0], p.out[0], p.outStrides[0], w, h);
                   }},
        KORVEL_PACKED_CASE(YVYUToBGR24, 2, 3),
        KORVEL_ALPHA_CASE(YVYUToBGRA32, 2),
        KernelCase{"Y41PToBGR24",
                   {{12, 1}},
                   {{24, 1}},
                   false,
                   [](const KernelTable& t, const CallPlanes& p, int32_t w, int32_t h) {
                       return t.Y41PToBGR24(p.in[0], p.inStrides[0], p.out[0], p.outStrides[0], w, h);
                   }},
        KernelCase{"Y41PToBGRA32",
                   {{12, 1}},
                   {{32, 1}},
                   false,
                   [](const KernelTable& t, const CallPlanes& p, int32_t w, int32_t h) {
                       return t.Y41PToBGRA32(p.in[0], p.inStrides[0], p.out[0], p.outStrides[0], w, h, 0x3C);
                   }},
        KernelCase{"BGR24ToPacked422 bad order",
                   {{3, 1}},
                   {{2, 1}},
                   false,
                   [](const KernelTable& t, const CallPlanes& p, int32_t w, int32_t h) {
                       static const uint8_t kOrder[4] = {2, 0, 1, 7};
                       return t.BGR24ToPacked422(p.in[0], p.inStrides[0], p.out[0], p.outStrides[0], w, h,
                                                 kOrder);
                   }},
        KernelCase{"PermuteGroups4 bad order",
                   {{4, 1}},
                   {{4, 1}},
                   false,
                   [](const KernelTable& t, const CallPlanes& p, int32_t w, int32_t h) {
                       static const uint8_t kOrder[4] = {0, 1, 4, 3};
                       return t.PermuteGroups4(p.in[0], p.inStrides[0], p.out[0], p.outStrides[0], w, h,
                                               kOrder);
                   }},
        KernelCase{"GreyToBGRA32",
                   {{1, 1}},
                   {{4, 1}},
                   false,
                   [](const KernelTable& t, const CallPlanes& p, int32_t w, int32_t h) {
                       return t.GreyToBGRA32(p.in[0], p.inStrides[0], p.out[0], p.outStrides[0], w, h, 0x3C);
                   }},
        KernelCase{"GreyToBGRA32 grey alpha",
                   {{1, 1}},
                   {{4, 1}},
                   false,
                   [](const KernelTable& t, const CallPlanes& p, int32_t w, int32_t h) {
                       return t.GreyToBGRA32(p.in[0], p.inStrides[0], p.out[0], p.outStrides[0], w, h,
                                             kGreyAlpha);
                   }},
        KernelCase{"GreyToBGRA32 bad alpha",
                   {{1, 1}},
                   {{4, 1}},
                   false,
                   [](const KernelTable& t, const CallPlanes& p, int32_t w, int32_t h) {
                       return t.GreyToBGRA32(p.in[0], p.inStrides[0], p.out[0], p.outStrides[0], w, h, 256);
                   }},
        KernelCase{"Planar420ToBGRA32",
                   {{1, 1}, {1, 2}, {1, 2}},
                   {{4, 1}},
                   false,
                   [](const KernelTable& t, const CallPlanes& p, int32_t w, int32_t h) {
                       return t.Planar420ToBGRA32(p.in, p.inStrides, p.out[0], p.outStrides[0], w, h, 0x3C);
                   }},
        KORVEL_PACKED_CASE(UYVYToBGR24, 2, 3),
        KORVEL_LUMA_CASE(Packed422ToGrey, 0),
        KORVEL_LUMA_CASE(Packed422ToGrey, 1),
        KORVEL_LUMA_CASE(Packed422ToGrey, 2),
    };
}

KernelCase CaseNamed(const char* name) {
    for (KernelCase& kernel : AllKernels()) {
        if (std::string(kernel.name) == name) {
            return kernel;
        }
    }
    throw std::invalid_argument(std::string("no kernel case is named ") + name);
}

}  // namespace kernel_cases
