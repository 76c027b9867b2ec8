// The conversion kernels' own cost: a ConversionEngine (with this processor's kernel table) converting
// 1920 x 1080 BayerRG8 frames to a bottom-up RGB24 picture and to a Y800
// picture, repeated on the calling thread and timed with GetThreadTimes and
// QueryPerformanceCounter. Measured twice: one frame into one picture over and
// over (both stay in the cache), and frames taken in turn from a set larger
// than the processor's caches into as many pictures (each frame read from
// memory and each picture written to memory, as a camera's frames and a
// graph's samples are). From memory, the pins' hand-off copy as well: the
// same-format ConvertFrame by which each pin copies a camera frame into its
// own frame buffer on the grab thread. From memory once more, paced: one call
// a frame interval with the thread idle between, as the camera paces the
// pins (the caches and the processor's state are then whatever the idle
// time left them).
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
    KernelCost toRgb24FromMemory;
    KernelCost toY800FromMemory;
    KernelCost copyFromMemory;  // one pin's hand-off copy of one frame
    KernelCost toRgb24Paced;
    KernelCost toY800Paced;
    KernelCost copyPaced;
};

// Measures each for at least minimumSeconds, the paced ones at frameRate.
// False, with the reason, when a conversion fails.
bool MeasureKernelCosts(int width, int height, double minimumSeconds, double frameRate, KernelCosts* costs,
                        std::string* error);
