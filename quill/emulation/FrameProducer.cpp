#include "quill/emulation/FrameProducer.h"

#include <string>

#include "quill/emulation/ChunkTrailer.h"
#include "quill/emulation/EmulatedCamera.h"
#include "quill/emulation/EmulatedDevice.h"
#include "quill/emulation/EmulatedStreamGrabber.h"
#include "quill/emulation/EmulationWorld.h"

#ifdef _WIN32
#include <windows.h>
#include <mmsystem.h>
#else
#include <time.h>
#endif

namespace Quill {
namespace Emulation {

namespace {

using Clock = std::chrono::steady_clock;

Clock::duration Seconds(double seconds) {
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

// Processor time of the calling thread so far.
double ThisThreadCpuSeconds() {
#ifdef _WIN32
    FILETIME creation, exit, kernel, user;
    if (!GetThreadTimes(GetCurrentThread(), &creation, &exit, &kernel, &user)) {
        return 0.0;
    }
    const auto ticks = [](const FILETIME& time) {
        return (uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return double(ticks(kernel) + ticks(user)) * 1e-7;
#else
    timespec now{};
    if (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now) != 0) {
        return 0.0;
    }
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
#endif
}

// Sleeps on Windows are otherwise rounded to the 15.6 ms system tick, which
// would make each frame late by a different amount.
class TimerResolution {
  public:
#ifdef _WIN32
    TimerResolution() {
        timeBeginPeriod(1);
    }
    ~TimerResolution() {
        timeEndPeriod(1);
    }
#endif
};

}  // namespace

FrameProducer::FrameProducer(EmulatedDevice& device) : device_(device) {}

void FrameProducer::Start() {
    {
        std::lock_guard<std::mutex> lock(device_.Camera().Mutex());
        stop_ = false;
    }
    frameNumber_ = 0;
    startedAt_ = Clock::now();
    device_.World().ThreadStarted();
    thread_ = std::thread([this] {
        Run();
        device_.World().ThreadEnded();
    });
}

void FrameProducer::RequestStopLocked() {
    stop_ = true;
    device_.Camera().ProducerWake().notify_all();
}

void FrameProducer::Join() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

void FrameProducer::Run() {
    [[maybe_unused]] TimerResolution timerResolution;
    EmulatedCamera& camera = device_.Camera();
    std::condition_variable& wake = camera.ProducerWake();
    std::unique_lock<std::mutex> lock(camera.Mutex());
    sensorCpuBefore_ = camera.Counters().sensorCpuSeconds;
    // Free running, frame n is due at anchor + n periods: lateness of one
    // wake-up never carries over to the next frame, so the rate stays exact.
    bool anchored = false;
    Clock::time_point anchor;
    uint64_t ticks = 0;
    double period = 0.0;
    Clock::time_point nextTriggerAllowed = Clock::now();
    while (!stop_) {
        CameraState& state = camera.State();
        if (!state.acquisitionActive || !camera.plugged) {
            anchored = false;
            wake.wait(lock);
            continue;
        }
        const double newPeriod = 1.0 / camera.ResultingFrameRate();
        if (state.triggerMode) {
            anchored = false;
            if (state.pendingTriggers == 0) {
                wake.wait(lock);
                continue;
            }
            // Triggers arriving faster than the camera can make frames wait their turn.
            if (Clock::now() < nextTriggerAllowed) {
                wake.wait_until(lock, nextTriggerAllowed);
                continue;
            }
            --state.pendingTriggers;
            ProduceFrame(lock);
            nextTriggerAllowed = Clock::now() + Seconds(newPeriod);
            continue;
        }
        if (!anchored) {
            anchor = Clock::now();
            ticks = 0;
            period = newPeriod;
            anchored = true;
        } else if (newPeriod != period) {
            // A new rate counts from the last frame's deadline.
            anchor += Seconds(period * double(ticks));
            ticks = 0;
            period = newPeriod;
        }
        const Clock::time_point deadline = anchor + Seconds(period * double(ticks + 1));
        const Clock::time_point now = Clock::now();
        if (now < deadline) {
            wake.wait_until(lock, deadline);
            continue;
        }
        if (now - deadline > Seconds(2 * period)) {
            // The process stalled: start afresh rather than make up frames in a burst.
            anchor = now;
            ticks = 0;
        } else {
            ++ticks;
        }
        ProduceFrame(lock);
    }
    camera.Counters().sensorCpuSeconds = sensorCpuBefore_ + ThisThreadCpuSeconds();
}

void FrameProducer::ProduceFrame(std::unique_lock<std::mutex>& lock) {
    EmulatedCamera& camera = device_.Camera();
    CameraState& state = camera.State();
    CameraCounters& counters = camera.Counters();
    ++counters.framesProduced;
    const uint64_t number = ++frameNumber_;
    if (state.acquisitionMode != kContinuous && --state.framesLeft <= 0) {
        state.acquisitionActive = false;
    }
    EmulatedStreamGrabber* grabber = device_.Grabber();
    GrabBuffer* buffer = grabber != nullptr ? grabber->TakeForFillLocked() : nullptr;
    if (buffer == nullptr) {
        ++counters.framesDropped;
        return;
    }
    const PixelFormatInfo& format = *state.format;
    const int width = int(state.width);
    const int height = int(state.height);
    const double brightness = camera.Brightness();
    const bool chunks = state.chunkModeActive;
    const size_t imageSize = camera.ImageSize();
    const size_t payloadSize = camera.PayloadSize();
    const bool injectedFailure = camera.NextGrabFails();
    const uint64_t timestamp =
        uint64_t(std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - startedAt_).count());

    // The buffer is the producer's until it is completed: fill it unlocked.
    lock.unlock();
    GrabResult result;
    result.SetFrame(number, timestamp);
    result.SetImage(payloadSize, width, height, format.pfnc);
    if (buffer->size < payloadSize) {
        result.SetStatus(Failed);
        result.SetImage(0, width, height, format.pfnc);
        result.SetError(kErrorBufferTooSmall, "The buffer of " + std::to_string(buffer->size) +
                                                  " bytes is too small for the payload of " +
                                                  std::to_string(payloadSize) + " bytes");
    } else if (injectedFailure) {
        result.SetStatus(Failed);
        result.SetImage(0, width, height, format.pfnc);
        result.SetError(kErrorIncompleteFrame,
                        "Frame " + std::to_string(number) + " is incomplete: packets were lost on the link");
    } else {
        uint8_t* memory = static_cast<uint8_t*>(buffer->memory);
        generator_.Configure(format, width, height, brightness);
        generator_.Render(memory, number);
        if (chunks) {
            ChunkTrailer::Write(memory, imageSize, ChunkValues{number, timestamp});
        }
        result.SetStatus(Grabbed);
    }
    lock.lock();

    counters.sensorCpuSeconds = sensorCpuBefore_ + ThisThreadCpuSeconds();
    grabber->CompleteFillLocked(buffer, result);
    if (result.Status() == Grabbed) {
        ++counters.framesDelivered;
    } else {
        ++counters.framesFailed;
    }
    if (camera.unplugCountdown > 0 && --camera.unplugCountdown == 0) {
        // The removal itself runs on a thread of the world: this thread is
        // joined by it and must not wait for it.
        camera.plugged = false;
        lock.unlock();
        device_.World().RequestUnplug(device_.CameraPointer());
        lock.lock();
    }
}

}  // namespace Emulation
}  // namespace Quill
