// One emulated camera of the world: its profile, the state of its features,
// which survives from one device object to the next as a real camera's
// does, its counters, and the device objects made for it.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "quill/EmulationControl.h"
#include "quill/emulation/CameraProfile.h"
#include "quill/emulation/PixelFormatTable.h"

namespace Quill {
namespace Emulation {

class EmulatedDevice;

enum AcquisitionModeValue : int64_t { kSingleFrame = 0, kMultiFrame = 1, kContinuous = 2 };
enum TriggerSourceValue : int64_t { kLine1 = 0, kLine2 = 1, kSoftware = 2 };

// The values behind a camera's features.
struct CameraState {
    const PixelFormatInfo* format = nullptr;
    int64_t width = 0;
    int64_t height = 0;
    int64_t acquisitionMode = kContinuous;
    int64_t acquisitionFrameCount = 1;
    bool frameRateEnable = false;
    double frameRate = 0.0;
    double exposure = 0.0;  // microseconds, as written
    int64_t gain = 0;
    bool triggerMode = false;
    int64_t triggerSource = kLine1;
    bool chunkModeActive = false;
    int64_t tlParamsLocked = 0;

    bool acquisitionActive = false;
    int64_t framesLeft = 0;  // in SingleFrame and MultiFrame mode
    uint64_t pendingTriggers = 0;
};

class EmulatedCamera {
  public:
    explicit EmulatedCamera(CameraProfile profile);
    EmulatedCamera(const EmulatedCamera&) = delete;
    EmulatedCamera& operator=(const EmulatedCamera&) = delete;

    // Guards everything below and the state of every device object of this
    // camera, including its stream grabber and chunk parsers.
    std::mutex& Mutex() const { return mutex_; }
    // Woken on every change a frame producer must see.
    std::condition_variable& ProducerWake() { return producerWake_; }

    const CameraProfile& Profile() const { return profile_; }
    CameraProfile& MutableProfile() { return profile_; }
    CameraState& State() { return state_; }
    const CameraState& State() const { return state_; }
    // Puts every feature back to the profile's values, as after power-up.
    void PowerUp();

    size_t ImageSize() const;
    size_t PayloadSize() const;
    double ResultingFrameRate() const;
    double Brightness() const;
    int64_t ExposureRawMin() const;
    int64_t ExposureRawMax() const;
    int64_t ExposureRaw() const;

    // Decides whether the next grab fails, spreading failures evenly at grab_failure_rate.
    bool NextGrabFails();

    CameraCounters& Counters() { return counters_; }
    bool plugged = true;
    const EmulatedDevice* openedBy = nullptr;
    int64_t unplugCountdown = 0;  // frames still to complete before an unplug; 0: none pending

    void AddDevice(const std::shared_ptr<EmulatedDevice>& device);
    std::vector<std::shared_ptr<EmulatedDevice>> LiveDevices();
    size_t DeviceObjectCount();

  private:
    mutable std::mutex mutex_;
    std::condition_variable producerWake_;
    CameraProfile profile_;
    CameraState state_;
    CameraCounters counters_;
    double failureBalance_ = 0.0;
    std::vector<std::weak_ptr<EmulatedDevice>> devices_;
};

}  // namespace Emulation
}  // namespace Quill
