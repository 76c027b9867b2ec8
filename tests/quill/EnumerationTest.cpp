// Transport layers, device lists, device objects and opening.
#include <set>

#include "QuillTestSupport.h"

namespace QuillTest {
namespace {

using namespace Quill;

class EnumerationTest : public QuillTest {};

TEST_F(EnumerationTest, LayersAndCamerasComeInProfileOrder) {
    CTlFactory& factory = CTlFactory::GetInstance();
    TlInfoList layers;
    ASSERT_EQ(2, factory.EnumerateTls(layers));
    ASSERT_EQ(2u, layers.size());
    EXPECT_EQ("QuillUsb", layers[0].GetTlName());
    EXPECT_EQ("QuillGigE", layers[1].GetTlName());

    const std::vector<ListedCamera> cameras = ListCameras();
    ASSERT_EQ(2u, cameras.size());
    EXPECT_EQ(kColourName, cameras[0].info.GetFullName());
    EXPECT_EQ("QuillUsb", cameras[0].info.GetTlName());
    EXPECT_EQ(kMonoName, cameras[1].info.GetFullName());
    EXPECT_EQ("QuillGigE", cameras[1].info.GetTlName());
    EXPECT_EQ("Korvel", cameras[0].info.GetVendorName());
    EXPECT_EQ("KV-C1920", cameras[0].info.GetModelName());
    EXPECT_EQ(kColourSerial, cameras[0].info.GetSerialNumber());
    EXPECT_NE(cameras[0].info.GetDeviceClass(), cameras[1].info.GetDeviceClass());
    EXPECT_FALSE(cameras[0].info.GetFriendlyName().empty());
}

TEST_F(EnumerationTest, FullNamesAreUniqueAndStableAcrossEnumerations) {
    const std::vector<ListedCamera> first = ListCameras();
    std::set<std::string> names;
    std::set<std::string> serials;
    for (const ListedCamera& camera : first) {
        names.insert(camera.info.GetFullName().str());
        serials.insert(camera.info.GetSerialNumber().str());
    }
    EXPECT_EQ(first.size(), names.size());
    EXPECT_EQ(first.size(), serials.size());
    for (int round = 0; round < 3; ++round) {
        const std::vector<ListedCamera> again = ListCameras();
        ASSERT_EQ(first.size(), again.size());
        for (size_t i = 0; i < first.size(); ++i) {
            EXPECT_EQ(first[i].info.GetFullName(), again[i].info.GetFullName());
            EXPECT_EQ(first[i].layer, again[i].layer);
        }
    }
}

TEST_F(EnumerationTest, AddToListAppendsAndOtherwiseClears) {
    const std::vector<ListedCamera> cameras = ListCameras();
    ITransportLayer* usb = cameras[0].layer;
    ITransportLayer* gige = cameras[1].layer;
    DeviceInfoList list;
    EXPECT_EQ(1, usb->EnumerateDevices(list, true));
    EXPECT_EQ(1, gige->EnumerateDevices(list, true));
    ASSERT_EQ(2u, list.size());
    EXPECT_EQ(kColourName, list[0].GetFullName());
    EXPECT_EQ(kMonoName, list[1].GetFullName());
    EXPECT_EQ(1, gige->EnumerateDevices(list));
    ASSERT_EQ(1u, list.size());
    EXPECT_EQ(kMonoName, list[0].GetFullName());
}

TEST_F(EnumerationTest, CreateTlSharesOneLayerAndReleaseIsHarmless) {
    CTlFactory& factory = CTlFactory::GetInstance();
    TlInfoList layers;
    factory.EnumerateTls(layers);
    ITransportLayer* first = factory.CreateTl(layers[0]);
    ITransportLayer* second = factory.CreateTl(layers[0]);
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(first, second);
    EXPECT_EQ("QuillUsb", first->GetTlInfo().GetTlName());
    // Two users, three give-backs: the layer still works for everyone.
    factory.ReleaseTl(first);
    factory.ReleaseTl(second);
    factory.ReleaseTl(first);
    DeviceInfoList devices;
    EXPECT_EQ(1, first->EnumerateDevices(devices));
    EXPECT_EQ(first, factory.CreateTl(layers[0]));

    CTlInfo unknown;
    unknown.SetTlName("NoSuchLayer");
    EXPECT_EQ(nullptr, factory.CreateTl(unknown));
}

TEST_F(EnumerationTest, CreateDeviceMatchesByFullNameOrSerial) {
    const std::vector<ListedCamera> cameras = ListCameras();
    ITransportLayer* usb = cameras[0].layer;

    CDeviceInfo bySerial;
    bySerial.SetSerialNumber(kColourSerial);
    IQuillDevice* device = usb->CreateDevice(bySerial);
    ASSERT_NE(nullptr, device);
    EXPECT_EQ(kColourName, device->GetDeviceInfo().GetFullName());
    usb->DestroyDevice(device);

    CDeviceInfo unknown;
    unknown.SetFullName("Korvel KV-X (nothing)");
    EXPECT_EQ(nullptr, usb->CreateDevice(unknown));
    // A device of another layer is not this layer's to create.
    EXPECT_EQ(nullptr, usb->CreateDevice(cameras[1].info));

    IQuillDevice* mono = cameras[1].layer->CreateDevice(cameras[1].info);
    ASSERT_NE(nullptr, mono);
    EXPECT_THROW(usb->DestroyDevice(mono), GenICam::InvalidArgumentException);
    cameras[1].layer->DestroyDevice(mono);
    EXPECT_EQ(0u, Emulator().GetLiveDeviceCount());
}

class OpenCloseTest : public QuillTest {};

TEST_F(OpenCloseTest, OpenCloseAndOpenAgain) {
    Device device(kColourSerial, false);
    EXPECT_FALSE(device->IsOpen());
    EXPECT_THROW(device->GetNodeMap(), GenICam::LogicalErrorException);
    EXPECT_THROW(device->Open(AccessModeSet()), GenICam::InvalidArgumentException);

    device->Open(Stream + Control + Event);
    EXPECT_TRUE(device->IsOpen());
    EXPECT_NE(nullptr, device->GetNodeMap());
    EXPECT_THROW(device->Open(), GenICam::LogicalErrorException);

    device->Close();
    EXPECT_FALSE(device->IsOpen());
    device->Close();
    device->Open();
    EXPECT_TRUE(device->IsOpen());
    EXPECT_EQ(1u, device->GetNumStreamGrabberChannels());
    EXPECT_NE(nullptr, device->GetStreamGrabber(0));
    EXPECT_THROW(device->GetStreamGrabber(1), GenICam::OutOfRangeException);
}

TEST_F(OpenCloseTest, OneDeviceObjectAtATimeOpensACamera) {
    Device first(kColourSerial);
    Device second(kColourSerial, false);
    try {
        second->Open();
        FAIL() << "a second open of the same camera succeeded";
    } catch (const GenICam::RuntimeException& error) {
        EXPECT_NE(std::string::npos, std::string(error.GetDescription()).find("already open"));
    }
    EXPECT_FALSE(second->IsOpen());
    first->Close();
    second->Open();
    EXPECT_TRUE(second->IsOpen());
}

TEST_F(OpenCloseTest, CameraKeepsItsSettingsBetweenDeviceObjects) {
    {
        Device device(kColourSerial);
        device.Integer("Width")->SetValue(640);
        device.Enumeration("PixelFormat")->FromString("YUV422Packed");
    }
    Device again(kColourSerial);
    EXPECT_EQ(640, again.Integer("Width")->GetValue());
    EXPECT_EQ("YUV422Packed", again.Enumeration("PixelFormat")->ToString());
}

TEST_F(OpenCloseTest, ChunkParsersBelongToTheirDevice) {
    Device device(kColourSerial, false);
    IChunkParser* first = device->CreateChunkParser();
    IChunkParser* second = device->CreateChunkParser();
    ASSERT_NE(nullptr, first);
    EXPECT_NE(first, second);
    device->DestroyChunkParser(first);
    EXPECT_THROW(device->DestroyChunkParser(first), GenICam::InvalidArgumentException);
    // The second one goes with the device.
}

}  // namespace
}  // namespace QuillTest
