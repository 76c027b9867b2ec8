#include "quill/emulation/EmulatedStreamGrabber.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <string>

#include "quill/emulation/EmulatedCamera.h"
#include "quill/emulation/EmulatedDevice.h"
#include "quill/genapi/CategoryNode.h"
#include "quill/genapi/IntegerNode.h"

namespace Quill {
namespace Emulation {

using namespace GenApi;

namespace {

StreamBufferHandle ToHandle(GrabBuffer* buffer) {
    return reinterpret_cast<StreamBufferHandle>(buffer);
}

constexpr int64_t kMaxNumBufferLimit = 1024;

}  // namespace

EmulatedStreamGrabber::EmulatedStreamGrabber(EmulatedDevice& device)
    : device_(device), waitObject_(*this), nodeMap_(*this, device.FullName() + " stream grabber") {
    Nodes::NodeInfo size;
    size.name = "MaxBufferSize";
    size.displayName = "Max Buffer Size";
    size.description =
        "Largest buffer, in bytes, that may be registered. Read-only while grabbing is prepared.";
    size.unit = "B";
    size.visibility = Expert;
    size.lockable = true;
    nodeMap_.Add<Nodes::IntegerNode>(
        size,
        Nodes::IntegerBinding{[this] { return maxBufferSize_; },
                              [this](int64_t value) { maxBufferSize_ = value; }, [] { return int64_t(1); },
                              [] { return int64_t(std::numeric_limits<int32_t>::max()); }, nullptr});
    Nodes::NodeInfo count;
    count.name = "MaxNumBuffer";
    count.displayName = "Max Number of Buffers";
    count.description = "Most buffers that may be registered at once. Read-only while grabbing is prepared.";
    count.visibility = Expert;
    count.lockable = true;
    nodeMap_.Add<Nodes::IntegerNode>(
        count, Nodes::IntegerBinding{[this] { return maxNumBuffer_; },
                                     [this](int64_t value) { maxNumBuffer_ = value; },
                                     [] { return int64_t(1); }, [] { return kMaxNumBufferLimit; }, nullptr});
    Nodes::NodeInfo root;
    root.name = "Root";
    root.displayName = "Stream Parameters";
    nodeMap_.Add<Nodes::CategoryNode>(root, std::vector<std::string>{"MaxBufferSize", "MaxNumBuffer"});
    nodeMap_.MarkFeatures();
}

EmulatedStreamGrabber::~EmulatedStreamGrabber() = default;

std::unique_lock<std::mutex> EmulatedStreamGrabber::Enter() const {
    return device_.EnterChecked();
}

void EmulatedStreamGrabber::RequireOpen(const char* operation) const {
    if (!open_) {
        QUILL_THROW(LogicalErrorException, std::string(operation) + ": the stream grabber of '" +
                                               device_.FullName() + "' is not open");
    }
}

void EmulatedStreamGrabber::RequirePrepared(const char* operation) const {
    RequireOpen(operation);
    if (!prepared_) {
        QUILL_THROW(LogicalErrorException, std::string(operation) + ": call PrepareGrab first");
    }
}

GrabBuffer* EmulatedStreamGrabber::FindLocked(StreamBufferHandle handle, const char* operation) const {
    for (const auto& buffer : buffers_) {
        if (ToHandle(buffer.get()) == handle) {
            return buffer.get();
        }
    }
    QUILL_THROW(InvalidArgumentException,
                std::string(operation) + ": the handle names no buffer registered with this stream grabber");
}

void EmulatedStreamGrabber::Open() {
    auto lock = Enter();
    if (!device_.OpenLocked()) {
        QUILL_THROW(LogicalErrorException, "Open: the device '" + device_.FullName() + "' is not open");
    }
    if (open_) {
        QUILL_THROW(LogicalErrorException,
                    "Open: the stream grabber of '" + device_.FullName() + "' is already open");
    }
    open_ = true;
    maxBufferSize_ = int64_t(device_.Camera().PayloadSize());
}

void EmulatedStreamGrabber::Close() {
    auto lock = Enter();
    CloseLocked(lock);
}

void EmulatedStreamGrabber::CloseLocked(std::unique_lock<std::mutex>& lock) {
    if (!open_) {
        return;
    }
    // Closing gives every buffer back, as a real driver does when the
    // channel goes away; the caller still owns their memory.
    CancelLocked(lock);
    results_.clear();
    buffers_.clear();
    if (prepared_) {
        prepared_ = false;
        device_.Camera().State().tlParamsLocked = 0;
    }
    open_ = false;
    // Threads waiting for a result leave before the grabber can go away.
    resultReady_.notify_all();
    waitersGone_.wait(lock, [this] { return waiters_ == 0; });
}

bool EmulatedStreamGrabber::IsOpen() const {
    auto lock = Enter();
    return open_;
}

void EmulatedStreamGrabber::PrepareGrab() {
    auto lock = Enter();
    RequireOpen("PrepareGrab");
    if (prepared_) {
        return;
    }
    prepared_ = true;
    // The image format may no longer change while buffers of its size exist.
    device_.Camera().State().tlParamsLocked = 1;
    device_.Camera().ProducerWake().notify_all();
}

void EmulatedStreamGrabber::FinishGrab() {
    auto lock = Enter();
    RequireOpen("FinishGrab");
    if (!prepared_) {
        return;
    }
    if (!buffers_.empty()) {
        QUILL_THROW(LogicalErrorException, "FinishGrab: " + std::to_string(buffers_.size()) +
                                               " buffers are still registered; cancel the grab, retrieve "
                                               "the results and deregister the buffers first");
    }
    prepared_ = false;
    device_.Camera().State().tlParamsLocked = 0;
}

StreamBufferHandle EmulatedStreamGrabber::RegisterBuffer(void* buffer, size_t bufferSize) {
    auto lock = Enter();
    RequirePrepared("RegisterBuffer");
    if (buffer == nullptr || bufferSize == 0) {
        QUILL_THROW(InvalidArgumentException, "RegisterBuffer: the buffer is null or empty");
    }
    if (bufferSize > size_t(maxBufferSize_)) {
        QUILL_THROW(OutOfRangeException, "RegisterBuffer: " + std::to_string(bufferSize) +
                                             " bytes exceed MaxBufferSize (" +
                                             std::to_string(maxBufferSize_) + ")");
    }
    if (int64_t(buffers_.size()) >= maxNumBuffer_) {
        QUILL_THROW(OutOfRangeException, "RegisterBuffer: MaxNumBuffer (" + std::to_string(maxNumBuffer_) +
                                             ") buffers are already registered");
    }
    for (const auto& registered : buffers_) {
        if (registered->memory == buffer) {
            QUILL_THROW(LogicalErrorException, "RegisterBuffer: this memory is already registered");
        }
    }
    auto record = std::make_unique<GrabBuffer>();
    record->memory = buffer;
    record->size = bufferSize;
    buffers_.push_back(std::move(record));
    return ToHandle(buffers_.back().get());
}

const void* EmulatedStreamGrabber::DeregisterBuffer(StreamBufferHandle handle) {
    auto lock = Enter();
    RequireOpen("DeregisterBuffer");
    GrabBuffer* buffer = FindLocked(handle, "DeregisterBuffer");
    if (buffer->state != GrabBuffer::State::Idle) {
        QUILL_THROW(
            LogicalErrorException,
            "DeregisterBuffer: the buffer is still queued or its result not retrieved; cancel the grab "
            "and retrieve its result first");
    }
    const void* memory = buffer->memory;
    buffers_.erase(
        std::find_if(buffers_.begin(), buffers_.end(),
                     [buffer](const std::unique_ptr<GrabBuffer>& entry) { return entry.get() == buffer; }));
    return memory;
}

void EmulatedStreamGrabber::QueueBuffer(StreamBufferHandle handle, const void* context) {
    auto lock = Enter();
    RequirePrepared("QueueBuffer");
    GrabBuffer* buffer = FindLocked(handle, "QueueBuffer");
    if (buffer->state != GrabBuffer::State::Idle) {
        QUILL_THROW(LogicalErrorException,
                    "QueueBuffer: the buffer is already queued or its result not retrieved");
    }
    buffer->state = GrabBuffer::State::Queued;
    buffer->context = context;
    queued_.push_back(buffer);
}

void EmulatedStreamGrabber::CancelGrab() {
    auto lock = Enter();
    RequireOpen("CancelGrab");
    CancelLocked(lock);
}

void EmulatedStreamGrabber::CancelLocked(std::unique_lock<std::mutex>& lock) {
    // A buffer being filled finishes first and arrives before the canceled ones.
    WaitForFillLocked(lock);
    while (!queued_.empty()) {
        GrabBuffer* buffer = queued_.front();
        queued_.pop_front();
        buffer->state = GrabBuffer::State::Done;
        GrabResult result;
        result.SetStatus(Canceled);
        result.SetBuffer(ToHandle(buffer), buffer->memory, buffer->context);
        results_.push_back(result);
    }
    resultReady_.notify_all();
}

bool EmulatedStreamGrabber::RetrieveResult(GrabResult& result) {
    auto lock = Enter();
    RequireOpen("RetrieveResult");
    if (results_.empty()) {
        return false;
    }
    result = results_.front();
    results_.pop_front();
    for (const auto& buffer : buffers_) {
        if (ToHandle(buffer.get()) == result.Handle()) {
            buffer->state = GrabBuffer::State::Idle;
        }
    }
    return true;
}

WaitObject& EmulatedStreamGrabber::GetWaitObject() const {
    auto lock = Enter();
    return waitObject_;
}

GenApi::INodeMap* EmulatedStreamGrabber::GetNodeMap() {
    auto lock = Enter();
    return &nodeMap_;
}

GrabBuffer* EmulatedStreamGrabber::TakeForFillLocked() {
    if (!open_ || !prepared_ || queued_.empty() || device_.LostLocked()) {
        return nullptr;
    }
    filling_ = queued_.front();
    queued_.pop_front();
    filling_->state = GrabBuffer::State::Filling;
    return filling_;
}

void EmulatedStreamGrabber::CompleteFillLocked(GrabBuffer* buffer, GrabResult result) {
    buffer->state = GrabBuffer::State::Done;
    result.SetBuffer(ToHandle(buffer), buffer->memory, buffer->context);
    results_.push_back(result);
    filling_ = nullptr;
    fillDone_.notify_all();
    resultReady_.notify_all();
}

void EmulatedStreamGrabber::WaitForFillLocked(std::unique_lock<std::mutex>& lock) {
    fillDone_.wait(lock, [this] { return filling_ == nullptr; });
}

void EmulatedStreamGrabber::WakeWaitersLocked() {
    resultReady_.notify_all();
}

bool EmulatedStreamGrabber::ResultWaitObject::Wait(unsigned int timeoutMs) const {
    auto lock = grabber_.Enter();
    const EmulatedStreamGrabber& grabber = grabber_;
    // Nothing arrives at a closed grabber, so waiting on one ends at once.
    auto ready = [&grabber] {
        return grabber.device_.LostLocked() || !grabber.open_ || !grabber.results_.empty();
    };
    ++grabber.waiters_;
    if (timeoutMs == Infinite) {
        grabber.resultReady_.wait(lock, ready);
    } else {
        grabber.resultReady_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
    }
    if (--grabber.waiters_ == 0) {
        grabber.waitersGone_.notify_all();
    }
    if (grabber.device_.LostLocked()) {
        QUILL_THROW(RuntimeException,
                    "Wait: the device '" + grabber.device_.FullName() + "' has been removed");
    }
    return !grabber.results_.empty();
}

}  // namespace Emulation
}  // namespace Quill
