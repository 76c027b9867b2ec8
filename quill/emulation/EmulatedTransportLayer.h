// An emulated transport layer: lists the plugged cameras of the world that
// belong to it and makes device objects for them. Layer objects live as long
// as the process, so a pointer handed out by CreateTl never dangles, even
// when profiles are reloaded.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "quill/TransportLayer.h"
#include "quill/emulation/CameraProfile.h"

namespace Quill {
namespace Emulation {

class EmulatedDevice;
class EmulationWorld;

class EmulatedTransportLayer : public ITransportLayer {
  public:
    EmulatedTransportLayer(EmulationWorld& world, TransportProfile profile);

    CTlInfo GetTlInfo() const override;
    int EnumerateDevices(DeviceInfoList& list, bool addToList = false) override;
    IQuillDevice* CreateDevice(const CDeviceInfo& info) override;
    void DestroyDevice(IQuillDevice* device) override;

    // Set by the world when profiles are loaded or configured.
    void SetProfile(const TransportProfile& profile, bool active);
    TransportProfile Profile() const;
    bool Active() const;

  private:
    CDeviceInfo DescribeCamera(const CameraProfile& camera, const TransportProfile& transport) const;

    EmulationWorld& world_;
    mutable std::mutex mutex_;
    TransportProfile profile_;
    bool active_ = true;
    std::vector<std::shared_ptr<EmulatedDevice>> devices_;
};

}  // namespace Emulation
}  // namespace Quill
