#include "quill/emulation/EmulationWorld.h"

#include <algorithm>
#include <cstdlib>

#include "quill/emulation/EmulatedCamera.h"
#include "quill/emulation/EmulatedTransportLayer.h"

namespace Quill {
namespace Emulation {

EmulationWorld& EmulationWorld::Instance() {
    // Deliberately never destroyed: see the header.
    static EmulationWorld* world = new EmulationWorld();
    return *world;
}

EmulationWorld::EmulationWorld() {
    std::string error;
    if (!LoadFromEnvironment(error)) {
        // A profile that cannot be used leaves the world empty rather than
        // quietly replacing the user's cameras with the defaults.
        Install(ProfileSet());
        lastError_ = error;
    }
}

bool EmulationWorld::LoadProfileText(const std::string& text, std::string& error) {
    ProfileSet profiles;
    if (!ProfileParser::Parse(text, profiles, error)) {
        std::lock_guard<std::mutex> lock(mutex_);
        lastError_ = error;
        return false;
    }
    Install(std::move(profiles));
    return true;
}

void EmulationWorld::LoadDefaults() {
    std::string error;
    LoadProfileText(ProfileParser::DefaultProfileText(), error);
}

bool EmulationWorld::LoadFromEnvironment(std::string& error) {
    const char* path = std::getenv("QUILL_EMULATION_PROFILE");
    if (path == nullptr || *path == '\0') {
        LoadDefaults();
        return true;
    }
    ProfileSet profiles;
    if (!ProfileParser::ParseFile(path, profiles, error)) {
        std::lock_guard<std::mutex> lock(mutex_);
        lastError_ = error;
        return false;
    }
    Install(std::move(profiles));
    return true;
}

std::string EmulationWorld::LastProfileError() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lastError_;
}

void EmulationWorld::Install(ProfileSet profiles) {
    // The old cameras go away as if unplugged, and every thread they had is
    // joined, before the new ones appear.
    std::vector<std::shared_ptr<EmulatedCamera>> old;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        old = cameras_;
    }
    for (const auto& camera : old) {
        UnplugCamera(camera);
    }
    JoinAllThreads();

    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& transport : transports_) {
        transport->SetProfile(transport->Profile(), false);
    }
    order_.clear();
    for (const TransportProfile& profile : profiles.transports) {
        EmulatedTransportLayer* layer = nullptr;
        for (const auto& transport : transports_) {
            if (transport->Profile().name == profile.name) {
                layer = transport.get();
            }
        }
        if (layer == nullptr) {
            transports_.push_back(std::make_unique<EmulatedTransportLayer>(*this, profile));
            layer = transports_.back().get();
        }
        layer->SetProfile(profile, true);
        order_.push_back(layer);
    }
    cameras_.clear();
    for (CameraProfile& profile : profiles.cameras) {
        cameras_.push_back(std::make_shared<EmulatedCamera>(std::move(profile)));
    }
    lastError_.clear();
}

std::vector<EmulatedTransportLayer*> EmulationWorld::ActiveTransports() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return order_;
}

EmulatedTransportLayer* EmulationWorld::FindTransport(const std::string& name) const {
    std::lock_guard<std::mutex> lock(mutex_);
    for (EmulatedTransportLayer* layer : order_) {
        if (layer->Profile().name == name) {
            return layer;
        }
    }
    return nullptr;
}

std::vector<std::shared_ptr<EmulatedCamera>> EmulationWorld::PluggedCameras(
    const std::string& transportName) const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::shared_ptr<EmulatedCamera>> plugged;
    for (const auto& camera : cameras_) {
        std::lock_guard<std::mutex> cameraLock(camera->Mutex());
        if (camera->plugged && camera->Profile().transport == transportName) {
            plugged.push_back(camera);
        }
    }
    return plugged;
}

std::shared_ptr<EmulatedCamera> EmulationWorld::FindCamera(const std::string& serial) const {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& camera : cameras_) {
        // The serial number never changes, so it is read without the camera's lock.
        if (camera->Profile().serial == serial) {
            return camera;
        }
    }
    return nullptr;
}

std::vector<std::string> EmulationWorld::CameraSerials() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> serials;
    for (const auto& camera : cameras_) {
        serials.push_back(camera->Profile().serial);
    }
    return serials;
}

void EmulationWorld::UnplugCamera(const std::shared_ptr<EmulatedCamera>& camera) {
    std::vector<std::shared_ptr<EmulatedDevice>> devices;
    {
        std::lock_guard<std::mutex> lock(camera->Mutex());
        camera->plugged = false;
        camera->unplugCountdown = 0;
        devices = camera->LiveDevices();
    }
    for (const auto& device : devices) {
        device->Lose();
    }
}

void EmulationWorld::RequestUnplug(const std::shared_ptr<EmulatedCamera>& camera) {
    StartThread([this, camera] { UnplugCamera(camera); });
}

bool EmulationWorld::ReplugCamera(const std::shared_ptr<EmulatedCamera>& camera) {
    std::lock_guard<std::mutex> lock(camera->Mutex());
    if (camera->plugged) {
        return true;
    }
    // A camera plugged in again starts from its profile's settings.
    camera->plugged = true;
    camera->unplugCountdown = 0;
    camera->openedBy = nullptr;
    camera->PowerUp();
    return true;
}

void EmulationWorld::ReapFinishedLocked() {
    for (auto entry = threads_.begin(); entry != threads_.end();) {
        if (entry->finished->load()) {
            entry->thread.join();
            entry = threads_.erase(entry);
        } else {
            ++entry;
        }
    }
}

void EmulationWorld::StartThread(std::function<void()> body) {
    auto finished = std::make_shared<std::atomic<bool>>(false);
    ThreadStarted();
    std::thread thread;
    try {
        thread = std::thread([this, body = std::move(body), finished]() mutable {
            try {
                body();
            } catch (...) {
                // An exception of a callback must not end the process from an SDK thread.
            }
            // What the task holds (a device, callback bodies) goes before the thread counts as ended.
            body = nullptr;
            ThreadEnded();
            finished->store(true);
        });
    } catch (...) {
        ThreadEnded();
        throw;
    }
    std::lock_guard<std::mutex> lock(threadsMutex_);
    ReapFinishedLocked();
    threads_.push_back(TrackedThread{std::move(thread), finished});
}

void EmulationWorld::StartRemovalNotifier(std::shared_ptr<EmulatedDevice> device,
                                          std::vector<RemovalCallback> callbacks) {
    StartThread([device = std::move(device), callbacks = std::move(callbacks)]() mutable {
        device->JoinProducer();
        for (const RemovalCallback& callback : callbacks) {
            try {
                (*callback)(device.get());
            } catch (...) {
                // One failing client does not keep the others from the news.
            }
        }
        // The last reference may go here, which destroys the device on this thread.
        device.reset();
    });
}

void EmulationWorld::JoinAllThreads() {
    const std::thread::id self = std::this_thread::get_id();
    for (;;) {
        std::list<TrackedThread> joining;
        {
            std::lock_guard<std::mutex> lock(threadsMutex_);
            for (auto entry = threads_.begin(); entry != threads_.end();) {
                if (entry->thread.get_id() != self) {
                    auto next = std::next(entry);
                    joining.splice(joining.end(), threads_, entry);
                    entry = next;
                } else {
                    ++entry;
                }
            }
        }
        if (joining.empty()) {
            return;
        }
        for (TrackedThread& entry : joining) {
            entry.thread.join();
        }
    }
}

}  // namespace Emulation
}  // namespace Quill
