// The thread of an open emulated device that makes its frames: at the
// camera's resulting frame rate on absolute deadlines, or one per software
// trigger, into the buffers queued on the stream grabber.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <thread>

#include "quill/emulation/FrameGenerator.h"

namespace Quill {
namespace Emulation {

class EmulatedDevice;

class FrameProducer {
  public:
    explicit FrameProducer(EmulatedDevice& device);
    ~FrameProducer() { Join(); }
    FrameProducer(const FrameProducer&) = delete;
    FrameProducer& operator=(const FrameProducer&) = delete;

    // Starts the thread; frame numbers start again at 1. No lock held.
    void Start();
    // Asks the thread to end; the camera's lock is held.
    void RequestStopLocked();
    // Waits for the thread to end. No lock held, never on the producer thread.
    void Join();

    static constexpr uint32_t kErrorBufferTooSmall = 0xE1000101u;
    static constexpr uint32_t kErrorIncompleteFrame = 0xE1000102u;

  private:
    void Run();
    void ProduceFrame(std::unique_lock<std::mutex>& lock);

    EmulatedDevice& device_;
    std::thread thread_;
    bool stop_ = false;  // guarded by the camera's lock
    uint64_t frameNumber_ = 0;
    double sensorCpuBefore_ = 0.0;  // the camera's sensor time before this thread started
    std::chrono::steady_clock::time_point startedAt_;
    FrameGenerator generator_;
};

}  // namespace Emulation
}  // namespace Quill
