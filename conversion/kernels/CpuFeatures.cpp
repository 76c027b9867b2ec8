// cpuid leaf 1, the level selection and its environment override.
#include "conversion/kernels/CpuFeatures.h"

#include <atomic>
#include <cstdlib>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace kernels {

namespace {

std::atomic<uint64_t> featureMask{0};
std::atomic<bool> featuresComputed{false};
std::atomic<int32_t> cpuLevel{0};
std::atomic<int32_t> cpuMovbe{0};
std::atomic<int32_t> avx2Present{-1};
std::atomic<int32_t> cpuAvx2{0};

uint64_t ReadFeatureMask() {
    uint64_t mask = 0;
#if defined(__x86_64__) || defined(__i386__)
    unsigned int eax = 0;
    unsigned int ebx = 0;
    unsigned int ecx = 0;
    unsigned int edx = 0;
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) {
        return 0;
    }
    struct Bit {
        unsigned int reg;
        int bit;
        uint64_t feature;
    };
    const Bit bits[] = {
        {edx, 23, kFeatureMMX},  {edx, 25, kFeatureSSE},   {edx, 26, kFeatureSSE2},  {ecx, 0, kFeatureSSE3},
        {ecx, 9, kFeatureSSSE3}, {ecx, 22, kFeatureMOVBE}, {ecx, 19, kFeatureSSE41}, {ecx, 20, kFeatureSSE42},
    };
    for (const Bit& entry : bits) {
        if (((entry.reg >> entry.bit) & 1u) != 0) {
            mask |= entry.feature;
        }
    }
#endif
    return mask;
}

int32_t ReadAvx2() {
#if defined(__x86_64__) || defined(__i386__)
    unsigned int eax = 0;
    unsigned int ebx = 0;
    unsigned int ecx = 0;
    unsigned int edx = 0;
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0 || ((ecx >> 27) & 1u) == 0) {
        return 0;  // no OSXSAVE: XGETBV may not be executed
    }
    unsigned int stateLow = 0;
    unsigned int stateHigh = 0;
    // XGETBV with ECX 0 reads XCR0; spelled out so no -mxsave is needed here.
    __asm__ volatile("xgetbv" : "=a"(stateLow), "=d"(stateHigh) : "c"(0));
    if ((stateLow & 6u) != 6u) {
        return 0;  // the system does not save the XMM and YMM state
    }
    if (__get_cpuid_max(0, nullptr) < 7) {
        return 0;
    }
    __cpuid_count(7, 0, eax, ebx, ecx, edx);
    return ((ebx >> 5) & 1u) != 0 ? 1 : 0;
#else
    return 0;
#endif
}

bool LevelNamedByEnvironment(int32_t* wanted) {
    const char* text = std::getenv("KORVEL_CPU_LEVEL");
    if (text != nullptr && text[0] >= '0' && text[0] <= '3' && text[1] == '\0') {
        *wanted = text[0] - '0';
        return true;
    }
    return false;
}

}  // namespace

uint64_t CpuFeatureMask() {
    if (!featuresComputed.load(std::memory_order_acquire)) {
        featureMask.store(ReadFeatureMask(), std::memory_order_relaxed);
        featuresComputed.store(true, std::memory_order_release);
    }
    return featureMask.load(std::memory_order_relaxed);
}

int32_t ProcessorCpuLevel() {
    const uint64_t mask = CpuFeatureMask();
    if ((mask & kFeatureSSE41) != 0) {
        return 3;
    }
    if ((mask & kFeatureSSSE3) != 0) {
        return 2;
    }
    if ((mask & kFeatureSSE3) != 0) {
        return 1;
    }
    return 0;
}

int32_t ChooseCpuLevel() {
    int32_t level = ProcessorCpuLevel();
    int32_t wanted = 0;
    if (LevelNamedByEnvironment(&wanted) && wanted < level) {
        level = wanted;
    }
    return level;
}

int32_t ProcessorHasAvx2() {
    int32_t present = avx2Present.load(std::memory_order_acquire);
    if (present < 0) {
        present = ReadAvx2();
        avx2Present.store(present, std::memory_order_release);
    }
    return present;
}

int32_t ChooseAvx2() {
    int32_t wanted = 0;
    if (LevelNamedByEnvironment(&wanted)) {
        return 0;
    }
    return ProcessorHasAvx2() != 0 && ProcessorCpuLevel() == 3 ? 1 : 0;
}

int32_t CpuLevel() {
    return cpuLevel.load(std::memory_order_acquire);
}

int32_t CpuHasMovbe() {
    return cpuMovbe.load(std::memory_order_acquire);
}

int32_t CpuHasAvx2() {
    return cpuAvx2.load(std::memory_order_acquire);
}

void RecordCpuLevel(int32_t level, int32_t avx2) {
    cpuLevel.store(level, std::memory_order_release);
    cpuMovbe.store(level == 2 && (CpuFeatureMask() & kFeatureMOVBE) != 0 ? 1 : 0, std::memory_order_release);
    cpuAvx2.store(level == 3 && avx2 != 0 ? 1 : 0, std::memory_order_release);
}

}  // namespace kernels
