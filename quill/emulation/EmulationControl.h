// IEmulationControl over the emulation world.
#pragma once

#include "quill/EmulationControl.h"

namespace Quill {
namespace Emulation {

class EmulationWorld;

class EmulationControl : public IEmulationControl {
  public:
    explicit EmulationControl(EmulationWorld& world) : world_(world) {}

    bool LoadProfiles(const char* profileText, GenICam::gcstring* errorMessage = nullptr) override;
    void LoadDefaultProfiles() override;
    bool ReloadFromEnvironment(GenICam::gcstring* errorMessage = nullptr) override;
    GenICam::gcstring GetDefaultProfileText() const override;
    GenICam::gcstring GetLastProfileError() const override;
    bool Configure(const char* cameraSerial, const char* key, const char* value,
                   GenICam::gcstring* errorMessage = nullptr) override;
    bool ConfigureTransport(const char* transportName, const char* key, const char* value,
                            GenICam::gcstring* errorMessage = nullptr) override;
    bool Unplug(const char* cameraSerial, unsigned int afterFrames = 0) override;
    bool Replug(const char* cameraSerial) override;
    GenICam::gcstring_vector GetCameraSerials() const override;
    bool GetCounters(const char* cameraSerial, CameraCounters& counters) const override;
    size_t GetLiveDeviceCount() const override;
    size_t GetLiveThreadCount() const override;

  private:
    EmulationWorld& world_;
};

}  // namespace Emulation
}  // namespace Quill
