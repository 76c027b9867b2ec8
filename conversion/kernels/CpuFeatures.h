// The processor's features and the level of kernel variants chosen from them.
#pragma once

#include <cstdint>

namespace kernels {

// Bits of the feature mask, from cpuid leaf 1.
enum CpuFeature : uint64_t {
    kFeatureMMX = 1u << 0,    // EDX bit 23
    kFeatureSSE = 1u << 1,    // EDX bit 25
    kFeatureSSE2 = 1u << 2,   // EDX bit 26
    kFeatureSSE3 = 1u << 3,   // ECX bit 0
    kFeatureSSSE3 = 1u << 4,  // ECX bit 9
    kFeatureMOVBE = 1u << 5,  // ECX bit 22
    kFeatureSSE41 = 1u << 6,  // ECX bit 19
    kFeatureSSE42 = 1u << 7,  // ECX bit 20
};

// Computed once from cpuid leaf 1 and cached; zero on a processor without cpuid.
uint64_t CpuFeatureMask();

// The level the processor supports, 0 to 3: 3 with SSE4.1, 2 with SSSE3, 1
// with SSE3, else 0. The environment is not consulted.
int32_t ProcessorCpuLevel();

// The level the processor supports, lowered (never raised) by the environment
// variable KORVEL_CPU_LEVEL when it holds a single digit 0 to 3.
int32_t ChooseCpuLevel();

// 1 when the processor has AVX2 (cpuid leaf 7, EBX bit 5) and the operating
// system saves the XMM and YMM registers (OSXSAVE, XGETBV bits 1 and 2), else
// 0. Kept apart from the leaf-1 mask and the level: AVX2 variants ride on
// level 3. Computed once and cached; the environment is not consulted.
int32_t ProcessorHasAvx2();

// 1 when the AVX2 variants are to be used: the processor has AVX2 and
// KORVEL_CPU_LEVEL does not name a level (any level it names, 3 included,
// means that level's instruction sets only).
int32_t ChooseAvx2();

// The level, MOVBE and AVX2 flags written by the last SelectKernelTable (0
// before it).
int32_t CpuLevel();
int32_t CpuHasMovbe();
int32_t CpuHasAvx2();

// Records the level chosen by the table selection; MOVBE is set at level 2
// only, AVX2 at level 3 only.
void RecordCpuLevel(int32_t level, int32_t avx2 = 0);

}  // namespace kernels
