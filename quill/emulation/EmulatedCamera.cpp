#include "quill/emulation/EmulatedCamera.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "quill/emulation/ChunkTrailer.h"

namespace Quill {
namespace Emulation {

EmulatedCamera::EmulatedCamera(CameraProfile profile) : profile_(std::move(profile)) {
    plugged = !profile_.unplugged;
    PowerUp();
}

void EmulatedCamera::PowerUp() {
    CameraState state;
    state.format =
        FindPixelFormat(profile_.pixelFormat.empty() ? profile_.pixelFormats.front() : profile_.pixelFormat);
    state.width = profile_.width != 0 ? profile_.width : profile_.maxWidth;
    state.height = profile_.height != 0 ? profile_.height : profile_.maxHeight;
    state.frameRateEnable = profile_.frameRateEnable;
    state.frameRate = profile_.frameRate;
    state.exposure = profile_.exposure;
    state.gain = profile_.gain;
    state.triggerMode = profile_.triggerMode == "On";
    state.triggerSource = profile_.triggerSource == "Software" ? kSoftware
                          : profile_.triggerSource == "Line2"  ? kLine2
                                                               : kLine1;
    state.chunkModeActive = profile_.chunkModeActive;
    state_ = state;
    failureBalance_ = 0.0;
}

size_t EmulatedCamera::ImageSize() const {
    return state_.format->RowBytes(state_.width) * size_t(state_.height);
}

size_t EmulatedCamera::PayloadSize() const {
    return ImageSize() + (state_.chunkModeActive ? ChunkTrailer::kSize : 0);
}

double EmulatedCamera::ResultingFrameRate() const {
    // The slowest of: the exposure, the sensor read-out (a time per row plus
    // a fixed overhead, so lower pictures are faster), the link and the
    // frame-rate limit when it is on.
    double rate = 1000000.0 / state_.exposure;
    const double readoutUs = profile_.rowTimeUs * double(state_.height) + profile_.readoutOverheadUs;
    if (readoutUs > 0) {
        rate = std::min(rate, 1000000.0 / readoutUs);
    }
    rate = std::min(rate, profile_.linkBandwidth / double(std::max<size_t>(1, PayloadSize())));
    if (state_.frameRateEnable) {
        rate = std::min(rate, state_.frameRate);
    }
    return rate;
}

double EmulatedCamera::Brightness() const {
    return state_.exposure / 10000.0 * (1.0 + double(state_.gain) / 250.0);
}

int64_t EmulatedCamera::ExposureRawMin() const {
    return std::max<int64_t>(1, int64_t(std::ceil(profile_.exposureMin / profile_.exposureTimeBase - 1e-9)));
}

int64_t EmulatedCamera::ExposureRawMax() const {
    return std::max(ExposureRawMin(),
                    int64_t(std::floor(profile_.exposureMax / profile_.exposureTimeBase + 1e-9)));
}

int64_t EmulatedCamera::ExposureRaw() const {
    const int64_t raw = int64_t(std::llround(state_.exposure / profile_.exposureTimeBase));
    return std::min(ExposureRawMax(), std::max(ExposureRawMin(), raw));
}

bool EmulatedCamera::NextGrabFails() {
    if (profile_.grabFailureRate <= 0) {
        return false;
    }
    failureBalance_ += profile_.grabFailureRate;
    if (failureBalance_ >= 1.0 - 1e-9) {
        failureBalance_ -= 1.0;
        return true;
    }
    return false;
}

void EmulatedCamera::AddDevice(const std::shared_ptr<EmulatedDevice>& device) {
    devices_.erase(std::remove_if(devices_.begin(), devices_.end(),
                                  [](const std::weak_ptr<EmulatedDevice>& entry) { return entry.expired(); }),
                   devices_.end());
    devices_.push_back(device);
}

std::vector<std::shared_ptr<EmulatedDevice>> EmulatedCamera::LiveDevices() {
    std::vector<std::shared_ptr<EmulatedDevice>> live;
    for (const auto& entry : devices_) {
        if (auto device = entry.lock()) {
            live.push_back(std::move(device));
        }
    }
    return live;
}

size_t EmulatedCamera::DeviceObjectCount() {
    size_t count = 0;
    for (const auto& entry : devices_) {
        count += entry.expired() ? 0 : 1;
    }
    return count;
}

}  // namespace Emulation
}  // namespace Quill
