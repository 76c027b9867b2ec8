// PayloadSize and ResultingFrameRateAbs as the format, size, exposure and
// frame-rate limit change.
#include "QuillTestSupport.h"

namespace QuillTest {
namespace {

using namespace Quill;

class PayloadTest : public QuillTest {};

TEST_F(PayloadTest, PayloadSizeFollowsFormatAndSize) {
    Device device(kColourSerial);
    device.Integer("Width")->SetValue(640);
    device.Integer("Height")->SetValue(480);
    const struct {
        const char* format;
        int64_t bytes;
    } expected[] = {
        {"Mono8", 640 * 480},
        {"BayerRG8", 640 * 480},
        {"BayerBG8", 640 * 480},
        {"YUV422Packed", 640 * 480 * 2},
        {"YUV422_YUYV_Packed", 640 * 480 * 2},
        {"BGR8Packed", 640 * 480 * 3},
        {"BGRA8Packed", 640 * 480 * 4},
        {"YUV411Packed", 640 * 480 * 3 / 2},
        {"Mono12", 640 * 480 * 2},
    };
    for (const auto& entry : expected) {
        device.Enumeration("PixelFormat")->FromString(entry.format);
        EXPECT_EQ(entry.bytes, device.Integer("PayloadSize")->GetValue()) << entry.format;
    }
    device.Integer("Height")->SetValue(240);
    EXPECT_EQ(640 * 240 * 2, device.Integer("PayloadSize")->GetValue());
}

TEST_F(PayloadTest, ChunkModeAddsATrailer) {
    Device device(kMonoSerial);
    const int64_t image = device.Integer("PayloadSize")->GetValue();
    EXPECT_EQ(1280 * 960, image);
    device.Boolean("ChunkModeActive")->SetValue(true);
    const int64_t withChunks = device.Integer("PayloadSize")->GetValue();
    EXPECT_GT(withChunks, image);
    EXPECT_LT(withChunks, image + 1024);
    device.Boolean("ChunkModeActive")->SetValue(false);
    EXPECT_EQ(image, device.Integer("PayloadSize")->GetValue());
}

class FrameRateTest : public QuillTest {
  protected:
    static double Rate(Device& device) { return device.Float("ResultingFrameRateAbs")->GetValue(); }
};

TEST_F(FrameRateTest, SmallerFramesAreFaster) {
    Device device(kColourSerial);
    device.Float("ExposureTimeAbs")->SetValue(100.0);
    double previous = 0.0;
    for (int64_t height : {1200, 960, 480, 240, 120}) {
        device.Integer("Height")->SetValue(height);
        const double rate = Rate(device);
        EXPECT_GT(rate, previous) << height;
        previous = rate;
    }
}

TEST_F(FrameRateTest, ColourCameraReachesVideoRates) {
    Device device(kColourSerial);
    for (const char* format : {"Mono8", "BayerRG8"}) {
        device.Enumeration("PixelFormat")->FromString(format);
        device.Integer("Width")->SetValue(1920);
        device.Integer("Height")->SetValue(1080);
        EXPECT_GE(Rate(device), 70.0) << format;
        device.Integer("Height")->SetValue(1200);
        EXPECT_GE(Rate(device), 60.0) << format;
        EXPECT_LE(Rate(device), 70.0) << format;
    }
}

TEST_F(FrameRateTest, ExposureLimitsTheRate) {
    Device device(kMonoSerial);
    device.Float("ExposureTimeAbs")->SetValue(50000.0);
    EXPECT_NEAR(20.0, Rate(device), 1e-9);
    device.Float("ExposureTimeAbs")->SetValue(100.0);
    EXPECT_GT(Rate(device), 20.0);
}

TEST_F(FrameRateTest, FrameRateLimitAppliesOnlyWhenEnabled) {
    Device device(kColourSerial);
    device.Integer("Height")->SetValue(480);
    const double free = Rate(device);
    device.Float("AcquisitionFrameRateAbs")->SetValue(25.0);
    EXPECT_DOUBLE_EQ(free, Rate(device));
    device.Boolean("AcquisitionFrameRateEnable")->SetValue(true);
    EXPECT_DOUBLE_EQ(25.0, Rate(device));
    // A limit above what the camera can do changes nothing.
    device.Float("AcquisitionFrameRateAbs")->SetValue(1000.0);
    EXPECT_DOUBLE_EQ(free, Rate(device));
    EXPECT_THROW(device.Float("AcquisitionFrameRateAbs")->SetValue(0.5), GenICam::OutOfRangeException);
}

TEST_F(FrameRateTest, LinkBandwidthSlowsWideFormats) {
    Device device(kColourSerial);
    device.Float("ExposureTimeAbs")->SetValue(100.0);
    double previous = 1e9;
    // Same size, more bytes per pixel: each is slower than the one before.
    for (const char* format : {"Mono8", "YUV422Packed", "BGR8Packed", "BGRA8Packed"}) {
        device.Enumeration("PixelFormat")->FromString(format);
        const double rate = Rate(device);
        EXPECT_LE(rate, previous) << format;
        previous = rate;
    }
    EXPECT_LT(previous, 60.0);
}

}  // namespace
}  // namespace QuillTest
