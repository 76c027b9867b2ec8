// The stream channel of an emulated device: registered buffers, the queue of
// buffers waiting for a frame and the FIFO of finished results. Its state is
// guarded by the camera's lock; the frame producer takes a buffer from the
// queue, fills it without the lock and hands it back as a result.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "quill/StreamGrabber.h"
#include "quill/genapi/NodeHost.h"
#include "quill/genapi/NodeMap.h"

namespace Quill {
namespace Emulation {

class EmulatedDevice;

struct GrabBuffer {
    enum class State { Idle, Queued, Filling, Done };
    void* memory = nullptr;
    size_t size = 0;
    const void* context = nullptr;
    State state = State::Idle;
};

class EmulatedStreamGrabber : public IStreamGrabber, private Nodes::NodeHost {
  public:
    explicit EmulatedStreamGrabber(EmulatedDevice& device);
    ~EmulatedStreamGrabber() override;

    void Open() override;
    void Close() override;
    bool IsOpen() const override;
    void PrepareGrab() override;
    void FinishGrab() override;
    StreamBufferHandle RegisterBuffer(void* buffer, size_t bufferSize) override;
    const void* DeregisterBuffer(StreamBufferHandle handle) override;
    void QueueBuffer(StreamBufferHandle handle, const void* context = nullptr) override;
    void CancelGrab() override;
    bool RetrieveResult(GrabResult& result) override;
    WaitObject& GetWaitObject() const override;
    GenApi::INodeMap* GetNodeMap() override;

    // The following run with the camera's lock held.
    // The oldest queued buffer, now being filled; null when none is queued.
    GrabBuffer* TakeForFillLocked();
    // Hands a filled buffer back as a result.
    void CompleteFillLocked(GrabBuffer* buffer, GrabResult result);
    // Waits until the producer is not filling a buffer.
    void WaitForFillLocked(std::unique_lock<std::mutex>& lock);
    // Ends grabbing whatever its state: used when the device closes.
    void CloseLocked(std::unique_lock<std::mutex>& lock);
    // Wakes every waiter so that it sees the device's removal.
    void WakeWaitersLocked();

  private:
    class ResultWaitObject : public WaitObject {
      public:
        explicit ResultWaitObject(const EmulatedStreamGrabber& grabber) : grabber_(grabber) {}
        bool Wait(unsigned int timeoutMs) const override;

      private:
        const EmulatedStreamGrabber& grabber_;
    };

    std::unique_lock<std::mutex> Enter() const override;
    bool NodesReachable() const override { return true; }
    bool ParametersLocked() const override { return prepared_; }
    void NodeWritten() override {}

    void RequireOpen(const char* operation) const;
    void RequirePrepared(const char* operation) const;
    GrabBuffer* FindLocked(StreamBufferHandle handle, const char* operation) const;
    void CancelLocked(std::unique_lock<std::mutex>& lock);

    EmulatedDevice& device_;
    bool open_ = false;
    bool prepared_ = false;
    int64_t maxBufferSize_ = 0;
    int64_t maxNumBuffer_ = 16;
    std::vector<std::unique_ptr<GrabBuffer>> buffers_;
    std::deque<GrabBuffer*> queued_;
    std::deque<GrabResult> results_;
    GrabBuffer* filling_ = nullptr;
    mutable int waiters_ = 0;  // threads inside Wait
    mutable std::condition_variable resultReady_;
    mutable std::condition_variable waitersGone_;
    std::condition_variable fillDone_;
    mutable ResultWaitObject waitObject_;
    Nodes::NodeMap nodeMap_;
};

}  // namespace Emulation
}  // namespace Quill
