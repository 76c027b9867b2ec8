// The grab engine on the emulated cameras: starting and stopping, the
// geometry handed to the receivers, trigger mode and failures on the way.
#include <windows.h>

#include <thread>

#include "Camera/DeviceHandleTable.h"
#include "Camera/FeatureHelpers.h"
#include "GrabTestSupport.h"

namespace CameraTest {
namespace {

using Receiver = RecordingReceiver;

// Frames of one receiver all have this geometry and format, and their pattern
// numbers are whole frames counting upwards.
void ExpectCameraFrames(const std::vector<RecordedFrame>& frames, uint32_t width, int32_t height,
                        uint32_t stride, VideoFormatId format) {
    ASSERT_FALSE(frames.empty());
    uint32_t previous = 0;
    for (size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(width, frames[i].width);
        EXPECT_EQ(height, frames[i].height);
        EXPECT_EQ(stride, frames[i].stride);
        EXPECT_EQ(format, frames[i].format);
        EXPECT_TRUE(frames[i].numberValid) << "frame " << i;
        if (i > 0) {
            EXPECT_GT(frames[i].number, previous) << "frame " << i;
        }
        previous = frames[i].number;
    }
}

// --- Starting and stopping ---

TEST_F(GrabTest, TwoStartsShareOneThreadAndTenBuffersAndTheFirstStopEndsIt) {
    CKorvelCamera camera;
    Receiver receiver;
    ASSERT_EQ(S_OK, camera.RegisterSampleOutputCallback(&receiver));
    ASSERT_EQ(S_OK, camera.OpenCamera(1));
    EXPECT_FALSE(camera.IsGrabbing());

    const size_t threadsBefore = ProcessThreadCount();
    ASSERT_EQ(S_OK, camera.StartGrabbing());
    const size_t threadsAfterFirst = ProcessThreadCount();
    ASSERT_EQ(S_OK, camera.StartGrabbing());
    EXPECT_EQ(threadsBefore + 1, threadsAfterFirst);
    EXPECT_EQ(threadsAfterFirst, ProcessThreadCount());
    EXPECT_TRUE(camera.IsGrabbing());

    // Ten buffers are registered, the most the stream grabber takes: an eleventh is refused.
    Quill::IStreamGrabber* grabber = OpenDevice(camera)->GetStreamGrabber(0);
    std::vector<uint8_t> extra(1280 * 960);
    EXPECT_THROW(grabber->RegisterBuffer(extra.data(), extra.size()), GenICam::GenericException);

    ASSERT_EQ(S_OK, camera.StartAcquisition());
    ASSERT_TRUE(WaitForFrames(receiver, 20));
    camera.StopGrabbing();
    EXPECT_FALSE(camera.IsGrabbing());
    const size_t stopped = receiver.Count();
    EXPECT_EQ(S_OK, camera.StopAcquisition());
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(stopped, receiver.Count());
    ExpectCameraFrames(receiver.Frames(), 1280, 960, 1280, VideoFormat::Y800);

    // The second stop finds nothing to do.
    camera.StopGrabbing();
    EXPECT_FALSE(camera.IsGrabbing());
}

TEST_F(GrabTest, GrabbingStartsAgainAfterAStopAndEveryReceiverGetsEachFrame) {
    CKorvelCamera camera;
    Receiver first;
    Receiver second;
    ASSERT_EQ(S_OK, camera.RegisterSampleOutputCallback(&first));
    ASSERT_EQ(S_FALSE, camera.RegisterSampleOutputCallback(nullptr));
    ASSERT_EQ(S_OK, camera.RegisterSampleOutputCallback(&second));
    ASSERT_EQ(S_OK, camera.OpenCamera(0));
    ASSERT_EQ(S_OK, camera.StartAcquisition());
    for (int round = 0; round < 3; ++round) {
        ASSERT_EQ(S_OK, camera.StartGrabbing()) << "round " << round;
        ASSERT_TRUE(WaitForFrames(first, 5u * (round + 1)));
        camera.StopGrabbing();
    }
    EXPECT_EQ(first.Count(), second.Count());
    const std::vector<RecordedFrame> a = first.Frames();
    const std::vector<RecordedFrame> b = second.Frames();
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        EXPECT_EQ(a[i].number, b[i].number);
    }
    ExpectCameraFrames(a, 1920, 1200, 1920, VideoFormat::BYRG);
}

TEST_F(GrabTest, WithoutAnOpenCameraNothingStarts) {
    CKorvelCamera camera;
    Receiver receiver;
    camera.RegisterSampleOutputCallback(&receiver);
    EXPECT_EQ(E_UNEXPECTED, camera.StartGrabbing());
    EXPECT_FALSE(camera.IsGrabbing());
    camera.StopGrabbing();
    EXPECT_EQ(E_FAIL, camera.StartAcquisition());
    EXPECT_EQ(E_FAIL, camera.StopAcquisition());
    EXPECT_EQ(E_FAIL, camera.SetTriggerMode(1));
    camera.ExecuteSoftwareTrigger();

    // Closed again after grabbing: the same.
    ASSERT_EQ(S_OK, camera.OpenCamera(1));
    ASSERT_EQ(S_OK, camera.StartGrabbing());
    camera.StopGrabbing();
    ASSERT_EQ(S_OK, camera.CloseCamera(false));
    EXPECT_EQ(E_UNEXPECTED, camera.StartGrabbing());
    EXPECT_EQ(0u, receiver.Count());
}

// --- Geometry ---

class GrabGeometryTest : public GrabTest {
  protected:
    // A mono camera whose named features are missing or not implemented.
    void LoadMonoCamera(const std::string& extraLines) {
        LoadProfile(TransportBlock("QuillGigE") + CameraBlock("QuillGigE", kMonoSerial, extraLines));
    }
};

TEST_F(GrabGeometryTest, UnreadablePayloadSizeGivesFailAndNoThread) {
    for (const char* lines : {"missing_features = PayloadSize", "not_implemented_features = PayloadSize"}) {
        LoadMonoCamera(lines);
        CKorvelCamera camera;
        Receiver receiver;
        camera.RegisterSampleOutputCallback(&receiver);
        ASSERT_EQ(S_OK, camera.OpenCamera(0)) << lines;
        const size_t threads = ProcessThreadCount();
        EXPECT_EQ(E_FAIL, camera.StartGrabbing()) << lines;
        EXPECT_FALSE(camera.IsGrabbing());
        EXPECT_EQ(threads, ProcessThreadCount());
        camera.StopGrabbing();
    }
}

TEST_F(GrabGeometryTest, CameraWithoutPixelFormatWidthOrHeightNeverOpensSoNothingStarts) {
    // Such a camera offers no format, so it never reaches the grab engine.
    for (const char* lines : {"missing_features = PixelFormat", "missing_features = Width",
                              "missing_features = Height", "not_implemented_features = PixelFormat"}) {
        LoadMonoCamera(lines);
        CKorvelCamera camera;
        EXPECT_EQ(E_FAIL, camera.OpenCamera(0)) << lines;
        EXPECT_EQ(E_UNEXPECTED, camera.StartGrabbing()) << lines;
        EXPECT_FALSE(camera.IsGrabbing());
    }
}

TEST_F(GrabGeometryTest, StrideIsPayloadSizeOverHeightReadOnceEvenWithChunks) {
    LoadMonoCamera("width = 640\nheight = 480\nchunk_mode_active = true");
    CKorvelCamera camera;
    Receiver receiver;
    camera.RegisterSampleOutputCallback(&receiver);
    ASSERT_EQ(S_OK, camera.OpenCamera(0));
    ASSERT_EQ(S_OK, camera.StartGrabbing());
    int64_t payloadSize = 0;
    ASSERT_EQ(S_OK, GetIntegerFeature(OpenDeviceFeatures(camera), "PayloadSize", &payloadSize));
    // The chunks make the payload more than whole rows.
    ASSERT_NE(0, payloadSize % 480);
    ASSERT_EQ(S_OK, camera.StartAcquisition());
    ASSERT_TRUE(WaitForFrames(receiver, 10));
    camera.StopGrabbing();
    ExpectCameraFrames(receiver.Frames(), 640, 480, static_cast<uint32_t>(payloadSize / 480),
                       VideoFormat::Y800);
}

TEST_F(GrabGeometryTest, GeometryFollowsTheSizeSetBeforeTheStart) {
    CKorvelCamera camera;
    Receiver receiver;
    camera.RegisterSampleOutputCallback(&receiver);
    ASSERT_EQ(S_OK, camera.OpenCamera(1));
    ASSERT_EQ(S_OK, camera.SetCameraFormat(VideoFormat::Y800, 320, 240, 0.0));
    ASSERT_EQ(S_OK, camera.StartGrabbing());
    ASSERT_EQ(S_OK, camera.StartAcquisition());
    ASSERT_TRUE(WaitForFrames(receiver, 5));
    camera.StopGrabbing();
    ExpectCameraFrames(receiver.Frames(), 320, 240, 320, VideoFormat::Y800);
}

// --- Buffers ---

TEST_F(GrabTest, FailedStartGivesItsBuffersBackSoTheNextStartHasRoomForTen) {
    CKorvelCamera camera;
    Receiver receiver;
    camera.RegisterSampleOutputCallback(&receiver);
    ASSERT_EQ(S_OK, camera.OpenCamera(1));
    GenApi::INodeMap* features = OpenDeviceFeatures(camera);
    int64_t payloadSize = 0;
    ASSERT_EQ(S_OK, GetIntegerFeature(features, "PayloadSize", &payloadSize));

    // Someone else holds four of the ten places: the start registers six and fails.
    Quill::IStreamGrabber* grabber = OpenDevice(camera)->GetStreamGrabber(0);
    ASSERT_EQ(S_OK, SetIntegerFeature(grabber->GetNodeMap(), "MaxBufferSize", payloadSize));
    ASSERT_EQ(S_OK, SetIntegerFeature(grabber->GetNodeMap(), "MaxNumBuffer", 10));
    grabber->PrepareGrab();
    std::vector<std::vector<uint8_t>> foreign(4, std::vector<uint8_t>(static_cast<size_t>(payloadSize)));
    std::vector<Quill::StreamBufferHandle> handles;
    for (auto& memory : foreign) {
        handles.push_back(grabber->RegisterBuffer(memory.data(), memory.size()));
    }
    EXPECT_EQ(E_FAIL, camera.StartGrabbing());
    EXPECT_FALSE(camera.IsGrabbing());
    for (Quill::StreamBufferHandle handle : handles) {
        grabber->DeregisterBuffer(handle);
    }

    // Had the failed start kept its six, these ten would not fit.
    ASSERT_EQ(S_OK, camera.StartGrabbing());
    ASSERT_EQ(S_OK, camera.StartAcquisition());
    ASSERT_TRUE(WaitForFrames(receiver, 5));
    camera.StopGrabbing();
    // Every buffer went back: the image format is unlocked again.
    EXPECT_EQ(S_OK, camera.SetCameraFormat(VideoFormat::Y800, 640, 480, 0.0));
}

TEST_F(GrabTest, ThreadStuckInAReceiverPastTheWaitStillReadsItsBuffer) {
    CKorvelCamera camera;
    Receiver receiver;
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<int> entered{0};
    std::atomic<bool> numberAfterWait{false};
    std::atomic<bool> returned{false};
    receiver.hook = [&](const uint8_t* buffer, uint32_t stride, int32_t height) {
        if (entered.fetch_add(1) != 0) {
            return;
        }
        std::vector<uint8_t> before(buffer, buffer + static_cast<size_t>(stride) * height);
        WaitForSingleObject(release, 30000);
        // Long after StopGrabbing gave up and the camera closed, the buffer is intact.
        numberAfterWait = std::equal(before.begin(), before.end(), buffer);
        returned = true;
    };
    camera.RegisterSampleOutputCallback(&receiver);
    ASSERT_EQ(S_OK, camera.OpenCamera(1));
    ASSERT_EQ(S_OK, camera.StartGrabbing());
    ASSERT_EQ(S_OK, camera.StartAcquisition());
    ASSERT_TRUE(WaitUntil([&] { return entered.load() > 0; }));

    camera.StopGrabbing();  // gives up after its 10000 ms
    EXPECT_FALSE(camera.IsGrabbing());
    EXPECT_FALSE(returned.load());
    // The stream grabber is free again: grabbing restarts while the old thread is stuck.
    ASSERT_EQ(S_OK, camera.StartGrabbing());
    ASSERT_TRUE(WaitUntil([&] { return entered.load() > 3; }));
    camera.StopGrabbing();
    ASSERT_EQ(S_OK, camera.CloseCamera(false));

    SetEvent(release);
    ASSERT_TRUE(WaitUntil([&] { return returned.load(); }));
    EXPECT_TRUE(numberAfterWait.load());
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    CloseHandle(release);
}

// --- Trigger mode ---

TEST_F(GrabTest, SoftwareTriggerFiresOneFrameAndRestoresTheSource) {
    Configure(kMonoSerial, "trigger_mode", "On");
    Configure(kMonoSerial, "trigger_source", "Line2");
    CKorvelCamera camera;
    Receiver receiver;
    camera.RegisterSampleOutputCallback(&receiver);
    ASSERT_EQ(S_OK, camera.OpenCamera(1));
    GenApi::INodeMap* features = OpenDeviceFeatures(camera);
    // Before a start reads TriggerMode, a trigger does nothing.
    camera.ExecuteSoftwareTrigger();
    EXPECT_EQ(0u, Counters(kMonoSerial).triggersAccepted);

    ASSERT_EQ(S_OK, camera.StartGrabbing());
    ASSERT_EQ(S_OK, camera.StartAcquisition());
    for (size_t shot = 1; shot <= 3; ++shot) {
        camera.ExecuteSoftwareTrigger();
        EXPECT_EQ(shot, Counters(kMonoSerial).triggersAccepted);
        ASSERT_TRUE(WaitForFrames(receiver, shot));
        GenICam::gcstring source;
        ASSERT_EQ(S_OK, GetEnumerationString(features, "TriggerSource", &source));
        EXPECT_STREQ("Line2", source.c_str());
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(3u, receiver.Count());
    EXPECT_EQ(3u, Counters(kMonoSerial).framesDelivered);

    // Trigger mode off: the camera streams and a trigger does nothing.
    ASSERT_EQ(S_OK, camera.SetTriggerMode(0));
    GenICam::gcstring mode;
    ASSERT_EQ(S_OK, GetEnumerationString(features, "TriggerMode", &mode));
    EXPECT_STREQ("Off", mode.c_str());
    camera.ExecuteSoftwareTrigger();
    EXPECT_EQ(3u, Counters(kMonoSerial).triggersAccepted);
    ASSERT_TRUE(WaitForFrames(receiver, 10));
    camera.StopGrabbing();
    ExpectCameraFrames(receiver.Frames(), 1280, 960, 1280, VideoFormat::Y800);
}

TEST_F(GrabTest, SetTriggerModeSwitchesTheCameraAndSoftwareTriggers) {
    CKorvelCamera camera;
    ASSERT_EQ(S_OK, camera.OpenCamera(1));
    GenApi::INodeMap* features = OpenDeviceFeatures(camera);
    ASSERT_EQ(S_OK, camera.StartAcquisition());
    ASSERT_EQ(S_OK, camera.SetTriggerMode(1));
    GenICam::gcstring mode;
    ASSERT_EQ(S_OK, GetEnumerationString(features, "TriggerMode", &mode));
    EXPECT_STREQ("On", mode.c_str());
    camera.ExecuteSoftwareTrigger();
    EXPECT_EQ(1u, Counters(kMonoSerial).triggersAccepted);
    // Any mode but 1 means off.
    ASSERT_EQ(S_OK, camera.SetTriggerMode(2));
    ASSERT_EQ(S_OK, GetEnumerationString(features, "TriggerMode", &mode));
    EXPECT_STREQ("Off", mode.c_str());
    camera.ExecuteSoftwareTrigger();
    EXPECT_EQ(1u, Counters(kMonoSerial).triggersAccepted);
}

// --- Failures while grabbing ---

TEST_F(GrabTest, FailedGrabsAreSkippedAndGrabbingGoesOn) {
    Configure(kMonoSerial, "grab_failure_rate", "0.5");
    CKorvelCamera camera;
    Receiver receiver;
    camera.RegisterSampleOutputCallback(&receiver);
    ASSERT_EQ(S_OK, camera.OpenCamera(1));
    ASSERT_EQ(S_OK, camera.StartGrabbing());
    ASSERT_EQ(S_OK, camera.StartAcquisition());
    // More frames than there are buffers: failed ones went back to the grabber.
    ASSERT_TRUE(WaitForFrames(receiver, 25));
    camera.StopGrabbing();
    EXPECT_GE(Counters(kMonoSerial).framesFailed, 10u);
    ExpectCameraFrames(receiver.Frames(), 1280, 960, 1280, VideoFormat::Y800);
}

TEST_F(GrabTest, ReceiverThatThrowsDoesNotStarveTheNext) {
    CKorvelCamera camera;
    Receiver throwsGenICam(Receiver::Throw::GenICam);
    Receiver throwsOther(Receiver::Throw::Other);
    Receiver last;
    camera.RegisterSampleOutputCallback(&throwsGenICam);
    camera.RegisterSampleOutputCallback(&throwsOther);
    camera.RegisterSampleOutputCallback(&last);
    ASSERT_EQ(S_OK, camera.OpenCamera(1));
    ASSERT_EQ(S_OK, camera.StartGrabbing());
    ASSERT_EQ(S_OK, camera.StartAcquisition());
    ASSERT_TRUE(WaitForFrames(last, 20));
    camera.StopGrabbing();
    EXPECT_EQ(last.Count(), throwsGenICam.Count());
    EXPECT_EQ(last.Count(), throwsOther.Count());
    ExpectCameraFrames(last.Frames(), 1280, 960, 1280, VideoFormat::Y800);
}

}  // namespace
}  // namespace CameraTest
