// bench_quill_generator: what it costs the emulated cameras to make a frame.
//
// Each test-pattern frame is rendered into a buffer as a producer thread
// renders it; the yardstick is a memcpy of a frame of the same size between
// the same buffers, measured in the same run. The last column is the share
// of one core the generator takes at 60 frames per second.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "quill/emulation/FrameGenerator.h"
#include "quill/emulation/PixelFormatTable.h"

namespace {

using Clock = std::chrono::steady_clock;
using Quill::Emulation::FindPixelFormat;
using Quill::Emulation::FrameGenerator;
using Quill::Emulation::PixelFormatInfo;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kBuffers = 4;  // cycled, so no frame stays in the cache for the next
constexpr int kRounds = 7;
constexpr double kRoundSeconds = 0.25;

// Median over rounds of the mean time per call, in milliseconds.
template <class Work>
double MillisecondsPerCall(Work work) {
    std::vector<double> rounds;
    for (int round = 0; round < kRounds; ++round) {
        const Clock::time_point start = Clock::now();
        const Clock::time_point end =
            start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(kRoundSeconds));
        long calls = 0;
        Clock::time_point now = start;
        while (now < end) {
            work(calls++);
            now = Clock::now();
        }
        rounds.push_back(std::chrono::duration<double, std::milli>(now - start).count() / double(calls));
    }
    std::sort(rounds.begin(), rounds.end());
    return rounds[rounds.size() / 2];
}

struct Row {
    const char* format;
    double generator;
    double copy;
};

Row Measure(const char* name) {
    const PixelFormatInfo& format = *FindPixelFormat(name);
    FrameGenerator generator;
    generator.Configure(format, kWidth, kHeight, 1.0);
    const size_t bytes = generator.ImageSize();
    std::vector<std::vector<uint8_t>> buffers(kBuffers, std::vector<uint8_t>(bytes, 1));
    std::vector<uint8_t> source(bytes, 2);

    Row row{name, 0.0, 0.0};
    row.generator = MillisecondsPerCall(
        [&](long call) { generator.Render(buffers[size_t(call % kBuffers)].data(), uint64_t(call)); });
    row.copy = MillisecondsPerCall(
        [&](long call) { std::memcpy(buffers[size_t(call % kBuffers)].data(), source.data(), bytes); });
    return row;
}

}  // namespace

int main() {
    std::printf("Test-pattern generator, %d x %d, median of %d rounds\n\n", kWidth, kHeight, kRounds);
    std::printf("%-20s %12s %12s %10s %14s\n", "pixel format", "frame (ms)", "memcpy (ms)", "x memcpy",
                "core @ 60 fps");
    for (const char* format : {"Mono8", "BayerRG8", "YUV422Packed", "BGRA8Packed"}) {
        const Row row = Measure(format);
        std::printf("%-20s %12.3f %12.3f %10.2f %13.1f%%\n", row.format, row.generator, row.copy,
                    row.generator / row.copy, row.generator * 60.0 / 1000.0 * 100.0);
    }
    return 0;
}
