// Value types of device access and grabbing.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>

#include "quill/GenICam.h"

struct QuillStreamBuffer;

namespace Quill {

enum EDeviceAccessMode { Control = 1, Stream = 3, Event = 4, Exclusive = 5 };

// The access modes a device is opened with, joined with '+'.
class AccessModeSet {
  public:
    AccessModeSet() = default;
    AccessModeSet(EDeviceAccessMode mode) { bits_.set(static_cast<size_t>(mode)); }

    AccessModeSet& set(EDeviceAccessMode mode) {
        bits_.set(static_cast<size_t>(mode));
        return *this;
    }
    AccessModeSet& reset(EDeviceAccessMode mode) {
        bits_.reset(static_cast<size_t>(mode));
        return *this;
    }
    bool test(EDeviceAccessMode mode) const { return bits_.test(static_cast<size_t>(mode)); }
    bool any() const { return bits_.any(); }
    bool none() const { return bits_.none(); }
    size_t count() const { return bits_.count(); }
    bool operator==(const AccessModeSet& other) const { return bits_ == other.bits_; }

    AccessModeSet operator+(EDeviceAccessMode mode) const { return AccessModeSet(*this).set(mode); }

  private:
    std::bitset<8> bits_;
};

inline AccessModeSet operator+(EDeviceAccessMode left, EDeviceAccessMode right) {
    return AccessModeSet(left) + right;
}

enum EGrabStatus { _UndefinedGrabStatus = -1, Idle = 0, Queued = 1, Grabbed = 2, Canceled = 3, Failed = 4 };

// Opaque handle of a buffer registered with a stream grabber.
typedef QuillStreamBuffer* StreamBufferHandle;

// The outcome of one buffer's trip through a stream grabber.
class GrabResult {
  public:
    EGrabStatus Status() const { return status_; }
    StreamBufferHandle Handle() const { return handle_; }
    void* Buffer() const { return buffer_; }
    size_t GetPayloadSize() const { return payloadSize_; }
    const void* Context() const { return context_; }
    uint32_t GetErrorCode() const { return errorCode_; }
    GenICam::gcstring GetErrorDescription() const { return errorDescription_; }
    uint64_t GetFrameNumber() const { return frameNumber_; }
    uint64_t GetTimeStamp() const { return timeStamp_; }
    int32_t GetSizeX() const { return sizeX_; }
    int32_t GetSizeY() const { return sizeY_; }
    uint64_t GetPixelType() const { return pixelType_; }
    bool Succeeded() const { return status_ == Grabbed; }

    // Filled by the stream grabber.
    void SetStatus(EGrabStatus status) { status_ = status; }
    void SetBuffer(StreamBufferHandle handle, void* buffer, const void* context) {
        handle_ = handle;
        buffer_ = buffer;
        context_ = context;
    }
    void SetImage(size_t payloadSize, int32_t sizeX, int32_t sizeY, uint64_t pixelType) {
        payloadSize_ = payloadSize;
        sizeX_ = sizeX;
        sizeY_ = sizeY;
        pixelType_ = pixelType;
    }
    void SetFrame(uint64_t frameNumber, uint64_t timeStamp) {
        frameNumber_ = frameNumber;
        timeStamp_ = timeStamp;
    }
    void SetError(uint32_t code, const GenICam::gcstring& description) {
        errorCode_ = code;
        errorDescription_ = description;
    }

  private:
    EGrabStatus status_ = _UndefinedGrabStatus;
    StreamBufferHandle handle_ = nullptr;
    void* buffer_ = nullptr;
    const void* context_ = nullptr;
    size_t payloadSize_ = 0;
    uint32_t errorCode_ = 0;
    GenICam::gcstring errorDescription_;
    uint64_t frameNumber_ = 0;
    uint64_t timeStamp_ = 0;
    int32_t sizeX_ = 0;
    int32_t sizeY_ = 0;
    uint64_t pixelType_ = 0;
};

// Something a caller can wait on; Wait gives true when it is signalled.
class WaitObject {
  public:
    static constexpr unsigned int Infinite = 0xFFFFFFFFu;
    virtual bool Wait(unsigned int timeoutMs) const = 0;

  protected:
    virtual ~WaitObject() = default;
};

}  // namespace Quill
