// Grabbing: buffers, results, the test pattern in every pixel format, chunk
// data and triggering.
#include <atomic>
#include <numeric>
#include <set>
#include <thread>

#include "QuillTestSupport.h"

namespace QuillTest {
namespace {

using namespace Quill;
using namespace GenApi;

class GrabTest : public QuillTest {};

TEST_F(GrabTest, EveryPixelFormatDeliversNumberedFrames) {
    const struct {
        const char* serial;
        const char* format;
    } cases[] = {{kColourSerial, "Mono8"},
                 {kColourSerial, "BayerRG8"},
                 {kColourSerial, "BayerBG8"},
                 {kColourSerial, "YUV422Packed"},
                 {kColourSerial, "YUV422_YUYV_Packed"},
                 {kColourSerial, "BGR8Packed"},
                 {kColourSerial, "BGRA8Packed"},
                 {kColourSerial, "YUV411Packed"},
                 {kColourSerial, "Mono12"},
                 {kMonoSerial, "Mono8"},
                 {kMonoSerial, "Mono12"}};
    for (const auto& entry : cases) {
        SCOPED_TRACE(std::string(entry.serial) + " " + entry.format);
        Device device(entry.serial);
        device.UseSize(320, 240, entry.format);
        const int64_t payload = device.Integer("PayloadSize")->GetValue();
        GrabSession session(device);
        session.Start();
        uint64_t previous = 0;
        for (int frame = 0; frame < 12; ++frame) {
            GrabResult result;
            ASSERT_TRUE(session.Next(result));
            ASSERT_EQ(Grabbed, result.Status()) << result.GetErrorDescription();
            EXPECT_EQ(size_t(payload), result.GetPayloadSize());
            EXPECT_EQ(320, result.GetSizeX());
            EXPECT_EQ(240, result.GetSizeY());
            EXPECT_EQ(uint64_t(device.Enumeration("PixelFormat")->GetIntValue()), result.GetPixelType());
            EXPECT_GT(result.GetFrameNumber(), previous);
            previous = result.GetFrameNumber();
            const Pattern::FrameNumberReading reading = ReadFrame(result, entry.format);
            ASSERT_TRUE(reading.Agree());
            EXPECT_EQ(result.GetFrameNumber() & 0xFFFF, reading.top);
            session.Requeue(result);
        }
    }
}

TEST_F(GrabTest, ResultsComeBackInQueueOrder) {
    Device device(kMonoSerial);
    device.UseSize(160, 120);
    GrabSession session(device, 4);
    std::vector<const void*> contexts;
    GrabResult result;
    session.Start();
    for (int frame = 0; frame < 12; ++frame) {
        ASSERT_TRUE(session.Next(result));
        contexts.push_back(result.Context());
        session.Requeue(result);
    }
    // Four buffers, queued once each and requeued at once: they cycle in order.
    for (size_t i = 4; i < contexts.size(); ++i) {
        EXPECT_EQ(contexts[i - 4], contexts[i]);
    }
    EXPECT_EQ(4u, std::set<const void*>(contexts.begin(), contexts.end()).size());
}

TEST_F(GrabTest, TooSmallBufferFailsTheGrab) {
    Device device(kMonoSerial);
    device.UseSize(160, 120);
    const size_t payload = size_t(device.Integer("PayloadSize")->GetValue());
    GrabSession session(device, 2, payload / 2);
    session.Start();
    GrabResult result;
    ASSERT_TRUE(session.Next(result));
    EXPECT_EQ(Failed, result.Status());
    EXPECT_NE(0u, result.GetErrorCode());
    EXPECT_NE(std::string::npos, result.GetErrorDescription().str().find("too small"));
    EXPECT_NE(nullptr, result.Buffer());
    session.Stop();
    Emulation::CameraCounters counters;
    ASSERT_TRUE(Emulator().GetCounters(kMonoSerial, counters));
    EXPECT_GE(counters.framesFailed, 1u);
    EXPECT_EQ(0u, counters.framesDelivered);
}

TEST_F(GrabTest, CancelGrabReturnsEveryQueuedBuffer) {
    Device device(kMonoSerial);
    GrabSession session(device, 10);
    session.Grabber().CancelGrab();
    std::set<StreamBufferHandle> handles;
    GrabResult result;
    while (session.Grabber().RetrieveResult(result)) {
        EXPECT_EQ(Canceled, result.Status());
        handles.insert(result.Handle());
    }
    EXPECT_EQ(10u, handles.size());
    EXPECT_FALSE(session.Grabber().GetWaitObject().Wait(0));
}

TEST_F(GrabTest, ClosingTheGrabberReleasesAWaitingThread) {
    Device device(kMonoSerial);
    IStreamGrabber& grabber = *device->GetStreamGrabber(0);
    grabber.Open();
    grabber.PrepareGrab();
    std::atomic<int> outcome{-1};
    std::thread waiter([&] { outcome = grabber.GetWaitObject().Wait(WaitObject::Infinite) ? 1 : 0; });
    // Closing from here ends the wait, blocked or about to block: nothing can arrive any more.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(WaitUntil([&] {
        grabber.Close();
        return outcome.load() != -1;
    }));
    waiter.join();
    EXPECT_EQ(0, outcome.load());
    EXPECT_FALSE(grabber.IsOpen());
    EXPECT_EQ(0, device.Integer("TLParamsLocked")->GetValue());
}

TEST_F(GrabTest, ImageFormatIsLockedWhileGrabbingIsPrepared) {
    Device device(kColourSerial);
    CIntegerPtr width = device.Integer("Width");
    CEnumerationPtr format = device.Enumeration("PixelFormat");
    CBooleanPtr chunks = device.Boolean("ChunkModeActive");
    {
        GrabSession session(device, 2);
        EXPECT_EQ(1, device.Integer("TLParamsLocked")->GetValue());
        EXPECT_EQ(RO, width->GetAccessMode());
        EXPECT_EQ(RO, format->GetAccessMode());
        EXPECT_EQ(RO, chunks->GetAccessMode());
        EXPECT_EQ(RO, device.Integer("Height")->GetAccessMode());
        EXPECT_THROW(width->SetValue(640), GenICam::AccessException);
        EXPECT_THROW(format->FromString("Mono8"), GenICam::AccessException);
        EXPECT_THROW(chunks->SetValue(true), GenICam::AccessException);
        // Writing back what is set is accepted.
        width->SetValue(width->GetValue());
        format->FromString(format->ToString());
        chunks->SetValue(false);
        // Exposure and gain stay free.
        device.Float("ExposureTimeAbs")->SetValue(5000.0);
        device.Integer("GainRaw")->SetValue(10);
        CIntegerPtr maxBuffers = session.Grabber().GetNodeMap()->GetNode("MaxNumBuffer");
        EXPECT_EQ(RO, maxBuffers->GetAccessMode());
    }
    EXPECT_EQ(0, device.Integer("TLParamsLocked")->GetValue());
    EXPECT_EQ(RW, width->GetAccessMode());
    width->SetValue(640);
}

TEST_F(GrabTest, BufferRegistrationFollowsTheRules) {
    Device device(kMonoSerial);
    IStreamGrabber& grabber = *device->GetStreamGrabber(0);
    std::vector<uint8_t> memory(size_t(device.Integer("PayloadSize")->GetValue()));
    EXPECT_THROW(grabber.PrepareGrab(), GenICam::LogicalErrorException);
    grabber.Open();
    EXPECT_THROW(grabber.Open(), GenICam::LogicalErrorException);
    EXPECT_THROW(grabber.RegisterBuffer(memory.data(), memory.size()), GenICam::LogicalErrorException);
    CIntegerPtr(grabber.GetNodeMap()->GetNode("MaxNumBuffer"))->SetValue(1);
    grabber.PrepareGrab();
    EXPECT_THROW(grabber.RegisterBuffer(memory.data(), memory.size() + 1), GenICam::OutOfRangeException);
    EXPECT_THROW(grabber.RegisterBuffer(nullptr, 16), GenICam::InvalidArgumentException);
    StreamBufferHandle handle = grabber.RegisterBuffer(memory.data(), memory.size());
    std::vector<uint8_t> other(memory.size());
    EXPECT_THROW(grabber.RegisterBuffer(other.data(), other.size()), GenICam::OutOfRangeException);
    grabber.QueueBuffer(handle);
    EXPECT_THROW(grabber.QueueBuffer(handle), GenICam::LogicalErrorException);
    EXPECT_THROW(grabber.DeregisterBuffer(handle), GenICam::LogicalErrorException);
    EXPECT_THROW(grabber.FinishGrab(), GenICam::LogicalErrorException);
    EXPECT_THROW(grabber.QueueBuffer(reinterpret_cast<StreamBufferHandle>(&other)),
                 GenICam::InvalidArgumentException);
    grabber.CancelGrab();
    GrabResult result;
    ASSERT_TRUE(grabber.RetrieveResult(result));
    EXPECT_EQ(handle, result.Handle());
    EXPECT_EQ(memory.data(), grabber.DeregisterBuffer(handle));
    grabber.FinishGrab();
    grabber.Close();
}

TEST_F(GrabTest, FramesWithoutAQueuedBufferAreCountedAsDropped) {
    Device device(kMonoSerial);
    device.UseSize(160, 120);
    device.Command("AcquisitionStart")->Execute();
    Emulation::CameraCounters counters;
    ASSERT_TRUE(WaitUntil([&] {
        Emulator().GetCounters(kMonoSerial, counters);
        return counters.framesDropped >= 3;
    }));
    EXPECT_EQ(0u, counters.framesDelivered);
    EXPECT_GE(counters.framesProduced, counters.framesDropped);
}

// The sensor's processor time accumulates over the producer threads of
// successive device objects: the first one's time is still counted once the
// next one grabs.
TEST_F(GrabTest, SensorTimeAccumulatesAcrossDeviceObjects) {
    Emulation::CameraCounters counters;
    {
        Device device(kColourSerial);
        GrabSession session(device, 4);
        session.Start();
        ASSERT_TRUE(WaitUntil([&] {
            GrabResult result;
            if (session.Next(result, 1000)) {
                session.Requeue(result);
            }
            Emulator().GetCounters(kColourSerial, counters);
            return counters.sensorCpuSeconds > 0.02;
        }));
        session.Stop();
    }
    ASSERT_TRUE(Emulator().GetCounters(kColourSerial, counters));
    const double first = counters.sensorCpuSeconds;
    Device device(kColourSerial);
    GrabSession session(device, 4);
    session.Start();
    GrabResult result;
    ASSERT_TRUE(session.Next(result));
    ASSERT_TRUE(Emulator().GetCounters(kColourSerial, counters));
    EXPECT_GE(counters.sensorCpuSeconds, first);
    session.Stop();
}

TEST_F(GrabTest, ChunkModeCarriesFrameCounterAndTimestamp) {
    Device device(kColourSerial);
    device.UseSize(320, 240, "Mono8");
    device.Boolean("ChunkModeActive")->SetValue(true);
    IChunkParser* parser = device->CreateChunkParser();
    CIntegerPtr counter = parser->GetChunkNodeMap()->GetNode("ChunkFramecounter");
    CIntegerPtr timestamp = parser->GetChunkNodeMap()->GetNode("ChunkTimestamp");
    EXPECT_EQ(NA, counter->GetAccessMode());
    {
        GrabSession session(device, 3);
        session.Start();
        int64_t previousTime = -1;
        for (int frame = 0; frame < 5; ++frame) {
            GrabResult result;
            ASSERT_TRUE(session.Next(result));
            ASSERT_EQ(Grabbed, result.Status());
            parser->AttachBuffer(result.Buffer(), int64_t(result.GetPayloadSize()));
            EXPECT_EQ(int64_t(result.GetFrameNumber()), counter->GetValue());
            EXPECT_GT(timestamp->GetValue(), previousTime);
            previousTime = timestamp->GetValue();
            // The chunks follow the image; the picture itself is intact.
            EXPECT_TRUE(ReadFrame(result, "Mono8").Agree());
            parser->DetachBuffer();
            EXPECT_EQ(NA, counter->GetAccessMode());
            session.Requeue(result);
        }
    }
    std::vector<uint8_t> plain(1000, 0);
    parser->AttachBuffer(plain.data(), int64_t(plain.size()));
    EXPECT_EQ(NA, counter->GetAccessMode());
    EXPECT_THROW(parser->AttachBuffer(nullptr, 10), GenICam::InvalidArgumentException);
}

// Mean of every pixel of a Mono8 frame.
double MeanLevel(Device& device) {
    GrabSession session(device, 2);
    session.Start();
    GrabResult result;
    EXPECT_TRUE(session.Next(result));
    const uint8_t* pixels = static_cast<const uint8_t*>(result.Buffer());
    return std::accumulate(pixels, pixels + result.GetPayloadSize(), 0.0) / double(result.GetPayloadSize());
}

TEST_F(GrabTest, BrightnessFollowsExposureAndGain) {
    Device device(kColourSerial);
    device.UseSize(320, 240, "Mono8");
    device.Float("ExposureTimeAbs")->SetValue(2000.0);
    const double dim = MeanLevel(device);
    device.Float("ExposureTimeAbs")->SetValue(6000.0);
    const double brighter = MeanLevel(device);
    device.Integer("GainRaw")->SetValue(200);
    const double brightest = MeanLevel(device);
    EXPECT_LT(dim, brighter);
    EXPECT_LT(brighter, brightest);
}

TEST_F(GrabTest, SingleFrameModeMakesOneFrame) {
    Device device(kMonoSerial);
    device.UseSize(160, 120);
    device.Enumeration("AcquisitionMode")->FromString("SingleFrame");
    GrabSession session(device, 3);
    session.Start();
    GrabResult result;
    ASSERT_TRUE(session.Next(result));
    EXPECT_EQ(Grabbed, result.Status());
    EXPECT_FALSE(session.Grabber().GetWaitObject().Wait(200));
    Emulation::CameraCounters counters;
    Emulator().GetCounters(kMonoSerial, counters);
    EXPECT_EQ(1u, counters.framesProduced);
}

TEST_F(GrabTest, TriggerModeMakesOneFramePerTrigger) {
    Device device(kColourSerial);
    device.UseSize(320, 240, "BayerRG8");
    device.Enumeration("TriggerMode")->FromString("On");
    device.Enumeration("TriggerSource")->FromString("Software");
    GrabSession session(device, 5);
    session.Start();
    EXPECT_FALSE(session.Grabber().GetWaitObject().Wait(200));
    uint64_t previous = 0;
    for (int trigger = 0; trigger < 3; ++trigger) {
        device.Command("TriggerSoftware")->Execute();
        GrabResult result;
        ASSERT_TRUE(session.Next(result));
        EXPECT_EQ(Grabbed, result.Status());
        EXPECT_EQ(previous + 1, result.GetFrameNumber());
        previous = result.GetFrameNumber();
        EXPECT_TRUE(ReadFrame(result, "BayerRG8").Agree());
        session.Requeue(result);
    }
    EXPECT_FALSE(session.Grabber().GetWaitObject().Wait(100));
    Emulation::CameraCounters counters;
    Emulator().GetCounters(kColourSerial, counters);
    EXPECT_EQ(3u, counters.framesProduced);
    EXPECT_EQ(3u, counters.triggersAccepted);
}

}  // namespace
}  // namespace QuillTest
