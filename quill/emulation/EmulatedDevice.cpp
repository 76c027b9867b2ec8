#include "quill/emulation/EmulatedDevice.h"

#include <algorithm>
#include <chrono>

#include "quill/emulation/DeviceFeatures.h"
#include "quill/emulation/EmulatedCamera.h"
#include "quill/emulation/EmulatedChunkParser.h"
#include "quill/emulation/EmulatedStreamGrabber.h"
#include "quill/emulation/EmulationWorld.h"

namespace Quill {
namespace Emulation {

EmulatedDevice::EmulatedDevice(EmulationWorld& world, std::shared_ptr<EmulatedCamera> camera,
                               CDeviceInfo info)
    : world_(world),
      camera_(std::move(camera)),
      info_(std::move(info)),
      fullName_(info_.GetFullName().str()),
      producer_(*this) {
    // The features and the channel are fixed when the object is made, from
    // the camera's profile at that moment.
    int64_t channels = 0;
    {
        std::lock_guard<std::mutex> lock(camera_->Mutex());
        channels = camera_->Profile().streamChannels;
        features_ = DeviceFeatures::Build(*this, *camera_, fullName_);
    }
    if (channels > 0) {
        grabber_ = std::make_unique<EmulatedStreamGrabber>(*this);
    }
    world_.DeviceCreated();
}

EmulatedDevice::~EmulatedDevice() {
    {
        std::lock_guard<std::mutex> lifecycle(lifecycle_);
        CloseWithLifecycleHeld();
    }
    world_.DeviceDestroyed();
}

std::unique_lock<std::mutex> EmulatedDevice::EnterChecked() const {
    std::unique_lock<std::mutex> lock(camera_->Mutex());
    if (lost_) {
        QUILL_THROW(RuntimeException, "The device '" + fullName_ + "' has been removed");
    }
    return lock;
}

bool EmulatedDevice::ParametersLocked() const {
    return camera_->State().tlParamsLocked != 0;
}

void EmulatedDevice::NodeWritten() {
    camera_->ProducerWake().notify_all();
}

void EmulatedDevice::Open(const AccessModeSet& mode) {
    std::lock_guard<std::mutex> lifecycle(lifecycle_);
    {
        auto lock = EnterChecked();
        if (open_) {
            QUILL_THROW(LogicalErrorException, "Open: the device '" + fullName_ + "' is already open");
        }
        if (mode.none()) {
            QUILL_THROW(InvalidArgumentException, "Open: no access mode given");
        }
        if (camera_->Profile().openElsewhere) {
            QUILL_THROW(RuntimeException,
                        "Cannot open '" + fullName_ +
                            "': the camera is opened by another application (access denied)");
        }
        if (camera_->openedBy != nullptr) {
            QUILL_THROW(RuntimeException, "Cannot open '" + fullName_ +
                                              "': the camera is already open through another device object");
        }
        camera_->openedBy = this;
        open_ = true;
        CameraState& state = camera_->State();
        state.acquisitionActive = false;
        state.pendingTriggers = 0;
        state.tlParamsLocked = 0;
    }
    producer_.Start();
}

void EmulatedDevice::Close() {
    std::lock_guard<std::mutex> lifecycle(lifecycle_);
    EnterChecked();
    CloseWithLifecycleHeld();
}

void EmulatedDevice::CloseWithLifecycleHeld() {
    {
        std::lock_guard<std::mutex> lock(camera_->Mutex());
        if (!open_) {
            return;
        }
        producer_.RequestStopLocked();
    }
    producer_.Join();
    std::unique_lock<std::mutex> lock(camera_->Mutex());
    if (grabber_) {
        grabber_->CloseLocked(lock);
    }
    if (camera_->openedBy == this) {
        camera_->openedBy = nullptr;
        camera_->State().acquisitionActive = false;
        camera_->State().tlParamsLocked = 0;
    }
    open_ = false;
}

bool EmulatedDevice::IsOpen() const {
    auto lock = EnterChecked();
    return open_;
}

CDeviceInfo EmulatedDevice::GetDeviceInfo() const {
    auto lock = EnterChecked();
    return info_;
}

size_t EmulatedDevice::GetNumStreamGrabberChannels() const {
    auto lock = EnterChecked();
    return grabber_ ? 1 : 0;
}

IStreamGrabber* EmulatedDevice::GetStreamGrabber(size_t index) {
    auto lock = EnterChecked();
    if (!grabber_) {
        return nullptr;
    }
    if (index != 0) {
        QUILL_THROW(OutOfRangeException, "GetStreamGrabber: '" + fullName_ +
                                             "' has one stream channel, not " + std::to_string(index + 1));
    }
    return grabber_.get();
}

GenApi::INodeMap* EmulatedDevice::GetNodeMap() {
    auto lock = EnterChecked();
    if (!open_) {
        QUILL_THROW(LogicalErrorException, "GetNodeMap: the device '" + fullName_ + "' is not open");
    }
    return features_.get();
}

IChunkParser* EmulatedDevice::CreateChunkParser() {
    auto lock = EnterChecked();
    parsers_.push_back(std::make_unique<EmulatedChunkParser>(*this));
    return parsers_.back().get();
}

void EmulatedDevice::DestroyChunkParser(IChunkParser* parser) {
    auto lock = EnterChecked();
    const auto found = std::find_if(parsers_.begin(), parsers_.end(),
                                    [parser](const std::unique_ptr<EmulatedChunkParser>& entry) {
                                        return static_cast<IChunkParser*>(entry.get()) == parser;
                                    });
    if (found == parsers_.end()) {
        QUILL_THROW(InvalidArgumentException, "DestroyChunkParser: the parser was not made by this device");
    }
    parsers_.erase(found);
}

DeviceCallbackHandle EmulatedDevice::RegisterRemovalCallback(
    const Base_Callback1Body<IQuillDevice*>& callback) {
    auto lock = EnterChecked();
    const uintptr_t id = nextCallbackId_++;
    callbacks_.emplace_back(id, RemovalCallback(callback.clone()));
    return reinterpret_cast<DeviceCallbackHandle>(id);
}

bool EmulatedDevice::DeregisterRemovalCallback(DeviceCallbackHandle handle) {
    auto lock = EnterChecked();
    const uintptr_t id = reinterpret_cast<uintptr_t>(handle);
    const auto found =
        std::find_if(callbacks_.begin(), callbacks_.end(),
                     [id](const std::pair<uintptr_t, RemovalCallback>& entry) { return entry.first == id; });
    if (found == callbacks_.end()) {
        return false;
    }
    // The notifier holds its own reference, so a body in use is not freed under it.
    callbacks_.erase(found);
    return true;
}

void EmulatedDevice::Lose() {
    std::vector<RemovalCallback> callbacks;
    {
        std::unique_lock<std::mutex> lock(camera_->Mutex());
        if (lost_) {
            return;
        }
        producer_.RequestStopLocked();
        // A buffer being filled is finished before any call may report the loss,
        // so a caller that then frees its buffers cannot race the producer.
        if (grabber_) {
            grabber_->WaitForFillLocked(lock);
        }
        lost_ = true;
        if (grabber_) {
            grabber_->WakeWaitersLocked();
        }
        if (camera_->openedBy == this) {
            camera_->openedBy = nullptr;
            camera_->State().acquisitionActive = false;
            camera_->State().tlParamsLocked = 0;
        }
        for (const auto& entry : callbacks_) {
            callbacks.push_back(entry.second);
        }
    }
    world_.StartRemovalNotifier(shared_from_this(), std::move(callbacks));
}

void EmulatedDevice::JoinProducer() {
    std::lock_guard<std::mutex> lifecycle(lifecycle_);
    producer_.Join();
}

}  // namespace Emulation
}  // namespace Quill
