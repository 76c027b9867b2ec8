#include "quill/emulation/EmulatedTransportLayer.h"

#include <algorithm>

#include "quill/emulation/EmulatedCamera.h"
#include "quill/emulation/EmulatedDevice.h"
#include "quill/emulation/EmulationWorld.h"

namespace Quill {
namespace Emulation {

EmulatedTransportLayer::EmulatedTransportLayer(EmulationWorld& world, TransportProfile profile)
    : world_(world), profile_(std::move(profile)) {}

void EmulatedTransportLayer::SetProfile(const TransportProfile& profile, bool active) {
    std::lock_guard<std::mutex> lock(mutex_);
    profile_ = profile;
    active_ = active;
}

TransportProfile EmulatedTransportLayer::Profile() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return profile_;
}

bool EmulatedTransportLayer::Active() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return active_;
}

CTlInfo EmulatedTransportLayer::GetTlInfo() const {
    const TransportProfile profile = Profile();
    CTlInfo info;
    info.SetFullName(profile.name)
        .SetFriendlyName(profile.friendlyName.empty() ? profile.name : profile.friendlyName)
        .SetVendorName(profile.vendor)
        .SetModelName(profile.name)
        .SetDeviceClass(profile.deviceClass.empty() ? profile.name : profile.deviceClass)
        .SetTlName(profile.name);
    return info;
}

CDeviceInfo EmulatedTransportLayer::DescribeCamera(const CameraProfile& camera,
                                                   const TransportProfile& transport) const {
    CDeviceInfo info;
    info.SetFullName(camera.FullName())
        .SetFriendlyName(camera.FriendlyName())
        .SetSerialNumber(camera.serial)
        .SetModelName(camera.model)
        .SetVendorName(camera.vendor)
        .SetDeviceClass(transport.deviceClass.empty() ? transport.name : transport.deviceClass)
        .SetTlName(transport.name);
    return info;
}

int EmulatedTransportLayer::EnumerateDevices(DeviceInfoList& list, bool addToList) {
    const TransportProfile transport = Profile();
    if (!addToList) {
        list.clear();
    }
    if (transport.failEnumerate) {
        QUILL_THROW(RuntimeException, "EnumerateDevices: device discovery on transport layer '" +
                                          transport.name + "' failed (the driver reported an error)");
    }
    int found = 0;
    for (const auto& camera : world_.PluggedCameras(transport.name)) {
        std::lock_guard<std::mutex> lock(camera->Mutex());
        list.push_back(DescribeCamera(camera->Profile(), transport));
        ++found;
    }
    return found;
}

IQuillDevice* EmulatedTransportLayer::CreateDevice(const CDeviceInfo& info) {
    const TransportProfile transport = Profile();
    if (!info.GetTlName().empty() && info.GetTlName() != transport.name.c_str()) {
        return nullptr;
    }
    std::shared_ptr<EmulatedCamera> match;
    CDeviceInfo described;
    for (const auto& camera : world_.PluggedCameras(transport.name)) {
        std::lock_guard<std::mutex> lock(camera->Mutex());
        const CameraProfile& profile = camera->Profile();
        const bool byName = !info.GetFullName().empty() && info.GetFullName() == profile.FullName().c_str();
        const bool bySerial = info.GetFullName().empty() && info.GetSerialNumber() == profile.serial.c_str();
        if (byName || bySerial) {
            match = camera;
            described = DescribeCamera(profile, transport);
            break;
        }
    }
    if (!match) {
        return nullptr;
    }
    auto device = std::make_shared<EmulatedDevice>(world_, match, described);
    {
        std::lock_guard<std::mutex> lock(match->Mutex());
        match->AddDevice(device);
    }
    std::lock_guard<std::mutex> lock(mutex_);
    devices_.push_back(device);
    return device.get();
}

void EmulatedTransportLayer::DestroyDevice(IQuillDevice* device) {
    if (device == nullptr) {
        return;
    }
    std::shared_ptr<EmulatedDevice> destroyed;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto found = std::find_if(devices_.begin(), devices_.end(),
                                        [device](const std::shared_ptr<EmulatedDevice>& entry) {
                                            return static_cast<IQuillDevice*>(entry.get()) == device;
                                        });
        if (found == devices_.end()) {
            QUILL_THROW(InvalidArgumentException,
                        "DestroyDevice: the device was not created by transport layer '" + profile_.name +
                            "' or is already destroyed");
        }
        destroyed = std::move(*found);
        devices_.erase(found);
    }
    // The device closes itself as it goes; a removal notifier still running
    // keeps it alive until its callbacks have returned.
    destroyed.reset();
}

}  // namespace Emulation
}  // namespace Quill
