// The feature tree: node types, access modes, categories and the way values
// are refused.
#include <functional>
#include <map>

#include "QuillTestSupport.h"

namespace QuillTest {
namespace {

using namespace Quill;
using namespace GenApi;

class FeatureTest : public QuillTest {};

// Expects the call to throw exactly the exception type E with a message containing fragment.
template <class E>
void ExpectRefusal(const std::function<void()>& call, const std::string& fragment) {
    try {
        call();
        ADD_FAILURE() << "no exception; expected one saying '" << fragment << "'";
    } catch (const E& error) {
        EXPECT_NE(std::string::npos, std::string(error.GetDescription()).find(fragment))
            << error.GetDescription();
    } catch (const GenICam::GenericException& error) {
        ADD_FAILURE() << "wrong exception type " << error.GetExceptionType() << ": " << error.what();
    }
}

TEST_F(FeatureTest, EveryFeatureHangsUnderRootWithADescription) {
    Device device(kColourSerial);
    CCategoryPtr root = device.Features().GetNode("Root");
    ASSERT_TRUE(root.IsValid());
    std::map<std::string, INode*> features;
    std::vector<ICategory*> pending{root};
    while (!pending.empty()) {
        FeatureList_t children;
        pending.back()->GetFeatures(children);
        pending.pop_back();
        for (IValue* child : children) {
            INode* node = child->GetNode();
            features[node->GetName().str()] = node;
            if (CCategoryPtr category = node) {
                pending.push_back(category);
            }
        }
    }
    for (const char* name : {"PixelFormat",
                             "Width",
                             "Height",
                             "PayloadSize",
                             "AcquisitionMode",
                             "AcquisitionStart",
                             "AcquisitionStop",
                             "AcquisitionFrameRateEnable",
                             "AcquisitionFrameRateAbs",
                             "ResultingFrameRateAbs",
                             "ExposureTimeAbs",
                             "ExposureTimeRaw",
                             "ExposureMode",
                             "GainRaw",
                             "GainSelector",
                             "TriggerMode",
                             "TriggerSource",
                             "TriggerSoftware",
                             "ChunkModeActive",
                             "DeviceModelName",
                             "DeviceVendorName",
                             "DeviceSerialNumber",
                             "TLParamsLocked"}) {
        ASSERT_EQ(1u, features.count(name)) << name;
        INode* node = features[name];
        EXPECT_TRUE(node->IsFeature()) << name;
        EXPECT_FALSE(node->GetDescription().empty()) << name;
        EXPECT_FALSE(node->GetDisplayName().empty()) << name;
        EXPECT_EQ(&device.Features(), node->GetNodeMap());
    }
    EXPECT_EQ(Invisible, features["TLParamsLocked"]->GetVisibility());
    EXPECT_EQ(Beginner, features["PixelFormat"]->GetVisibility());
    EXPECT_EQ(Expert, features["ExposureTimeRaw"]->GetVisibility());
    EXPECT_EQ("us", device.Float("ExposureTimeAbs")->GetUnit());
    EXPECT_EQ("Hz", device.Float("ResultingFrameRateAbs")->GetUnit());
    // Entries are nodes of the map but not features.
    EXPECT_FALSE(device.Features().GetNode("EnumEntry_PixelFormat_Mono8")->IsFeature());
}

TEST_F(FeatureTest, NodesHaveTheirTypesAndAccessModes) {
    Device device(kColourSerial);
    const struct {
        const char* name;
        EInterfaceType type;
        EAccessMode access;
    } expected[] = {
        {"PixelFormat", intfIEnumeration, RW},
        {"Width", intfIInteger, RW},
        {"PayloadSize", intfIInteger, RO},
        {"AcquisitionStart", intfICommand, WO},
        {"AcquisitionFrameRateEnable", intfIBoolean, RW},
        {"ResultingFrameRateAbs", intfIFloat, RO},
        {"ExposureTimeAbs", intfIFloat, RW},
        {"DeviceModelName", intfIString, RO},
        {"TriggerSoftware", intfICommand, NA},
        {"Root", intfICategory, RO},
    };
    for (const auto& feature : expected) {
        INode* node = device.Features().GetNode(feature.name);
        ASSERT_NE(nullptr, node) << feature.name;
        EXPECT_EQ(feature.type, node->GetPrincipalInterfaceType()) << feature.name;
        EXPECT_EQ(feature.access, node->GetAccessMode()) << feature.name;
    }
    EXPECT_TRUE(CIntegerPtr(device.Features().GetNode("Width")).IsValid());
    EXPECT_FALSE(CFloatPtr(device.Features().GetNode("Width")).IsValid());
    EXPECT_EQ("KV-C1920", CStringPtr(device.Features().GetNode("DeviceModelName"))->GetValue());
    EXPECT_EQ(nullptr, device.Features().GetNode("NoSuchFeature"));
}

TEST_F(FeatureTest, PixelFormatEntriesCarryPfncCodesInProfileOrder) {
    Device device(kColourSerial);
    CEnumerationPtr format = device.Enumeration("PixelFormat");
    StringList_t symbolics;
    format->GetSymbolics(symbolics);
    const std::vector<std::string> order = {"Mono8",        "BayerRG8",           "BayerBG8",
                                            "YUV422Packed", "YUV422_YUYV_Packed", "BGR8Packed",
                                            "BGRA8Packed",  "YUV411Packed",       "Mono12"};
    ASSERT_EQ(order.size(), symbolics.size());
    for (size_t i = 0; i < order.size(); ++i) {
        EXPECT_EQ(order[i], symbolics[i].str());
    }
    EXPECT_EQ(0x01080001, format->GetEntryByName("Mono8")->GetValue());
    EXPECT_EQ(0x01080009, format->GetEntryByName("BayerRG8")->GetValue());
    EXPECT_EQ(0x0210001F, format->GetEntryByName("YUV422Packed")->GetValue());
    EXPECT_EQ(0x020C001E, format->GetEntryByName("YUV411Packed")->GetValue());
    EXPECT_EQ(nullptr, format->GetEntryByName("Mono16"));

    format->SetIntValue(0x02180015);
    EXPECT_EQ("BGR8Packed", format->ToString());
    EXPECT_EQ("BGR8Packed", format->GetCurrentEntry()->GetSymbolic());
    EXPECT_EQ("Mono12", format->GetEntry(0x01100005)->GetSymbolic());
    *format = "Mono8";
    EXPECT_EQ(0x01080001, format->GetIntValue());
}

TEST_F(FeatureTest, RefusesValuesLikeACamera) {
    Device device(kColourSerial);
    CIntegerPtr width = device.Integer("Width");
    CIntegerPtr height = device.Integer("Height");
    const int64_t widthBefore = width->GetValue();
    EXPECT_EQ(32, width->GetMin());
    EXPECT_EQ(1920, width->GetMax());
    EXPECT_EQ(8, width->GetInc());

    ExpectRefusal<GenICam::OutOfRangeException>([&] { width->SetValue(2000); }, "above its maximum 1920");
    ExpectRefusal<GenICam::OutOfRangeException>([&] { width->SetValue(24); }, "below its minimum 32");
    ExpectRefusal<GenICam::OutOfRangeException>([&] { width->SetValue(36); }, "increment 8");
    ExpectRefusal<GenICam::OutOfRangeException>([&] { height->SetValue(481); }, "increment 2");
    ExpectRefusal<GenICam::OutOfRangeException>([&] { device.Float("ExposureTimeAbs")->SetValue(5.0); },
                                                "below its minimum 20");
    ExpectRefusal<GenICam::OutOfRangeException>([&] { device.Integer("GainRaw")->SetValue(1001); },
                                                "maximum 1000");
    // Without verification the node passes the value on and the camera refuses it.
    ExpectRefusal<GenICam::RuntimeException>([&] { width->SetValue(33, false); }, "camera refused");
    ExpectRefusal<GenICam::AccessException>([&] { device.Integer("PayloadSize")->SetValue(1000); },
                                            "not writable");
    ExpectRefusal<GenICam::AccessException>([&] { device.Float("ResultingFrameRateAbs")->SetValue(10.0); },
                                            "not writable");
    ExpectRefusal<GenICam::AccessException>(
        [&] { CStringPtr(device.Features().GetNode("DeviceSerialNumber"))->SetValue("X"); }, "not writable");
    ExpectRefusal<GenICam::InvalidArgumentException>(
        [&] { device.Enumeration("PixelFormat")->FromString("Mono16"); }, "not an entry");
    ExpectRefusal<GenICam::OutOfRangeException>(
        [&] { device.Enumeration("PixelFormat")->SetIntValue(12345); }, "not an entry");
    ExpectRefusal<GenICam::InvalidArgumentException>([&] { width->FromString("wide"); }, "not an integer");
    ExpectRefusal<GenICam::AccessException>(
        [&] { device.Enumeration("PixelFormat")->GetEntry(0x01080001)->FromString("x"); },
        "cannot be written");
    EXPECT_EQ(widthBefore, width->GetValue());

    width->FromString("640");
    EXPECT_EQ(640, width->GetValue());
    EXPECT_EQ("640", width->ToString());
}

TEST_F(FeatureTest, StandardSizesAreAcceptedWithinTheMaximum) {
    const int64_t sizes[][2] = {{40, 30},   {80, 60},   {160, 120},  {320, 240},  {640, 480},   {720, 480},
                                {720, 576}, {800, 600}, {1024, 768}, {1280, 960}, {1600, 1200}, {2048, 1536}};
    for (const char* serial : {kColourSerial, kMonoSerial}) {
        Device device(serial);
        CIntegerPtr width = device.Integer("Width");
        CIntegerPtr height = device.Integer("Height");
        int accepted = 0;
        for (const auto& size : sizes) {
            if (size[0] > width->GetMax() || size[1] > height->GetMax()) {
                continue;
            }
            width->SetValue(size[0]);
            height->SetValue(size[1]);
            EXPECT_EQ(size[0], width->GetValue()) << serial;
            EXPECT_EQ(size[1], height->GetValue()) << serial;
            ++accepted;
        }
        EXPECT_EQ(serial == std::string(kColourSerial) ? 11 : 10, accepted) << serial;
    }
}

TEST_F(FeatureTest, ExposureTimeRawAndAbsStayConsistent) {
    Device device(kColourSerial);
    CFloatPtr absolute = device.Float("ExposureTimeAbs");
    CIntegerPtr raw = device.Integer("ExposureTimeRaw");
    EXPECT_DOUBLE_EQ(20.0, absolute->GetMin());
    EXPECT_DOUBLE_EQ(1000000.0, absolute->GetMax());

    absolute->SetValue(15625.0);
    EXPECT_DOUBLE_EQ(15625.0, absolute->GetValue());
    EXPECT_EQ(781, raw->GetValue());

    raw->SetValue(500);
    EXPECT_DOUBLE_EQ(10000.0, absolute->GetValue());
    raw->SetValue(raw->GetMin());
    EXPECT_DOUBLE_EQ(absolute->GetMin(), absolute->GetValue());
    raw->SetValue(raw->GetMax());
    EXPECT_DOUBLE_EQ(absolute->GetMax(), absolute->GetValue());
}

TEST_F(FeatureTest, TriggerSoftwareIsAvailableOnlyWhenItCanTrigger) {
    Device device(kColourSerial);
    CCommandPtr trigger = device.Command("TriggerSoftware");
    EXPECT_EQ(NA, trigger->GetAccessMode());
    ExpectRefusal<GenICam::AccessException>([&] { trigger->Execute(); }, "not writable");
    device.Enumeration("TriggerMode")->FromString("On");
    EXPECT_EQ(NA, trigger->GetAccessMode());
    device.Enumeration("TriggerSource")->FromString("Software");
    EXPECT_EQ(WO, trigger->GetAccessMode());
    trigger->Execute();
    EXPECT_TRUE(trigger->IsDone());
}

// Loading the default user set is a power cycle without unplugging: every
// setting returns, on this device object and the next, and it is refused
// while grabbing is prepared.
TEST_F(FeatureTest, UserSetLoadRestoresThePowerUpSettings) {
    Device device(kColourSerial);
    const int64_t width = device.Integer("Width")->GetValue();
    const GenICam::gcstring format = device.Enumeration("PixelFormat")->ToString();
    const int64_t gain = device.Integer("GainRaw")->GetValue();
    const double exposure = device.Float("ExposureTimeAbs")->GetValue();
    device.Integer("Width")->SetValue(device.Integer("Width")->GetMin());
    device.Enumeration("PixelFormat")->FromString("Mono8");
    device.Integer("GainRaw")->SetValue(device.Integer("GainRaw")->GetMax());
    device.Float("ExposureTimeAbs")->SetValue(device.Float("ExposureTimeAbs")->GetMin());
    device.Enumeration("TriggerMode")->FromString("On");
    device.Enumeration("AcquisitionMode")->FromString("SingleFrame");
    device.Boolean("ChunkModeActive")->SetValue(true);

    CCommandPtr load = device.Command("UserSetLoad");
    {
        GrabSession session(device, 2);
        EXPECT_EQ(NA, load->GetAccessMode());
        ExpectRefusal<GenICam::AccessException>([&] { load->Execute(); }, "not writable");
        EXPECT_EQ(device.Integer("Width")->GetMin(), device.Integer("Width")->GetValue());
    }
    EXPECT_EQ(WO, load->GetAccessMode());
    EXPECT_EQ("Default", device.Enumeration("UserSetSelector")->ToString());
    load->Execute();
    EXPECT_EQ(width, device.Integer("Width")->GetValue());
    EXPECT_EQ(format, device.Enumeration("PixelFormat")->ToString());
    EXPECT_EQ(gain, device.Integer("GainRaw")->GetValue());
    EXPECT_DOUBLE_EQ(exposure, device.Float("ExposureTimeAbs")->GetValue());
    EXPECT_EQ("Off", device.Enumeration("TriggerMode")->ToString());
    EXPECT_EQ("Continuous", device.Enumeration("AcquisitionMode")->ToString());
    EXPECT_FALSE(device.Boolean("ChunkModeActive")->GetValue());
    device.Destroy();
    Device next(kColourSerial);
    EXPECT_EQ(width, next.Integer("Width")->GetValue());
}

TEST_F(FeatureTest, CheckedPointerAndExceptionsSayWhatWentWrong) {
    Device device(kColourSerial);
    CIntegerPtr missing = device.Features().GetNode("NoSuchFeature");
    EXPECT_FALSE(missing.IsValid());
    EXPECT_FALSE(static_cast<bool>(missing));
    try {
        missing->GetValue();
        FAIL() << "dereferencing a null CPointer did not throw";
    } catch (const GenICam::LogicalErrorException& error) {
        EXPECT_STREQ("NULL pointer dereferenced", error.GetDescription());
        EXPECT_NE(std::string::npos, std::string(error.what()).find("LogicalErrorException"));
        EXPECT_GT(error.GetSourceLine(), 0u);
    }
    // Every failure of the family is caught as GenericException by reference.
    try {
        device.Integer("Width")->SetValue(1);
        FAIL();
    } catch (const GenICam::GenericException& error) {
        EXPECT_STREQ("OutOfRangeException", error.GetExceptionType());
    }
}

TEST_F(FeatureTest, FeaturesOfAClosedDeviceCannotBeReached) {
    Device device(kColourSerial);
    CIntegerPtr width = device.Integer("Width");
    device->Close();
    EXPECT_EQ(NA, width->GetAccessMode());
    ExpectRefusal<GenICam::AccessException>([&] { width->GetValue(); }, "not open");
    device->Open();
    EXPECT_EQ(RW, width->GetAccessMode());
}

}  // namespace
}  // namespace QuillTest
