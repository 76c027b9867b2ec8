// The conversion kernels' own cost: a ConversionEngine (with this processor's kernel table) converting
// one 1920 x 1080 BayerRG8 frame to a bottom-up RGB24 picture and to a Y800
// picture, repeated on the calling thread and timed with GetThreadTimes and
// QueryPerformanceCounter.
#pragma once

#include <string>

struct KernelCost {
    double cpuSeconds = 0.0;   // thread CPU time per frame
    double wallSeconds = 0.0;  // elapsed time per frame
    int frames = 0;
};

struct KernelCosts {
    KernelCost toRgb24;
    KernelCost toY800;
};

// Measures both conversions for at least minimumSeconds each. False, with the
// reason, when a conversion fails.
bool MeasureKernelCosts(int width, int height, double minimumSeconds, KernelCosts* costs, std::string* error);
