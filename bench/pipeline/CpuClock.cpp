#include "CpuClock.h"

namespace {

double Seconds(const FILETIME& time) {
    ULARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    return static_cast<double>(value.QuadPart) * 1e-7;
}

}  // namespace

double ProcessCpuSeconds() {
    FILETIME creation, exit, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &creation, &exit, &kernel, &user)) {
        return -1.0;
    }
    return Seconds(kernel) + Seconds(user);
}

double ThreadCpuSeconds(HANDLE thread) {
    FILETIME creation, exit, kernel, user;
    if (!thread || !GetThreadTimes(thread, &creation, &exit, &kernel, &user)) {
        return -1.0;
    }
    return Seconds(kernel) + Seconds(user);
}

double WallSeconds() {
    static const double frequency = [] {
        LARGE_INTEGER value;
        QueryPerformanceFrequency(&value);
        return static_cast<double>(value.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / frequency;
}
