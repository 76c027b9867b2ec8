#include "quill/emulation/EmulationControl.h"

#include <string>

#include "quill/emulation/EmulatedCamera.h"
#include "quill/emulation/EmulatedTransportLayer.h"
#include "quill/emulation/EmulationWorld.h"
#include "quill/emulation/ProfileParser.h"

namespace Quill {
namespace Emulation {

namespace {

bool Fail(GenICam::gcstring* errorMessage, const std::string& error) {
    if (errorMessage != nullptr) {
        *errorMessage = error;
    }
    return false;
}

std::string Text(const char* text) {
    return text != nullptr ? text : "";
}

}  // namespace

bool EmulationControl::LoadProfiles(const char* profileText, GenICam::gcstring* errorMessage) {
    std::string error;
    return world_.LoadProfileText(Text(profileText), error) || Fail(errorMessage, error);
}

void EmulationControl::LoadDefaultProfiles() {
    world_.LoadDefaults();
}

bool EmulationControl::ReloadFromEnvironment(GenICam::gcstring* errorMessage) {
    std::string error;
    return world_.LoadFromEnvironment(error) || Fail(errorMessage, error);
}

GenICam::gcstring EmulationControl::GetDefaultProfileText() const {
    return ProfileParser::DefaultProfileText();
}

GenICam::gcstring EmulationControl::GetLastProfileError() const {
    return world_.LastProfileError();
}

bool EmulationControl::Configure(const char* cameraSerial, const char* key, const char* value,
                                 GenICam::gcstring* errorMessage) {
    const std::string serial = Text(cameraSerial);
    const std::string name = Text(key);
    const std::string text = Text(value);
    const std::shared_ptr<EmulatedCamera> camera = world_.FindCamera(serial);
    if (!camera) {
        return Fail(errorMessage, "no emulated camera has serial number '" + serial + "'");
    }
    if (name == "serial" || name == "transport") {
        return Fail(errorMessage,
                    "'" + name + "' names the camera and cannot be changed; load a new profile instead");
    }
    std::string error;
    CameraProfile changed;
    {
        std::lock_guard<std::mutex> lock(camera->Mutex());
        changed = camera->Profile();
    }
    if (!changed.Apply(name, text, error) || !changed.Validate(error)) {
        return Fail(errorMessage, error);
    }
    // Plugging and unplugging act like the cable, not like a setting.
    if (name == "unplugged") {
        return changed.unplugged ? Unplug(cameraSerial, 0) : Replug(cameraSerial);
    }
    if (name == "unplug_after_frames") {
        std::lock_guard<std::mutex> lock(camera->Mutex());
        camera->unplugCountdown = changed.unplugAfterFrames;
        return true;
    }
    std::lock_guard<std::mutex> lock(camera->Mutex());
    if (CameraProfile::IsRuntimeKey(name)) {
        camera->MutableProfile() = changed;
        return true;
    }
    const size_t users = camera->DeviceObjectCount();
    if (users > 0) {
        return Fail(errorMessage, "camera '" + serial + "' has " + std::to_string(users) +
                                      " device object(s); '" + name +
                                      "' shapes its features and can change only while none exists");
    }
    camera->MutableProfile() = changed;
    camera->PowerUp();
    return true;
}

bool EmulationControl::ConfigureTransport(const char* transportName, const char* key, const char* value,
                                          GenICam::gcstring* errorMessage) {
    EmulatedTransportLayer* layer = world_.FindTransport(Text(transportName));
    if (layer == nullptr) {
        return Fail(errorMessage, "no emulated transport layer is named '" + Text(transportName) + "'");
    }
    if (Text(key) == "name") {
        return Fail(errorMessage, "'name' names the transport layer and cannot be changed");
    }
    TransportProfile changed = layer->Profile();
    std::string error;
    if (!changed.Apply(Text(key), Text(value), error) || !changed.Validate(error)) {
        return Fail(errorMessage, error);
    }
    layer->SetProfile(changed, true);
    return true;
}

bool EmulationControl::Unplug(const char* cameraSerial, unsigned int afterFrames) {
    const std::shared_ptr<EmulatedCamera> camera = world_.FindCamera(Text(cameraSerial));
    if (!camera) {
        return false;
    }
    if (afterFrames == 0) {
        world_.UnplugCamera(camera);
    } else {
        std::lock_guard<std::mutex> lock(camera->Mutex());
        camera->unplugCountdown = afterFrames;
    }
    return true;
}

bool EmulationControl::Replug(const char* cameraSerial) {
    const std::shared_ptr<EmulatedCamera> camera = world_.FindCamera(Text(cameraSerial));
    return camera && world_.ReplugCamera(camera);
}

GenICam::gcstring_vector EmulationControl::GetCameraSerials() const {
    GenICam::gcstring_vector serials;
    for (const std::string& serial : world_.CameraSerials()) {
        serials.push_back(serial);
    }
    return serials;
}

bool EmulationControl::GetCounters(const char* cameraSerial, CameraCounters& counters) const {
    const std::shared_ptr<EmulatedCamera> camera = world_.FindCamera(Text(cameraSerial));
    if (!camera) {
        return false;
    }
    std::lock_guard<std::mutex> lock(camera->Mutex());
    counters = camera->Counters();
    return true;
}

size_t EmulationControl::GetLiveDeviceCount() const {
    return world_.LiveDevices();
}

size_t EmulationControl::GetLiveThreadCount() const {
    return world_.LiveThreads();
}

}  // namespace Emulation
}  // namespace Quill
