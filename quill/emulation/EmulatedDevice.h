// A device object of an emulated camera, as ITransportLayer::CreateDevice
// hands it out. Several may exist for one camera; one at a time can be open.
// Once the camera is removed the object is "lost": every call throws
// RuntimeException and only DestroyDevice remains.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "quill/QuillDevice.h"
#include "quill/emulation/FrameProducer.h"
#include "quill/genapi/NodeHost.h"
#include "quill/genapi/NodeMap.h"

namespace Quill {
namespace Emulation {

class EmulatedCamera;
class EmulatedChunkParser;
class EmulatedStreamGrabber;
class EmulationWorld;

typedef std::shared_ptr<Base_Callback1Body<IQuillDevice*>> RemovalCallback;

class EmulatedDevice : public IQuillDevice,
                       public std::enable_shared_from_this<EmulatedDevice>,
                       private Nodes::NodeHost {
  public:
    EmulatedDevice(EmulationWorld& world, std::shared_ptr<EmulatedCamera> camera, CDeviceInfo info);
    ~EmulatedDevice() override;
    EmulatedDevice(const EmulatedDevice&) = delete;
    EmulatedDevice& operator=(const EmulatedDevice&) = delete;

    void Open(const AccessModeSet& mode = Stream + Control + Event) override;
    void Close() override;
    bool IsOpen() const override;
    CDeviceInfo GetDeviceInfo() const override;
    size_t GetNumStreamGrabberChannels() const override;
    IStreamGrabber* GetStreamGrabber(size_t index) override;
    GenApi::INodeMap* GetNodeMap() override;
    IChunkParser* CreateChunkParser() override;
    void DestroyChunkParser(IChunkParser* parser) override;
    DeviceCallbackHandle RegisterRemovalCallback(const Base_Callback1Body<IQuillDevice*>& callback) override;
    bool DeregisterRemovalCallback(DeviceCallbackHandle handle) override;

    // For the SDK's own parts.
    const std::string& FullName() const { return fullName_; }
    EmulationWorld& World() const { return world_; }
    EmulatedCamera& Camera() const { return *camera_; }
    const std::shared_ptr<EmulatedCamera>& CameraPointer() const { return camera_; }
    EmulatedStreamGrabber* Grabber() const { return grabber_.get(); }
    // Locks the camera; throws RuntimeException when this device is lost.
    std::unique_lock<std::mutex> EnterChecked() const;
    bool LostLocked() const { return lost_; }
    bool OpenLocked() const { return open_; }

    // Marks the device lost and starts its removal notification. No lock held.
    void Lose();
    // Joins the frame producer; used by the removal notifier. No lock held.
    void JoinProducer();

  private:
    std::unique_lock<std::mutex> Enter() const override { return EnterChecked(); }
    bool NodesReachable() const override { return open_; }
    bool ParametersLocked() const override;
    void NodeWritten() override;

    // Stops the producer and releases the camera; the lifecycle lock is held.
    void CloseWithLifecycleHeld();

    EmulationWorld& world_;
    std::shared_ptr<EmulatedCamera> camera_;
    CDeviceInfo info_;
    std::string fullName_;
    // Serialises Open, Close, destruction and the join of the producer thread.
    std::mutex lifecycle_;
    bool open_ = false;  // the fields from here on are guarded by the camera's lock
    bool lost_ = false;
    std::unique_ptr<Nodes::NodeMap> features_;
    std::unique_ptr<EmulatedStreamGrabber> grabber_;
    std::vector<std::unique_ptr<EmulatedChunkParser>> parsers_;
    std::vector<std::pair<uintptr_t, RemovalCallback>> callbacks_;
    uintptr_t nextCallbackId_ = 1;
    FrameProducer producer_;
};

}  // namespace Emulation
}  // namespace Quill
