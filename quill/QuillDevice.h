// A camera as the SDK hands it out.
#pragma once

#include <cstddef>

#include "quill/DeviceCallback.h"
#include "quill/DeviceInfo.h"
#include "quill/GenApi.h"
#include "quill/GrabTypes.h"
#include "quill/StreamGrabber.h"

namespace Quill {

// Created and destroyed through its transport layer. Once the camera is
// unplugged every call throws RuntimeException; the transport layer can still
// destroy it.
class IQuillDevice {
  public:
    virtual void Open(const AccessModeSet& mode = Stream + Control + Event) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    virtual CDeviceInfo GetDeviceInfo() const = 0;
    virtual size_t GetNumStreamGrabberChannels() const = 0;
    // Null when the device has no stream channel; usable before Open.
    virtual IStreamGrabber* GetStreamGrabber(size_t index) = 0;
    // The device's features; the device must be open.
    virtual GenApi::INodeMap* GetNodeMap() = 0;
    // Owned by the device: freed by DestroyChunkParser or with the device.
    virtual IChunkParser* CreateChunkParser() = 0;
    virtual void DestroyChunkParser(IChunkParser* parser) = 0;
    // The SDK keeps a clone of the body and calls it on a thread of its own
    // with this device when the camera is removed.
    virtual DeviceCallbackHandle RegisterRemovalCallback(
        const Base_Callback1Body<IQuillDevice*>& callback) = 0;
    virtual bool DeregisterRemovalCallback(DeviceCallbackHandle handle) = 0;

  protected:
    virtual ~IQuillDevice() = default;
};

}  // namespace Quill
