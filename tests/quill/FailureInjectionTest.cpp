// Faults the emulated cameras can be told to show, driven through the SDK.
#include "QuillTestSupport.h"

namespace QuillTest {
namespace {

using namespace Quill;
using namespace GenApi;

class FailureInjectionTest : public QuillTest {
  protected:
    static void Configure(const char* serial, const char* key, const char* value) {
        GenICam::gcstring error;
        ASSERT_TRUE(Emulator().Configure(serial, key, value, &error)) << key << ": " << error;
    }
};

TEST_F(FailureInjectionTest, TransportLayerThatCannotBeCreated) {
    ASSERT_TRUE(Emulator().ConfigureTransport("QuillUsb", "fail_create", "true"));
    TlInfoList layers;
    EXPECT_EQ(2, CTlFactory::GetInstance().EnumerateTls(layers));
    EXPECT_EQ(nullptr, CTlFactory::GetInstance().CreateTl(layers[0]));
    // The layer after it still serves its camera.
    const std::vector<ListedCamera> cameras = ListCameras();
    ASSERT_EQ(1u, cameras.size());
    EXPECT_EQ(kMonoName, cameras[0].info.GetFullName());
}

TEST_F(FailureInjectionTest, TransportLayerThatFailsToListItsDevices) {
    ASSERT_TRUE(Emulator().ConfigureTransport("QuillGigE", "fail_enumerate", "true"));
    TlInfoList layers;
    CTlFactory::GetInstance().EnumerateTls(layers);
    ITransportLayer* gige = CTlFactory::GetInstance().CreateTl(layers[1]);
    ASSERT_NE(nullptr, gige);
    DeviceInfoList devices;
    try {
        gige->EnumerateDevices(devices);
        FAIL() << "listing did not fail";
    } catch (const GenICam::RuntimeException& error) {
        EXPECT_NE(std::string::npos, std::string(error.GetDescription()).find("QuillGigE"));
    }
    const std::vector<ListedCamera> cameras = ListCameras();
    ASSERT_EQ(1u, cameras.size());
    EXPECT_EQ(kColourName, cameras[0].info.GetFullName());
}

TEST_F(FailureInjectionTest, CameraOpenedByAnotherApplication) {
    Configure(kColourSerial, "open_elsewhere", "true");
    Device device(kColourSerial, false);
    try {
        device->Open();
        FAIL() << "opened a camera that is open elsewhere";
    } catch (const GenICam::RuntimeException& error) {
        EXPECT_NE(std::string::npos, std::string(error.GetDescription()).find("another application"));
    }
    EXPECT_FALSE(device->IsOpen());
    // A runtime key acts at once, even while a device object exists.
    Configure(kColourSerial, "open_elsewhere", "false");
    device->Open();
    EXPECT_TRUE(device->IsOpen());
}

TEST_F(FailureInjectionTest, DeviceWithoutStreamGrabber) {
    Configure(kMonoSerial, "stream_channels", "0");
    Device device(kMonoSerial);
    EXPECT_EQ(0u, device->GetNumStreamGrabberChannels());
    EXPECT_EQ(nullptr, device->GetStreamGrabber(0));
}

TEST_F(FailureInjectionTest, MissingAndNotImplementedFeatures) {
    Configure(kColourSerial, "missing_features", "ExposureTimeRaw, GainRaw");
    Configure(kColourSerial, "not_implemented_features", "TriggerMode, ChunkModeActive");
    Device device(kColourSerial);
    EXPECT_EQ(nullptr, device.Features().GetNode("ExposureTimeRaw"));
    EXPECT_FALSE(device.Integer("GainRaw").IsValid());
    EXPECT_THROW(device.Integer("GainRaw")->GetValue(), GenICam::LogicalErrorException);

    CEnumerationPtr triggerMode = device.Enumeration("TriggerMode");
    ASSERT_TRUE(triggerMode.IsValid());
    EXPECT_EQ(NI, triggerMode->GetAccessMode());
    EXPECT_FALSE(IsImplemented(triggerMode));
    EXPECT_FALSE(IsReadable(triggerMode));
    try {
        triggerMode->ToString();
        FAIL();
    } catch (const GenICam::AccessException& error) {
        EXPECT_NE(std::string::npos, std::string(error.GetDescription()).find("not implemented"));
    }
    EXPECT_EQ(NI, device.Boolean("ChunkModeActive")->GetAccessMode());
    // The rest of the camera works as before.
    EXPECT_EQ(RW, device.Float("ExposureTimeAbs")->GetAccessMode());
    FeatureList_t analog;
    CCategoryPtr(device.Features().GetNode("AnalogControl"))->GetFeatures(analog);
    ASSERT_EQ(1u, analog.size());
    EXPECT_EQ("GainSelector", analog[0]->GetNode()->GetName());
}

TEST_F(FailureInjectionTest, PixelFormatsTheFilterDoesNotKnow) {
    Configure(kMonoSerial, "pixel_formats", "Mono12, Mono10");
    Device device(kMonoSerial);
    StringList_t symbolics;
    device.Enumeration("PixelFormat")->GetSymbolics(symbolics);
    ASSERT_EQ(2u, symbolics.size());
    EXPECT_EQ("Mono12", symbolics[0]);
    EXPECT_EQ("Mono10", symbolics[1]);
    EXPECT_EQ("Mono12", device.Enumeration("PixelFormat")->ToString());
    device.UseSize(320, 240, "Mono10");
    GrabSession session(device, 2);
    session.Start();
    GrabResult result;
    ASSERT_TRUE(session.Next(result));
    ASSERT_EQ(Grabbed, result.Status());
    EXPECT_EQ(size_t(320 * 240 * 2), result.GetPayloadSize());
    EXPECT_TRUE(ReadFrame(result, "Mono10").Agree());
}

TEST_F(FailureInjectionTest, RateOfFailedGrabs) {
    Configure(kMonoSerial, "grab_failure_rate", "0.25");
    Device device(kMonoSerial);
    device.UseSize(160, 120);
    GrabSession session(device, 4);
    session.Start();
    int failed = 0;
    for (int frame = 0; frame < 20; ++frame) {
        GrabResult result;
        ASSERT_TRUE(session.Next(result));
        if (result.Status() == Failed) {
            ++failed;
            EXPECT_FALSE(result.GetErrorDescription().empty());
            EXPECT_NE(0u, result.GetErrorCode());
        } else {
            EXPECT_EQ(Grabbed, result.Status());
        }
        session.Requeue(result);
    }
    // Failures are spread evenly: exactly one in four.
    EXPECT_EQ(5, failed);
}

TEST_F(FailureInjectionTest, FeatureShapingKeysWaitUntilNoDeviceExists) {
    GenICam::gcstring error;
    {
        Device device(kMonoSerial, false);
        EXPECT_FALSE(Emulator().Configure(kMonoSerial, "max_width", "640", &error));
        EXPECT_NE(std::string::npos, error.str().find("device object"));
    }
    EXPECT_TRUE(Emulator().Configure(kMonoSerial, "max_width", "640", &error)) << error;
    Device device(kMonoSerial);
    EXPECT_EQ(640, device.Integer("Width")->GetMax());
    EXPECT_EQ(640, device.Integer("Width")->GetValue());

    EXPECT_FALSE(Emulator().Configure(kMonoSerial, "no_such_key", "1", &error));
    EXPECT_NE(std::string::npos, error.str().find("unknown key"));
    EXPECT_FALSE(Emulator().Configure(kMonoSerial, "grab_failure_rate", "2", &error));
    EXPECT_FALSE(Emulator().Configure("NOSUCH", "grab_failure_rate", "0", &error));
}

}  // namespace
}  // namespace QuillTest
