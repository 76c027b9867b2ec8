// The feature helpers on an emulated camera's feature tree.
#include "Camera/FeatureHelpers.h"
#include "CameraTestSupport.h"

namespace CameraTest {
namespace {

class CameraFeatureHelpersTest : public CameraTest {};

// The mono camera of the default profile: 1280 x 960, width from 16 in steps of 4.
constexpr const char* kMonoSerial = "E2000001";
constexpr const char* kColourSerial = "E1000001";

TEST_F(CameraFeatureHelpersTest, IntegerFeatureReadsWhatIsAskedForAndWritesVerified) {
    ScopedDevice device(kMonoSerial);
    GenApi::INodeMap* features = device.Features();

    int64_t value = -1, minimum = -1, maximum = -1, increment = -1;
    EXPECT_EQ(S_OK, GetIntegerFeature(features, "Width", &value, &minimum, &maximum, &increment));
    EXPECT_EQ(1280, value);
    EXPECT_EQ(16, minimum);
    EXPECT_EQ(1280, maximum);
    EXPECT_EQ(4, increment);

    // Only the outputs given are written.
    int64_t onlyMaximum = -1;
    EXPECT_EQ(S_OK, GetIntegerFeature(features, "Height", nullptr, nullptr, &onlyMaximum));
    EXPECT_EQ(960, onlyMaximum);
    EXPECT_EQ(S_OK, GetIntegerFeature(features, "Height", nullptr));

    EXPECT_EQ(S_OK, SetIntegerFeature(features, "Width", 640));
    EXPECT_EQ(S_OK, GetIntegerFeature(features, "Width", &value));
    EXPECT_EQ(640, value);
    // A value off the increment or beyond the maximum is refused and changes nothing.
    EXPECT_EQ(E_NOTIMPL, SetIntegerFeature(features, "Width", 641));
    EXPECT_EQ(E_NOTIMPL, SetIntegerFeature(features, "Width", 4000));
    EXPECT_EQ(S_OK, GetIntegerFeature(features, "Width", &value));
    EXPECT_EQ(640, value);
    // A read-only feature cannot be written.
    EXPECT_EQ(E_NOTIMPL, SetIntegerFeature(features, "PayloadSize", 5));
}

TEST_F(CameraFeatureHelpersTest, FloatAndBooleanFeatures) {
    ScopedDevice device(kMonoSerial);
    GenApi::INodeMap* features = device.Features();

    double value = 0, minimum = 0, maximum = 0;
    EXPECT_EQ(S_OK, GetFloatFeature(features, "AcquisitionFrameRateAbs", &value, &minimum, &maximum));
    EXPECT_DOUBLE_EQ(30.0, value);
    EXPECT_DOUBLE_EQ(1.0, minimum);
    EXPECT_DOUBLE_EQ(1000.0, maximum);
    EXPECT_EQ(S_OK, SetFloatFeature(features, "AcquisitionFrameRateAbs", 12.5));
    EXPECT_EQ(S_OK, GetFloatFeature(features, "AcquisitionFrameRateAbs", &value));
    EXPECT_DOUBLE_EQ(12.5, value);
    EXPECT_EQ(E_NOTIMPL, SetFloatFeature(features, "AcquisitionFrameRateAbs", 5000.0));

    bool enabled = true;
    EXPECT_EQ(S_OK, GetBooleanFeature(features, "AcquisitionFrameRateEnable", &enabled));
    EXPECT_FALSE(enabled);
    EXPECT_EQ(S_OK, SetBooleanFeature(features, "AcquisitionFrameRateEnable", true));
    EXPECT_EQ(S_OK, GetBooleanFeature(features, "AcquisitionFrameRateEnable", &enabled));
    EXPECT_TRUE(enabled);
    EXPECT_EQ(E_POINTER, GetBooleanFeature(features, "AcquisitionFrameRateEnable", nullptr));
}

TEST_F(CameraFeatureHelpersTest, CommandFeatureIsHandedOutForTheCallerToExecute) {
    ScopedDevice device(kMonoSerial);
    GenApi::ICommand* command = nullptr;
    ASSERT_EQ(S_OK, GetCommandFeature(device.Features(), "AcquisitionStart", &command));
    ASSERT_NE(nullptr, command);
    EXPECT_NO_THROW(command->Execute(true));
    ASSERT_EQ(S_OK, GetCommandFeature(device.Features(), "AcquisitionStop", &command));
    EXPECT_NO_THROW(command->Execute(true));
    EXPECT_EQ(E_POINTER, GetCommandFeature(device.Features(), "AcquisitionStop", nullptr));
}

TEST_F(CameraFeatureHelpersTest, EnumerationByValueAndBySymbolicName) {
    ScopedDevice device(kColourSerial);
    GenApi::INodeMap* features = device.Features();

    GenICam::gcstring name;
    EXPECT_EQ(S_OK, GetEnumerationString(features, "PixelFormat", &name));
    EXPECT_STREQ("BayerRG8", name.c_str());
    EXPECT_EQ(S_OK, SetEnumerationString(features, "PixelFormat", "Mono8"));
    EXPECT_EQ(S_OK, GetEnumerationString(features, "PixelFormat", &name));
    EXPECT_STREQ("Mono8", name.c_str());
    EXPECT_EQ(E_NOTIMPL, SetEnumerationString(features, "PixelFormat", "NoSuchFormat"));
    EXPECT_EQ(E_INVALIDARG, SetEnumerationString(features, "PixelFormat", nullptr));

    int64_t value = 0;
    EXPECT_EQ(S_OK, SetEnumerationString(features, "TriggerMode", "On"));
    EXPECT_EQ(S_OK, GetEnumerationValue(features, "TriggerMode", &value));
    EXPECT_EQ(1, value);
    EXPECT_EQ(S_OK, SetEnumerationValue(features, "TriggerMode", 0));
    EXPECT_EQ(S_OK, GetEnumerationString(features, "TriggerMode", &name));
    EXPECT_STREQ("Off", name.c_str());
    EXPECT_EQ(E_NOTIMPL, SetEnumerationValue(features, "TriggerMode", 7));

    // Entries in the node's order; the lists are emptied first.
    GenICam::gcstring_vector entries{"stale"};
    EXPECT_EQ(S_OK, GetEnumerationEntries(features, "PixelFormat", &entries));
    const GenICam::gcstring_vector expected{"Mono8",        "BayerRG8",           "BayerBG8",
                                            "YUV422Packed", "YUV422_YUYV_Packed", "BGR8Packed",
                                            "BGRA8Packed",  "YUV411Packed",       "Mono12"};
    EXPECT_EQ(expected, entries);
    std::vector<int64_t> values{42};
    EXPECT_EQ(S_OK, GetEnumerationValues(features, "TriggerSource", &values));
    ASSERT_EQ(3u, values.size());
    EXPECT_EQ(S_OK, SetEnumerationValue(features, "TriggerSource", values[2]));
    EXPECT_EQ(S_OK, GetEnumerationString(features, "TriggerSource", &name));
    EXPECT_STREQ("Software", name.c_str());
}

TEST_F(CameraFeatureHelpersTest, MissingAndNotImplementedFeaturesGiveNotImplemented) {
    Configure(kMonoSerial, "missing_features", "GainRaw, TriggerMode");
    Configure(kMonoSerial, "not_implemented_features",
              "ExposureTimeRaw, AcquisitionFrameRateEnable, TriggerSource");
    ScopedDevice device(kMonoSerial);
    GenApi::INodeMap* features = device.Features();

    int64_t integer = 0;
    bool flag = false;
    GenICam::gcstring text;
    std::vector<int64_t> values{1};
    GenICam::gcstring_vector entries{"x"};
    EXPECT_EQ(E_NOTIMPL, GetIntegerFeature(features, "GainRaw", &integer));
    EXPECT_EQ(E_NOTIMPL, SetIntegerFeature(features, "GainRaw", 1));
    EXPECT_EQ(E_NOTIMPL, GetIntegerFeature(features, "ExposureTimeRaw", &integer));
    EXPECT_EQ(E_NOTIMPL, SetIntegerFeature(features, "ExposureTimeRaw", 1));
    EXPECT_EQ(E_NOTIMPL, GetBooleanFeature(features, "AcquisitionFrameRateEnable", &flag));
    EXPECT_EQ(E_NOTIMPL, SetBooleanFeature(features, "AcquisitionFrameRateEnable", true));
    EXPECT_EQ(E_NOTIMPL, GetEnumerationString(features, "TriggerMode", &text));
    EXPECT_EQ(E_NOTIMPL, SetEnumerationString(features, "TriggerSource", "Line1"));
    EXPECT_EQ(E_NOTIMPL, GetEnumerationValues(features, "TriggerSource", &values));
    EXPECT_TRUE(values.empty());
    EXPECT_EQ(E_NOTIMPL, GetEnumerationEntries(features, "NoSuchFeature", &entries));
    EXPECT_TRUE(entries.empty());
    double number = 0;
    EXPECT_EQ(E_NOTIMPL, GetFloatFeature(features, "NoSuchFeature", &number));
    GenApi::ICommand* command = nullptr;
    EXPECT_EQ(E_NOTIMPL, GetCommandFeature(features, "NoSuchFeature", &command));
}

TEST_F(CameraFeatureHelpersTest, NodeOfTheWrongType) {
    ScopedDevice device(kMonoSerial);
    GenApi::INodeMap* features = device.Features();
    int64_t integer = 0;
    double number = 0;
    bool flag = false;
    GenICam::gcstring text;
    std::vector<int64_t> values;
    GenICam::gcstring_vector entries;
    GenApi::ICommand* command = nullptr;

    // Reads answer E_FAIL, writes of the value types E_INVALIDARG, enumeration writes E_FAIL.
    EXPECT_EQ(E_FAIL, GetIntegerFeature(features, "PixelFormat", &integer));
    EXPECT_EQ(E_INVALIDARG, SetIntegerFeature(features, "PixelFormat", 1));
    EXPECT_EQ(E_FAIL, GetFloatFeature(features, "Width", &number));
    EXPECT_EQ(E_INVALIDARG, SetFloatFeature(features, "Width", 1.0));
    EXPECT_EQ(E_FAIL, GetBooleanFeature(features, "Width", &flag));
    EXPECT_EQ(E_INVALIDARG, SetBooleanFeature(features, "Width", true));
    EXPECT_EQ(E_FAIL, GetCommandFeature(features, "Width", &command));
    EXPECT_EQ(E_FAIL, GetEnumerationValue(features, "Width", &integer));
    EXPECT_EQ(E_FAIL, SetEnumerationValue(features, "Width", 1));
    EXPECT_EQ(E_FAIL, GetEnumerationString(features, "Width", &text));
    EXPECT_EQ(E_FAIL, SetEnumerationString(features, "Width", "Mono8"));
    EXPECT_EQ(E_FAIL, GetEnumerationValues(features, "Width", &values));
    EXPECT_EQ(E_FAIL, GetEnumerationEntries(features, "Width", &entries));
}

TEST_F(CameraFeatureHelpersTest, NullNodeMapIsRefusedByEveryHelper) {
    int64_t integer = 0;
    double number = 0;
    bool flag = false;
    GenICam::gcstring text;
    std::vector<int64_t> values;
    GenICam::gcstring_vector entries;
    GenApi::ICommand* command = nullptr;
    EXPECT_EQ(E_INVALIDARG, GetIntegerFeature(nullptr, "Width", &integer));
    EXPECT_EQ(E_INVALIDARG, GetFloatFeature(nullptr, "Width", &number));
    EXPECT_EQ(E_INVALIDARG, GetBooleanFeature(nullptr, "Width", &flag));
    EXPECT_EQ(E_INVALIDARG, GetCommandFeature(nullptr, "Width", &command));
    EXPECT_EQ(E_INVALIDARG, GetEnumerationValue(nullptr, "Width", &integer));
    EXPECT_EQ(E_INVALIDARG, SetEnumerationValue(nullptr, "Width", 1));
    EXPECT_EQ(E_INVALIDARG, GetEnumerationString(nullptr, "Width", &text));
    EXPECT_EQ(E_INVALIDARG, SetEnumerationString(nullptr, "Width", "x"));
    EXPECT_EQ(E_INVALIDARG, GetEnumerationValues(nullptr, "Width", &values));
    EXPECT_EQ(E_INVALIDARG, GetEnumerationEntries(nullptr, "Width", &entries));
    // A write that reaches no camera is a failure, not a success.
    EXPECT_EQ(E_INVALIDARG, SetIntegerFeature(nullptr, "Width", 1));
    EXPECT_EQ(E_INVALIDARG, SetFloatFeature(nullptr, "Width", 1.0));
    EXPECT_EQ(E_INVALIDARG, SetBooleanFeature(nullptr, "Width", true));

    ScopedDevice device(kMonoSerial);
    EXPECT_EQ(E_INVALIDARG, GetIntegerFeature(device.Features(), nullptr, &integer));
    EXPECT_EQ(E_INVALIDARG, SetIntegerFeature(device.Features(), nullptr, 1));
}

TEST_F(CameraFeatureHelpersTest, LostDeviceGivesNotImplementedInsteadOfAnException) {
    ScopedDevice device(kMonoSerial);
    GenApi::INodeMap* features = device.Features();
    ASSERT_TRUE(Emulator().Unplug(kMonoSerial));
    int64_t integer = 0;
    EXPECT_EQ(E_NOTIMPL, GetIntegerFeature(features, "Width", &integer));
    EXPECT_EQ(E_NOTIMPL, SetIntegerFeature(features, "Width", 640));
    GenICam::gcstring text;
    EXPECT_EQ(E_NOTIMPL, GetEnumerationString(features, "PixelFormat", &text));
}

}  // namespace
}  // namespace CameraTest
