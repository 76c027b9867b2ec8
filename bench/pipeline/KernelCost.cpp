#include "KernelCost.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "bench/pipeline/CpuClock.h"
#include "conversion/ConversionEngine.h"

namespace {

// Bytes of frames and pictures together that no processor cache holds.
constexpr size_t kBeyondCaches = size_t(192) << 20;

// Converts frames of 'sources' in turn into as many pictures; with one
// source, the same frame into the same picture each time. With an interval,
// each call starts on the next tick of that period and the thread sleeps
// between calls.
bool MeasureOne(ConversionEngine& engine, const std::vector<std::vector<uint8_t>>& sources, int width,
                int height, VideoFormatId destinationFormat, double minimumSeconds, double intervalSeconds,
                KernelCost* cost, std::string* error) {
    const int64_t rowBytes = VideoFormatCatalogue::MinimumRowBytes(destinationFormat, width);
    if (rowBytes <= 0) {
        *error = "no row size for the destination format";
        return false;
    }
    const int32_t stride = static_cast<int32_t>((rowBytes + 3) / 4 * 4);  // DIB rows
    std::vector<std::vector<uint8_t>> destinations(sources.size(),
                                                   std::vector<uint8_t>(static_cast<size_t>(stride) * height));
    size_t next = 0;
    const auto convert = [&]() {
        const std::vector<uint8_t>& source = sources[next];
        std::vector<uint8_t>& destination = destinations[next];
        next = (next + 1) % sources.size();
        return engine.ConvertFrame(source.data(), static_cast<int64_t>(source.size()), width, height, width,
                                   VideoFormat::BYRG, destination.data(),
                                   static_cast<int64_t>(destination.size()), width, height, stride,
                                   destinationFormat);
    };
    HRESULT hr = S_OK;
    for (size_t warm = 0; warm < sources.size() && SUCCEEDED(hr); ++warm) {
        hr = convert();  // touches every page and the scratch buffers
    }
    if (FAILED(hr)) {
        char text[96];
        std::snprintf(text, sizeof(text), "ConvertFrame failed, 0x%08lX", static_cast<unsigned long>(hr));
        *error = text;
        return false;
    }
    const HANDLE thread = GetCurrentThread();
    const double cpuStart = ThreadCpuSeconds(thread);
    const double wallStart = WallSeconds();
    int frames = 0;
    double wall = 0.0;
    do {
        if (intervalSeconds > 0.0) {
            const double wait = wallStart + frames * intervalSeconds - WallSeconds();
            if (wait > 0.0) {
                Sleep(static_cast<DWORD>(wait * 1000.0) + 1);
            }
        }
        hr = convert();
        if (FAILED(hr)) {
            *error = "ConvertFrame failed while timing";
            return false;
        }
        ++frames;
        wall = WallSeconds() - wallStart;
    } while (wall < minimumSeconds || frames < 10);
    const double cpu = ThreadCpuSeconds(thread) - cpuStart;
    if (cpuStart < 0.0 || cpu < 0.0) {
        *error = "GetThreadTimes failed";
        return false;
    }
    cost->frames = frames;
    cost->cpuSeconds = cpu / frames;
    cost->wallSeconds = wall / frames;
    return true;
}

}  // namespace

bool MeasureKernelCosts(int width, int height, double minimumSeconds, double frameRate, KernelCosts* costs,
                        std::string* error) {
    ConversionEngine engine;
    // A Bayer mosaic with detail everywhere, so no kernel meets only flat areas.
    std::vector<uint8_t> source(static_cast<size_t>(width) * height);
    uint32_t state = 0x12345678u;
    for (uint8_t& value : source) {
        state = state * 1664525u + 1013904223u;
        value = static_cast<uint8_t>(state >> 24);
    }
    const std::vector<std::vector<uint8_t>> one(1, source);
    // Frame and RGB24 picture together are four frames' bytes.
    const std::vector<std::vector<uint8_t>> many(kBeyondCaches / (4 * source.size()) + 1, source);
    const double interval = 1.0 / frameRate;
    return MeasureOne(engine, one, width, height, VideoFormat::RGB24, minimumSeconds, 0.0, &costs->toRgb24,
                      error) &&
           MeasureOne(engine, one, width, height, VideoFormat::Y800, minimumSeconds, 0.0, &costs->toY800,
                      error) &&
           MeasureOne(engine, many, width, height, VideoFormat::RGB24, minimumSeconds, 0.0,
                      &costs->toRgb24FromMemory, error) &&
           MeasureOne(engine, many, width, height, VideoFormat::Y800, minimumSeconds, 0.0,
                      &costs->toY800FromMemory, error) &&
           MeasureOne(engine, many, width, height, VideoFormat::BYRG, minimumSeconds, 0.0,
                      &costs->copyFromMemory, error) &&
           MeasureOne(engine, many, width, height, VideoFormat::RGB24, minimumSeconds, interval,
                      &costs->toRgb24Paced, error) &&
           MeasureOne(engine, many, width, height, VideoFormat::Y800, minimumSeconds, interval,
                      &costs->toY800Paced, error) &&
           MeasureOne(engine, many, width, height, VideoFormat::BYRG, minimumSeconds, interval,
                      &costs->copyPaced, error);
}
