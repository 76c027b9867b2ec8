// CPU and wall clocks of the benchmark: process and thread CPU time from
// GetProcessTimes and GetThreadTimes, wall time from QueryPerformanceCounter.
#pragma once

#include <windows.h>

// Seconds of user plus kernel time of the whole process; negative on failure.
double ProcessCpuSeconds();
// The same for one thread (a handle with query rights); negative on failure.
double ThreadCpuSeconds(HANDLE thread);
// Seconds on the performance counter since an arbitrary origin.
double WallSeconds();
