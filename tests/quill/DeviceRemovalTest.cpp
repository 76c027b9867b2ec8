// A camera that goes away: the removal callback, the lost device, replugging.
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "QuillTestSupport.h"

namespace QuillTest {
namespace {

using namespace Quill;

// A client of the removal callback, as the filter's camera object is one.
class RemovalRecorder {
  public:
    void OnRemoved(IQuillDevice* device) {
        std::lock_guard<std::mutex> lock(mutex_);
        device_ = device;
        thread_ = std::this_thread::get_id();
        ++calls_;
    }
    bool WaitForCall() {
        return WaitUntil([this] {
            std::lock_guard<std::mutex> lock(mutex_);
            return calls_ > 0;
        });
    }
    int Calls() {
        std::lock_guard<std::mutex> lock(mutex_);
        return calls_;
    }
    IQuillDevice* Device() {
        std::lock_guard<std::mutex> lock(mutex_);
        return device_;
    }
    std::thread::id Thread() {
        std::lock_guard<std::mutex> lock(mutex_);
        return thread_;
    }

  private:
    std::mutex mutex_;
    IQuillDevice* device_ = nullptr;
    std::thread::id thread_;
    int calls_ = 0;
};

DeviceCallbackHandle Register(Device& device, RemovalRecorder& recorder) {
    // The SDK keeps a copy; this one goes out of scope at once.
    auto body = make_MemberFunctionCallback(&recorder, &RemovalRecorder::OnRemoved);
    return device->RegisterRemovalCallback(body);
}

bool InList(const char* serial) {
    for (const ListedCamera& camera : ListCameras()) {
        if (camera.info.GetSerialNumber() == serial) {
            return true;
        }
    }
    return false;
}

class DeviceRemovalTest : public QuillTest {};

TEST_F(DeviceRemovalTest, UnplugCallsBackOnAnSdkThreadAndLosesTheDevice) {
    Device device(kColourSerial);
    RemovalRecorder recorder;
    ASSERT_NE(nullptr, Register(device, recorder));
    GenApi::CIntegerPtr width = device.Integer("Width");
    IStreamGrabber* grabber = device->GetStreamGrabber(0);
    IChunkParser* parser = device->CreateChunkParser();
    GenApi::INodeMap* grabberMap = grabber->GetNodeMap();

    ASSERT_TRUE(Emulator().Unplug(kColourSerial));
    ASSERT_TRUE(recorder.WaitForCall());
    EXPECT_EQ(device.get(), recorder.Device());
    EXPECT_NE(std::this_thread::get_id(), recorder.Thread());
    EXPECT_EQ(1, recorder.Calls());

    EXPECT_THROW(device->IsOpen(), GenICam::RuntimeException);
    EXPECT_THROW(device->GetNodeMap(), GenICam::RuntimeException);
    EXPECT_THROW(device->Close(), GenICam::RuntimeException);
    EXPECT_THROW(device->GetStreamGrabber(0), GenICam::RuntimeException);
    EXPECT_THROW(device->GetDeviceInfo(), GenICam::RuntimeException);
    EXPECT_THROW(width->GetValue(), GenICam::RuntimeException);
    EXPECT_THROW(width->GetAccessMode(), GenICam::RuntimeException);
    EXPECT_THROW(grabber->Open(), GenICam::RuntimeException);
    EXPECT_THROW(grabberMap->GetNode("MaxNumBuffer"), GenICam::RuntimeException);
    EXPECT_THROW(parser->GetChunkNodeMap(), GenICam::RuntimeException);
    EXPECT_THROW(device->DeregisterRemovalCallback(nullptr), GenICam::RuntimeException);
    try {
        device->IsOpen();
    } catch (const GenICam::RuntimeException& error) {
        EXPECT_NE(std::string::npos, std::string(error.GetDescription()).find("removed"));
    }
    EXPECT_FALSE(InList(kColourSerial));
    EXPECT_TRUE(InList(kMonoSerial));
    device.Destroy();
    EXPECT_EQ(1, recorder.Calls());
}

TEST_F(DeviceRemovalTest, UnplugAfterFramesEndsAGrabCleanly) {
    Device device(kMonoSerial);
    device.UseSize(160, 120);
    RemovalRecorder recorder;
    Register(device, recorder);
    GrabSession session(device, 3);
    ASSERT_TRUE(Emulator().Unplug(kMonoSerial, 5));
    session.Start();
    int grabbed = 0;
    bool lost = false;
    while (!lost) {
        try {
            GrabResult result;
            if (session.Next(result, 2000)) {
                EXPECT_EQ(Grabbed, result.Status());
                ++grabbed;
                session.Requeue(result);
            }
        } catch (const GenICam::RuntimeException&) {
            lost = true;
        }
        ASSERT_LE(grabbed, 5);
    }
    // The last frames may be lost with the device before they are retrieved,
    // but the camera completed exactly five and then went away.
    Quill::Emulation::CameraCounters counters;
    ASSERT_TRUE(Emulator().GetCounters(kMonoSerial, counters));
    EXPECT_EQ(5u, counters.framesDelivered + counters.framesFailed);
    ASSERT_TRUE(recorder.WaitForCall());
    EXPECT_EQ(device.get(), recorder.Device());
    EXPECT_NE(std::this_thread::get_id(), recorder.Thread());
}

TEST_F(DeviceRemovalTest, DeregisteredCallbacksStayQuiet) {
    Device device(kColourSerial);
    RemovalRecorder kept;
    RemovalRecorder dropped;
    Register(device, kept);
    DeviceCallbackHandle handle = Register(device, dropped);
    EXPECT_TRUE(device->DeregisterRemovalCallback(handle));
    EXPECT_FALSE(device->DeregisterRemovalCallback(handle));
    Emulator().Unplug(kColourSerial);
    ASSERT_TRUE(kept.WaitForCall());
    device.Destroy();
    Emulator().LoadDefaultProfiles();
    EXPECT_EQ(0, dropped.Calls());
}

TEST_F(DeviceRemovalTest, WaitingThreadLearnsOfTheRemoval) {
    Device device(kMonoSerial);
    GrabSession session(device, 2);
    std::atomic<bool> threw{false};
    std::thread waiter([&] {
        try {
            session.Grabber().GetWaitObject().Wait(WaitObject::Infinite);
        } catch (const GenICam::RuntimeException&) {
            threw = true;
        }
    });
    Emulator().Unplug(kMonoSerial);
    waiter.join();
    EXPECT_TRUE(threw);
}

class DestroyingClient {
  public:
    explicit DestroyingClient(ITransportLayer* layer) : layer_(layer) {}
    void OnRemoved(IQuillDevice* device) {
        layer_->DestroyDevice(device);
        done_ = true;
    }
    std::atomic<bool> done_{false};

  private:
    ITransportLayer* layer_;
};

TEST_F(DeviceRemovalTest, CallbackMayDestroyTheLostDevice) {
    const std::vector<ListedCamera> cameras = ListCameras();
    ITransportLayer* layer = cameras[0].layer;
    IQuillDevice* device = layer->CreateDevice(cameras[0].info);
    device->Open();
    DestroyingClient client(layer);
    device->RegisterRemovalCallback(make_MemberFunctionCallback(client, &DestroyingClient::OnRemoved));
    Emulator().Unplug(kColourSerial);
    ASSERT_TRUE(WaitUntil([&] { return client.done_.load(); }));
    ASSERT_TRUE(WaitUntil([] { return Emulator().GetLiveDeviceCount() == 0; }));
}

TEST_F(DeviceRemovalTest, ReplugBringsTheCameraBackAsNew) {
    Device old(kColourSerial);
    old.Integer("Width")->SetValue(640);
    const int64_t defaultWidth = old.Integer("Width")->GetMax();
    Emulator().Unplug(kColourSerial);
    EXPECT_FALSE(InList(kColourSerial));
    ASSERT_TRUE(Emulator().Replug(kColourSerial));
    EXPECT_TRUE(InList(kColourSerial));
    EXPECT_THROW(old->IsOpen(), GenICam::RuntimeException);

    Device fresh(kColourSerial);
    EXPECT_EQ(kColourName, fresh->GetDeviceInfo().GetFullName());
    EXPECT_EQ(defaultWidth, fresh.Integer("Width")->GetValue());
    EXPECT_FALSE(Emulator().Replug("NOSUCH"));
}

}  // namespace
}  // namespace QuillTest
