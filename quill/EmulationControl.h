// In-process control of the emulated cameras: which cameras exist, their
// settings and the faults they show. The keys are those of the profile file
// (quill/README.md).
#pragma once

#include <cstddef>
#include <cstdint>

#include "quill/GenICam.h"
#include "quill/QuillApi.h"

namespace Quill {
namespace Emulation {

struct CameraCounters {
    uint64_t framesProduced = 0;    // frames the sensor made while acquiring
    uint64_t framesDelivered = 0;   // frames completed into a buffer with status Grabbed
    uint64_t framesFailed = 0;      // frames completed with status Failed
    uint64_t framesDropped = 0;     // frames lost because no buffer was queued
    uint64_t triggersAccepted = 0;  // TriggerSoftware executions
    // Processor time of the threads that stand in for the sensor and its link
    // (rendering the pattern into buffers, waiting for deadlines): work a real
    // camera does in its own hardware, which a benchmark of the host's share
    // leaves out.
    double sensorCpuSeconds = 0.0;
};

class IEmulationControl {
  public:
    // Replaces every camera and transport layer with those of a profile text.
    // A bad profile changes nothing and gives false with the reason. Devices of
    // the old cameras are lost (their removal callbacks run) and every SDK
    // thread is joined before the new cameras appear, so call it from a thread
    // that holds no lock a removal callback needs.
    virtual bool LoadProfiles(const char* profileText, GenICam::gcstring* errorMessage = nullptr) = 0;
    virtual void LoadDefaultProfiles() = 0;
    // Loads the file named by QUILL_EMULATION_PROFILE, or the defaults when it is not set.
    virtual bool ReloadFromEnvironment(GenICam::gcstring* errorMessage = nullptr) = 0;
    // The text of the built-in profile.
    virtual GenICam::gcstring GetDefaultProfileText() const = 0;
    // The error of the last profile that failed to load (also one read at start-up).
    virtual GenICam::gcstring GetLastProfileError() const = 0;

    // Sets one [camera] key of a camera, named by serial number.
    virtual bool Configure(const char* cameraSerial, const char* key, const char* value,
                           GenICam::gcstring* errorMessage = nullptr) = 0;
    // Sets one [transport] key of a transport layer, named by its 'name'.
    virtual bool ConfigureTransport(const char* transportName, const char* key, const char* value,
                                    GenICam::gcstring* errorMessage = nullptr) = 0;

    // Removes the camera now (afterFrames 0) or once that many more frames
    // have been completed into buffers.
    virtual bool Unplug(const char* cameraSerial, unsigned int afterFrames = 0) = 0;
    // Brings an unplugged camera back, powered up afresh with its profile's settings.
    virtual bool Replug(const char* cameraSerial) = 0;

    virtual GenICam::gcstring_vector GetCameraSerials() const = 0;
    virtual bool GetCounters(const char* cameraSerial, CameraCounters& counters) const = 0;
    // Device objects created and not yet destroyed.
    virtual size_t GetLiveDeviceCount() const = 0;
    // Threads the SDK started (frame producers, removal notifiers) that have not ended.
    virtual size_t GetLiveThreadCount() const = 0;

  protected:
    virtual ~IEmulationControl() = default;
};

inline IEmulationControl& GetEmulationControl() {
    IEmulationControl* control = QuillEmulationControl();
    if (control == nullptr) {
        QUILL_THROW(RuntimeException, "The camera SDK QuillBase_MD_VC80.dll is not available");
    }
    return *control;
}

}  // namespace Emulation
}  // namespace Quill
