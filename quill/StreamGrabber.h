// Grabbing images from a device: the stream grabber and the chunk parser.
#pragma once

#include <cstddef>
#include <cstdint>

#include "quill/GenApi.h"
#include "quill/GrabTypes.h"

namespace Quill {

// One stream channel of a device. Sequence: Open, PrepareGrab (locks the
// image format), RegisterBuffer, QueueBuffer, AcquisitionStart on the device,
// RetrieveResult per filled buffer (FIFO), CancelGrab, DeregisterBuffer,
// FinishGrab, Close. Its node map holds MaxBufferSize and MaxNumBuffer.
class IStreamGrabber {
  public:
    virtual void Open() = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    virtual void PrepareGrab() = 0;
    virtual void FinishGrab() = 0;
    virtual StreamBufferHandle RegisterBuffer(void* buffer, size_t bufferSize) = 0;
    virtual const void* DeregisterBuffer(StreamBufferHandle handle) = 0;
    virtual void QueueBuffer(StreamBufferHandle handle, const void* context = nullptr) = 0;
    virtual void CancelGrab() = 0;
    virtual bool RetrieveResult(GrabResult& result) = 0;
    virtual WaitObject& GetWaitObject() const = 0;
    virtual GenApi::INodeMap* GetNodeMap() = 0;

  protected:
    virtual ~IStreamGrabber() = default;
};

// Reads the chunk trailer of a grabbed payload into its own node map
// (ChunkFramecounter, ChunkTimestamp); they are readable while a buffer with
// chunks is attached.
class IChunkParser {
  public:
    virtual void AttachBuffer(const void* buffer, int64_t bufferSize, void* statistics = nullptr) = 0;
    virtual void DetachBuffer() = 0;
    virtual GenApi::INodeMap* GetChunkNodeMap() = 0;

  protected:
    virtual ~IChunkParser() = default;
};

}  // namespace Quill
