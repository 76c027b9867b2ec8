// The process-wide set of emulated transport layers and cameras, and the
// threads the SDK runs for them. The world is made on first use and never
// destroyed, so no thread is ever joined from a static destructor or under
// the Windows loader lock.
//
// Lock order: the world's lock, then a camera's lock, then the thread list's
// lock. Removal callbacks run on notifier threads with no lock held.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "quill/emulation/EmulatedDevice.h"
#include "quill/emulation/ProfileParser.h"

namespace Quill {
namespace Emulation {

class EmulatedCamera;
class EmulatedTransportLayer;

class EmulationWorld {
  public:
    static EmulationWorld& Instance();

    // Profiles. A set that fails to parse leaves the world as it is.
    bool LoadProfileText(const std::string& text, std::string& error);
    void LoadDefaults();
    bool LoadFromEnvironment(std::string& error);
    std::string LastProfileError() const;

    std::vector<EmulatedTransportLayer*> ActiveTransports() const;
    std::vector<std::shared_ptr<EmulatedCamera>> PluggedCameras(const std::string& transportName) const;
    std::shared_ptr<EmulatedCamera> FindCamera(const std::string& serial) const;
    EmulatedTransportLayer* FindTransport(const std::string& name) const;
    std::vector<std::string> CameraSerials() const;

    // Removes a camera: it leaves enumeration and its device objects are lost.
    void UnplugCamera(const std::shared_ptr<EmulatedCamera>& camera);
    // Removal asked for by a frame producer, done on a thread of the world.
    void RequestUnplug(const std::shared_ptr<EmulatedCamera>& camera);
    bool ReplugCamera(const std::shared_ptr<EmulatedCamera>& camera);

    // Threads. Each tracked thread is joined by the world once it has ended.
    void StartThread(std::function<void()> body);
    void StartRemovalNotifier(std::shared_ptr<EmulatedDevice> device, std::vector<RemovalCallback> callbacks);
    // Joins every tracked thread but the caller's.
    void JoinAllThreads();
    void ThreadStarted() { ++liveThreads_; }
    void ThreadEnded() { --liveThreads_; }
    size_t LiveThreads() const { return liveThreads_; }
    void DeviceCreated() { ++liveDevices_; }
    void DeviceDestroyed() { --liveDevices_; }
    size_t LiveDevices() const { return liveDevices_; }

  private:
    struct TrackedThread {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> finished;
    };

    EmulationWorld();
    void Install(ProfileSet profiles);
    void ReapFinishedLocked();

    mutable std::mutex mutex_;
    std::vector<std::unique_ptr<EmulatedTransportLayer>> transports_;  // every layer ever made
    std::vector<EmulatedTransportLayer*> order_;                       // the active ones, in order
    std::vector<std::shared_ptr<EmulatedCamera>> cameras_;
    std::string lastError_;

    std::mutex threadsMutex_;
    std::list<TrackedThread> threads_;
    std::atomic<size_t> liveThreads_{0};
    std::atomic<size_t> liveDevices_{0};
};

}  // namespace Emulation
}  // namespace Quill
