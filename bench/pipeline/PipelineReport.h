// The benchmark's printed figures: per pin the frames delivered and dropped,
// CPU time per frame and its ratio to the conversion kernels' own cost, the
// camera's frame rate, and the target with a mark when it is missed.
#pragma once

#include "bench/pipeline/KernelCost.h"
#include "bench/pipeline/PipelineGraph.h"

// Prints the figures of the window between two snapshots; true when the
// target (the frame rate reached on both pins, no frame dropped) is met.
bool PrintPipelineReport(const PipelineSnapshot& start, const PipelineSnapshot& end,
                         double connectedFrameRate, double targetFrameRate, const KernelCosts& kernels);
