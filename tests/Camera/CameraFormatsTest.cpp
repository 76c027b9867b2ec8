// The open camera's formats, probed sizes and frame rates, and setting them.
#include <limits>

#include "Camera/FeatureHelpers.h"
#include "CameraTestSupport.h"

namespace CameraTest {
namespace {

struct Size {
    int64_t width;
    int64_t height;
    bool operator==(const Size& other) const { return width == other.width && height == other.height; }
};

std::ostream& operator<<(std::ostream& stream, const Size& size) {
    return stream << size.width << "x" << size.height;
}

class CameraFormatsTest : public CameraTest {
  protected:
    static std::vector<uint32_t> FormatIds(CKorvelCamera& camera) {
        CCameraAutoLock lock(camera.ObjectLock());
        std::vector<uint32_t> ids;
        for (const CameraFormat& format : camera.FormatList()) {
            ids.push_back(format.format);
        }
        return ids;
    }

    // The sizes of the first listed format equal to id; every rate must be positive.
    static std::vector<Size> SizesOf(CKorvelCamera& camera, uint32_t id) {
        CCameraAutoLock lock(camera.ObjectLock());
        std::vector<Size> sizes;
        for (const CameraFormat& format : camera.FormatList()) {
            if (format.format != id) {
                continue;
            }
            for (uint32_t index = 0; index < format.sizeCount; ++index) {
                sizes.push_back(Size{format.sizes[index].width, format.sizes[index].height});
                EXPECT_GT(format.sizes[index].frameRate, 0.0) << sizes.back();
            }
            break;
        }
        return sizes;
    }
};

const std::vector<Size> kStandardBelow1280x960 = {{1280, 960}, {1024, 768}, {800, 600}, {720, 576},
                                                  {720, 480},  {640, 480},  {320, 240}, {160, 120},
                                                  {80, 60},    {40, 30}};

TEST_F(CameraFormatsTest, ColourCameraListsItsKnownFormatsInAscendingOrder) {
    CKorvelCamera camera;
    ASSERT_EQ(S_OK, camera.OpenCamera(0));
    // Offered: Mono8, BayerRG8, BayerBG8, YUV422Packed, YUV422_YUYV_Packed,
    // BGR8Packed, BGRA8Packed, YUV411Packed, Mono12 (not understood).
    EXPECT_EQ((std::vector<uint32_t>{0, 3, 11, 12, 14, 15, 19, 21}), FormatIds(camera));
    std::vector<Size> expected = {{1920, 1200}, {1600, 1200}};
    expected.insert(expected.end(), kStandardBelow1280x960.begin(), kStandardBelow1280x960.end());
    for (uint32_t id : FormatIds(camera)) {
        EXPECT_EQ(expected, SizesOf(camera, id)) << "format " << id;
    }
}

TEST_F(CameraFormatsTest, MaximumThatIsAlsoAStandardSizeIsListedTwice) {
    CKorvelCamera camera;
    ASSERT_EQ(S_OK, camera.OpenCamera(1));
    EXPECT_EQ(std::vector<uint32_t>{15}, FormatIds(camera));
    std::vector<Size> expected = {{1280, 960}};
    expected.insert(expected.end(), kStandardBelow1280x960.begin(), kStandardBelow1280x960.end());
    EXPECT_EQ(expected, SizesOf(camera, 15));
}

TEST_F(CameraFormatsTest, ProbingOrderAndSizesFollowTheCamera) {
    LoadProfile(TransportBlock("Layer") +
                CameraBlock("Layer", "Order", "pixel_formats = Mono8, BayerRG8, YUV422Packed\n") +
                CameraBlock("Layer", "Narrow", "max_width = 1000\nmax_height = 1536\n") +
                CameraBlock("Layer", "Low", "max_width = 2048\nmax_height = 1000\n") +
                CameraBlock("Layer", "Coarse", "width_inc = 16\n"));
    CKorvelCamera camera;
    ASSERT_EQ(S_OK, camera.OpenCamera(0));
    EXPECT_EQ((std::vector<uint32_t>{0, 15, 21}), FormatIds(camera));

    // 2048 x 1536 is as tall as the camera but wider: skipped, like every row wider than 1000.
    ASSERT_EQ(S_OK, camera.OpenCamera(1));
    EXPECT_EQ((std::vector<Size>{{1000, 1536},
                                 {800, 600},
                                 {720, 576},
                                 {720, 480},
                                 {640, 480},
                                 {320, 240},
                                 {160, 120},
                                 {80, 60},
                                 {40, 30}}),
              SizesOf(camera, 15));

    // The reverse: rows taller than 1000 are skipped though not too wide.
    ASSERT_EQ(S_OK, camera.OpenCamera(2));
    EXPECT_EQ((std::vector<Size>{{2048, 1000},
                                 {1280, 960},
                                 {1024, 768},
                                 {800, 600},
                                 {720, 576},
                                 {720, 480},
                                 {640, 480},
                                 {320, 240},
                                 {160, 120},
                                 {80, 60},
                                 {40, 30}}),
              SizesOf(camera, 15));

    // A size off the camera's width increment (40 with steps of 16 from 16) is not listed.
    ASSERT_EQ(S_OK, camera.OpenCamera(3));
    std::vector<Size> coarse = {{1280, 960}};
    coarse.insert(coarse.end(), kStandardBelow1280x960.begin(), kStandardBelow1280x960.end() - 1);
    EXPECT_EQ(coarse, SizesOf(camera, 15));
}

TEST_F(CameraFormatsTest, ReadingTheFormatsLeavesTheCameraAsItWas) {
    LoadProfile(
        TransportBlock("Layer") +
        CameraBlock("Layer", "Limited",
                    "pixel_formats = Mono8, BayerRG8\npixel_format = BayerRG8\nwidth = 640\nheight = 480\n"
                    "exposure = 5000\nframe_rate_enable = true\nframe_rate = 15\n") +
        CameraBlock("Layer", "Free", "exposure = 100000\n"));
    CKorvelCamera camera;
    ASSERT_EQ(S_OK, camera.OpenCamera(0));
    GenApi::INodeMap* features = OpenDeviceFeatures(camera);
    ASSERT_NE(nullptr, features);

    GenICam::gcstring pixelFormat;
    int64_t width = 0, height = 0, exposureRaw = 0;
    bool limitOn = false;
    double limit = 0;
    EXPECT_EQ(S_OK, GetEnumerationString(features, "PixelFormat", &pixelFormat));
    EXPECT_STREQ("BayerRG8", pixelFormat.c_str());
    EXPECT_EQ(S_OK, GetIntegerFeature(features, "Width", &width));
    EXPECT_EQ(S_OK, GetIntegerFeature(features, "Height", &height));
    EXPECT_EQ(640, width);
    EXPECT_EQ(480, height);
    EXPECT_EQ(S_OK, GetIntegerFeature(features, "ExposureTimeRaw", &exposureRaw));
    EXPECT_EQ(250, exposureRaw);  // 5000 us in steps of 20 us
    EXPECT_EQ(S_OK, GetBooleanFeature(features, "AcquisitionFrameRateEnable", &limitOn));
    EXPECT_TRUE(limitOn);
    EXPECT_EQ(S_OK, GetFloatFeature(features, "AcquisitionFrameRateAbs", &limit));
    EXPECT_DOUBLE_EQ(15.0, limit);

    uint32_t format = 0;
    int32_t currentWidth = 0, currentHeight = 0;
    double frameRate = 0;
    ASSERT_EQ(S_OK, camera.GetCurrentFormat(&format, &currentWidth, &currentHeight, &frameRate));
    EXPECT_EQ(21u, format);
    EXPECT_EQ(640, currentWidth);
    EXPECT_EQ(480, currentHeight);
    EXPECT_DOUBLE_EQ(15.0, frameRate);
    // The sizes were probed without the limit and at the shortest exposure.
    double smallest = 0;
    uint32_t sizeWidth = 0, sizeHeight = 0;
    ASSERT_EQ(S_OK, camera.GetFormatSize(21, 10, &sizeWidth, &sizeHeight, &smallest));
    EXPECT_EQ(40u, sizeWidth);
    EXPECT_GT(smallest, 15.0);

    // A camera without the limit keeps it off, and its rate is the one it reaches.
    ASSERT_EQ(S_OK, camera.OpenCamera(1));
    features = OpenDeviceFeatures(camera);
    ASSERT_NE(nullptr, features);
    EXPECT_EQ(S_OK, GetBooleanFeature(features, "AcquisitionFrameRateEnable", &limitOn));
    EXPECT_FALSE(limitOn);
    EXPECT_EQ(S_OK, GetIntegerFeature(features, "ExposureTimeRaw", &exposureRaw));
    EXPECT_EQ(5000, exposureRaw);
    double resulting = 0;
    EXPECT_EQ(S_OK, GetFloatFeature(features, "ResultingFrameRateAbs", &resulting));
    ASSERT_EQ(S_OK, camera.GetCurrentFormat(&format, &currentWidth, &currentHeight, &frameRate));
    EXPECT_DOUBLE_EQ(resulting, frameRate);
    EXPECT_DOUBLE_EQ(10.0, frameRate);  // one frame per 100000 us exposure
}

TEST_F(CameraFormatsTest, CurrentFormat) {
    CKorvelCamera camera;
    uint32_t format = 0;
    int32_t width = 0, height = 0;
    double frameRate = 0;
    EXPECT_EQ(E_FAIL, camera.GetCurrentFormat(&format, &width, &height, &frameRate));
    ASSERT_EQ(S_OK, camera.OpenCamera(1));
    EXPECT_EQ(E_POINTER, camera.GetCurrentFormat(nullptr, &width, &height, &frameRate));
    EXPECT_EQ(E_POINTER, camera.GetCurrentFormat(&format, &width, &height, nullptr));
    ASSERT_EQ(S_OK, camera.GetCurrentFormat(&format, &width, &height, &frameRate));
    EXPECT_EQ(15u, format);
    EXPECT_EQ(1280, width);
    EXPECT_EQ(960, height);
    EXPECT_GT(frameRate, 0.0);

    // A pixel format outside the table makes the current format unknown.
    ASSERT_EQ(S_OK, SetEnumerationString(OpenDeviceFeatures(camera), "PixelFormat", "Mono12"));
    format = 77;
    EXPECT_EQ(E_FAIL, camera.GetCurrentFormat(&format, &width, &height, &frameRate));
    EXPECT_EQ(77u, format);
}

TEST_F(CameraFormatsTest, SettingFormatSizeAndFrameRate) {
    LoadProfile(TransportBlock("Layer") +
                CameraBlock("Layer", "Big",
                            "max_width = 2048\nmax_height = 1536\npixel_formats = Mono8, BGR8Packed\n"));
    CKorvelCamera camera;
    EXPECT_EQ(E_UNEXPECTED, camera.SetCameraFormat(15, 640, 480, 0.0));
    ASSERT_EQ(S_OK, camera.OpenCamera(0));
    GenApi::INodeMap* features = OpenDeviceFeatures(camera);
    ASSERT_NE(nullptr, features);
    uint32_t format = 0;
    int32_t width = 0, height = 0;
    double frameRate = 0;
    bool limitOn = true;

    // Clamped to the maximum.
    EXPECT_EQ(S_OK, camera.SetCameraFormat(14, 4000, 4000, 0.0));
    ASSERT_EQ(S_OK, camera.GetCurrentFormat(&format, &width, &height, &frameRate));
    EXPECT_EQ(14u, format);
    EXPECT_EQ(2048, width);
    EXPECT_EQ(1536, height);
    EXPECT_EQ(S_OK, GetBooleanFeature(features, "AcquisitionFrameRateEnable", &limitOn));
    EXPECT_FALSE(limitOn);

    // A frame rate the camera takes switches the limit on.
    EXPECT_EQ(S_OK, camera.SetCameraFormat(15, 640, 480, 12.5));
    ASSERT_EQ(S_OK, camera.GetCurrentFormat(&format, &width, &height, &frameRate));
    EXPECT_EQ(15u, format);
    EXPECT_EQ(640, width);
    EXPECT_EQ(480, height);
    EXPECT_DOUBLE_EQ(12.5, frameRate);

    // One it refuses only switches the limit off; 0 does the same.
    EXPECT_EQ(S_OK, camera.SetCameraFormat(15, 640, 480, 5000.0));
    EXPECT_EQ(S_OK, GetBooleanFeature(features, "AcquisitionFrameRateEnable", &limitOn));
    EXPECT_FALSE(limitOn);
    EXPECT_EQ(S_OK, camera.SetCameraFormat(15, 640, 480, 12.5));
    EXPECT_EQ(S_OK, camera.SetCameraFormat(15, 320, 240, 0.0));
    EXPECT_EQ(S_OK, GetBooleanFeature(features, "AcquisitionFrameRateEnable", &limitOn));
    EXPECT_FALSE(limitOn);

    // Refused arguments change nothing.
    const double notANumber = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(E_INVALIDARG, camera.SetCameraFormat(0xFFFFFFFFu, 640, 480, 0.0));
    EXPECT_EQ(E_INVALIDARG, camera.SetCameraFormat(3, 640, 480, 0.0));  // not offered
    EXPECT_EQ(E_INVALIDARG, camera.SetCameraFormat(15, 0, 480, 0.0));
    EXPECT_EQ(E_INVALIDARG, camera.SetCameraFormat(15, 640, -1, 0.0));
    EXPECT_EQ(E_INVALIDARG, camera.SetCameraFormat(15, 640, 480, -1.0));
    EXPECT_EQ(E_INVALIDARG, camera.SetCameraFormat(15, 640, 480, notANumber));
    // A size off the camera's increments is not rounded: the camera refuses it.
    EXPECT_EQ(E_INVALIDARG, camera.SetCameraFormat(15, 641, 480, 0.0));
    ASSERT_EQ(S_OK, camera.GetCurrentFormat(&format, &width, &height, &frameRate));
    EXPECT_EQ(15u, format);
    EXPECT_EQ(320, width);
    EXPECT_EQ(240, height);
}

TEST_F(CameraFormatsTest, FormatSizesByIndex) {
    CKorvelCamera camera;
    uint32_t width = 0, height = 0;
    double frameRate = 0;
    EXPECT_EQ(E_INVALIDARG, camera.GetFormatSize(15, 0, &width, &height, &frameRate));
    ASSERT_EQ(S_OK, camera.OpenCamera(1));
    EXPECT_EQ(S_OK, camera.GetFormatSize(15, 0, &width, &height, &frameRate));
    EXPECT_EQ(1280u, width);
    EXPECT_EQ(960u, height);
    EXPECT_GT(frameRate, 0.0);
    EXPECT_EQ(S_OK, camera.GetFormatSize(15, 10, &width, &height, &frameRate));
    EXPECT_EQ(40u, width);
    EXPECT_EQ(30u, height);
    EXPECT_EQ(E_INVALIDARG, camera.GetFormatSize(15, 11, &width, &height, &frameRate));
    EXPECT_EQ(E_INVALIDARG, camera.GetFormatSize(15, -1, &width, &height, &frameRate));
    EXPECT_EQ(E_INVALIDARG, camera.GetFormatSize(21, 0, &width, &height, &frameRate));
    EXPECT_EQ(E_POINTER, camera.GetFormatSize(15, 0, nullptr, &height, &frameRate));
    EXPECT_EQ(E_POINTER, camera.GetFormatSize(15, 0, &width, &height, nullptr));
}

TEST_F(CameraFormatsTest, ProbingNeedsAnOpenCamera) {
    CKorvelCamera camera;
    CameraFormat format(15);
    format.sizeCount = 3;
    double frameRate = 0;
    EXPECT_EQ(E_UNEXPECTED, camera.ReadCameraFormats());
    EXPECT_EQ(E_UNEXPECTED, camera.ProbeFormatSizes(&format));
    EXPECT_EQ(0u, format.sizeCount);
    EXPECT_EQ(E_FAIL, camera.ProbeFrameSize(640, 480, &frameRate));
    EXPECT_EQ(E_POINTER, camera.ProbeFormatSizes(nullptr));

    ASSERT_EQ(S_OK, camera.OpenCamera(1));
    EXPECT_EQ(S_OK, camera.ProbeFrameSize(640, 480, &frameRate));
    EXPECT_GT(frameRate, 0.0);
    EXPECT_EQ(E_FAIL, camera.ProbeFrameSize(642, 480, &frameRate));
    EXPECT_EQ(E_FAIL, camera.ProbeFrameSize(2000, 480, &frameRate));
    EXPECT_EQ(E_POINTER, camera.ProbeFrameSize(640, 480, nullptr));
    // A format the camera does not have: its name is refused.
    CameraFormat bayer(21);
    EXPECT_EQ(E_NOTIMPL, camera.ProbeFormatSizes(&bayer));
    EXPECT_EQ(0u, bayer.sizeCount);
}

TEST_F(CameraFormatsTest, MissingFeatures) {
    LoadProfile(
        TransportBlock("Layer") + CameraBlock("Layer", "NoExposure", "missing_features = ExposureTimeRaw\n") +
        CameraBlock("Layer", "NoLimit",
                    "not_implemented_features = AcquisitionFrameRateEnable, AcquisitionFrameRateAbs\n") +
        CameraBlock("Layer", "NoRate", "missing_features = ResultingFrameRateAbs\n"));
    CKorvelCamera camera;
    // Without ExposureTimeRaw the sizes are probed at the present exposure.
    ASSERT_EQ(S_OK, camera.OpenCamera(0));
    EXPECT_EQ(11u, SizesOf(camera, 15).size());

    // Without a frame-rate limit a requested rate cannot be set, and the call still succeeds.
    ASSERT_EQ(S_OK, camera.OpenCamera(1));
    EXPECT_EQ(11u, SizesOf(camera, 15).size());
    EXPECT_EQ(S_OK, camera.SetCameraFormat(15, 640, 480, 10.0));

    // Without a resulting frame rate nothing is known about the camera's rates.
    EXPECT_EQ(E_FAIL, camera.OpenCamera(2));
    EXPECT_EQ(-1, camera.GetSelectedIndex());
}

}  // namespace
}  // namespace CameraTest
