// Losing the open camera: the "Device Unplugged!" picture, the configuration
// callbacks, the closed camera object and what may race with it.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <thread>

#include "Camera/DeviceLossInfo.h"
#include "GrabTestSupport.h"

namespace CameraTest {
namespace {

using Receiver = RecordingReceiver;
using Calls = std::vector<std::string>;

// The face GDI really uses for "Arial" (Liberation Sans under Wine).
std::string ArialFace() {
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = CreateFontA(64, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
    HGDIOBJ old = SelectObject(dc, font);
    char face[LF_FACESIZE] = {};
    GetTextFaceA(dc, LF_FACESIZE, face);
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
    return face;
}

// Checks a device-lost picture (bottom-up RGB32) and gives the lit pixel count.
void ExpectDeviceLostPicture(const RecordedFrame& frame, uint32_t width, int32_t height) {
    ASSERT_EQ(VideoFormat::RGB32, frame.format);
    ASSERT_EQ(width, frame.width);
    ASSERT_EQ(height, frame.height);
    ASSERT_EQ(width * 4, frame.stride);
    ASSERT_EQ(static_cast<size_t>(width) * 4 * height, frame.pixels.size());

    const std::string face = ArialFace();
    EXPECT_TRUE(face == "Liberation Sans" || face == "Arial") << face;

    size_t lit = 0;
    size_t fullGrey = 0;
    int left = INT32_MAX, right = -1, top = INT32_MAX, bottom = -1;
    bool greyOnly = true;
    for (int32_t row = 0; row < height; ++row) {
        const int32_t y = height - 1 - row;  // the first row in memory is the bottom one
        const uint8_t* line = frame.pixels.data() + static_cast<size_t>(row) * frame.stride;
        for (uint32_t x = 0; x < width; ++x) {
            const uint8_t* pixel = line + x * 4;
            greyOnly =
                greyOnly && pixel[0] == pixel[1] && pixel[1] == pixel[2] && pixel[3] == 0 && pixel[0] <= 220;
            fullGrey += pixel[0] == 220 ? 1 : 0;
            if (pixel[0] >= 110) {
                ++lit;
                left = std::min(left, static_cast<int>(x));
                right = std::max(right, static_cast<int>(x));
                top = std::min(top, static_cast<int>(y));
                bottom = std::max(bottom, static_cast<int>(y));
            }
        }
    }
    EXPECT_TRUE(greyOnly) << "only black, 0xDCDCDC and greys between";
    const int cellHeight = static_cast<int>(width) / 10;
    // Bold strokes of 17 letters at this size light a good share of the box.
    EXPECT_GT(lit, static_cast<size_t>(cellHeight * cellHeight));
    EXPECT_GT(fullGrey, lit / 2);
    ASSERT_GE(right, left);
    // The ink spans most of a cell, never more, and sits in the middle.
    EXPECT_GE(bottom - top + 1, cellHeight / 2);
    EXPECT_LE(bottom - top + 1, cellHeight);
    EXPECT_LT(right - left + 1, static_cast<int>(width));
    EXPECT_GT(right - left + 1, static_cast<int>(width) / 2);
    EXPECT_NEAR((left + right) / 2.0, width / 2.0, width * 0.02);
    EXPECT_NEAR((top + bottom) / 2.0, height / 2.0, cellHeight * 0.25);

    // The right way up: capitals and ascenders fill the top of the ink, only
    // the descenders of "g" and "p" its bottom.
    const int band = (bottom - top + 1) / 4;
    size_t litTop = 0;
    size_t litBottom = 0;
    for (int32_t row = 0; row < height; ++row) {
        const int32_t y = height - 1 - row;
        const uint8_t* line = frame.pixels.data() + static_cast<size_t>(row) * frame.stride;
        for (uint32_t x = 0; x < width; ++x) {
            if (line[x * 4] >= 110) {
                litTop += y < top + band ? 1 : 0;
                litBottom += y > bottom - band ? 1 : 0;
            }
        }
    }
    EXPECT_GT(litTop * 4, litBottom * 5) << litTop << " lit at the top, " << litBottom << " at the bottom";
}

class DeviceLossTest : public GrabTest {
  protected:
    // Waits until the camera object has closed after the loss.
    static bool WaitUntilClosed(CKorvelCamera& camera) {
        return WaitUntil([&] { return camera.GetSelectedIndex() == -1; });
    }

    static void ExpectClosed(CKorvelCamera& camera) {
        BSTR id = nullptr;
        EXPECT_EQ(E_FAIL, camera.GetSelectedCameraID(&id));
        ASSERT_NE(nullptr, id);
        EXPECT_EQ(0u, SysStringLen(id));
        SysFreeString(id);
        long value = 1;
        EXPECT_EQ(E_FAIL, camera.GetDeviceValue(&value));
        EXPECT_EQ(0, value);
        EXPECT_FALSE(camera.IsGrabbing());
        EXPECT_EQ(E_UNEXPECTED, camera.StartGrabbing());
    }
};

// --- The picture ---

TEST(DeviceLossPictureTest, DrawsCentredBoldTextBottomUp) {
    const size_t size = CDeviceLossInfo::PictureSize(640, 480);
    ASSERT_EQ(640u * 480u * 4u, size);
    RecordedFrame frame;
    frame.width = 640;
    frame.height = 480;
    frame.stride = 2560;
    frame.format = VideoFormat::RGB32;
    frame.pixels.assign(size + 16, 0x5A);
    CDeviceLossInfo info;
    ASSERT_EQ(S_OK, info.DrawDeviceLostPicture(frame.pixels.data(), size, 640, 480, 32));
    // Nothing is written past the picture.
    for (size_t i = size; i < frame.pixels.size(); ++i) {
        EXPECT_EQ(0x5A, frame.pixels[i]);
    }
    frame.pixels.resize(size);
    ExpectDeviceLostPicture(frame, 640, 480);
}

TEST(DeviceLossPictureTest, SizeNeverOverflowsAndBadArgumentsWriteNothing) {
    EXPECT_EQ(0u, CDeviceLossInfo::PictureSize(0, 480));
    EXPECT_EQ(0u, CDeviceLossInfo::PictureSize(640, 0));
    EXPECT_EQ(0u, CDeviceLossInfo::PictureSize(-640, 480));
    // 65536 x 65536 x 4 wraps to 0 in 32 bits; here it is simply too big.
    EXPECT_EQ(0u, CDeviceLossInfo::PictureSize(65536, 65536));
    EXPECT_EQ(0u, CDeviceLossInfo::PictureSize(int64_t(1) << 40, 1));
    EXPECT_EQ(16u, CDeviceLossInfo::PictureSize(2, 2));

    uint8_t small[16];
    std::memset(small, 0x5A, sizeof(small));
    CDeviceLossInfo info;
    EXPECT_EQ(E_INVALIDARG, info.DrawDeviceLostPicture(small, sizeof(small), 640, 480));
    EXPECT_EQ(E_INVALIDARG, info.DrawDeviceLostPicture(small, sizeof(small), 0, 0));
    EXPECT_EQ(E_INVALIDARG, info.DrawDeviceLostPicture(nullptr, 0, 2, 2));
    for (uint8_t byte : small) {
        EXPECT_EQ(0x5A, byte);
    }
}

// --- Loss of the open camera ---

TEST_F(DeviceLossTest, UnplugWhileGrabbingSendsOnePictureClosesAndTellsTheCallbacksOnce) {
    Configure(kColourSerial, "width", "640");
    Configure(kColourSerial, "height", "480");
    RecordingCallback* callback = new RecordingCallback;
    {
        CKorvelCamera camera;
        Receiver first;
        Receiver second;
        camera.RegisterSampleOutputCallback(&first);
        camera.RegisterSampleOutputCallback(&second);
        uint32_t cookie = 0;
        ASSERT_EQ(S_OK, camera.AddConfigCallback(callback, &cookie));
        ASSERT_EQ(S_OK, camera.OpenCamera(0));
        ASSERT_EQ(S_OK, camera.StartGrabbing());
        ASSERT_EQ(S_OK, camera.StartAcquisition());
        ASSERT_TRUE(WaitForFrames(first, 5));
        callback->ClearCalls();

        ASSERT_TRUE(Emulator().Unplug(kColourSerial));
        ASSERT_TRUE(WaitUntilClosed(camera));
        ExpectClosed(camera);
        EXPECT_EQ(Calls{"invalid"}, callback->Calls());

        for (Receiver* receiver : {&first, &second}) {
            const std::vector<RecordedFrame> frames = receiver->Frames();
            ASSERT_GE(frames.size(), 6u);
            EXPECT_EQ(1u, receiver->CountOf(VideoFormat::RGB32));
            for (size_t i = 0; i + 1 < frames.size(); ++i) {
                EXPECT_EQ(VideoFormat::BYRG, frames[i].format);
                EXPECT_EQ(640u, frames[i].width);
            }
            ExpectDeviceLostPicture(frames.back(), 640, 480);
        }

        // The other camera opens and grabs as before.
        ASSERT_EQ(S_OK, camera.OpenCamera(1));
        ASSERT_EQ(S_OK, camera.StartGrabbing());
        ASSERT_EQ(S_OK, camera.StartAcquisition());
        const size_t before = second.Count();
        ASSERT_TRUE(WaitForFrames(second, before + 5));
        camera.StopGrabbing();
        const std::vector<RecordedFrame> frames = second.Frames();
        EXPECT_EQ(VideoFormat::Y800, frames.back().format);
        EXPECT_TRUE(frames.back().numberValid);
        EXPECT_EQ(1u, second.CountOf(VideoFormat::RGB32));
        EXPECT_EQ(S_OK, camera.CloseCamera(false));
    }
    callback->Release();
}

TEST_F(DeviceLossTest, UnplugAfterSomeFramesEndsWithThePictureOfTheLastGeometry) {
    CKorvelCamera camera;
    Receiver receiver;
    camera.RegisterSampleOutputCallback(&receiver);
    ASSERT_EQ(S_OK, camera.OpenCamera(1));
    ASSERT_EQ(S_OK, camera.SetCameraFormat(VideoFormat::Y800, 800, 600, 0.0));
    ASSERT_TRUE(Emulator().Unplug(kMonoSerial, 8));
    ASSERT_EQ(S_OK, camera.StartGrabbing());
    ASSERT_EQ(S_OK, camera.StartAcquisition());
    ASSERT_TRUE(WaitUntilClosed(camera));
    ExpectClosed(camera);
    const std::vector<RecordedFrame> frames = receiver.Frames();
    ASSERT_FALSE(frames.empty());
    EXPECT_LE(frames.size(), 9u);
    EXPECT_EQ(1u, receiver.CountOf(VideoFormat::RGB32));
    ExpectDeviceLostPicture(frames.back(), 800, 600);
}

TEST_F(DeviceLossTest, UnplugBeforeAnyGrabGivesAnEmptyPicture) {
    RecordingCallback* callback = new RecordingCallback;
    {
        CKorvelCamera camera;
        Receiver receiver;
        camera.RegisterSampleOutputCallback(&receiver);
        uint32_t cookie = 0;
        ASSERT_EQ(S_OK, camera.AddConfigCallback(callback, &cookie));
        ASSERT_EQ(S_OK, camera.OpenCamera(1));
        callback->ClearCalls();
        ASSERT_TRUE(Emulator().Unplug(kMonoSerial));
        ASSERT_TRUE(WaitUntilClosed(camera));
        ExpectClosed(camera);
        EXPECT_EQ(Calls{"invalid"}, callback->Calls());
        EXPECT_EQ(0u, Emulator().GetLiveDeviceCount());
        const std::vector<RecordedFrame> frames = receiver.Frames();
        ASSERT_EQ(1u, frames.size());
        EXPECT_EQ(VideoFormat::RGB32, frames[0].format);
        EXPECT_EQ(0u, frames[0].width);
        EXPECT_EQ(0, frames[0].height);
        EXPECT_EQ(0u, frames[0].stride);
        EXPECT_TRUE(frames[0].pixels.empty());

        // Back again, the camera opens afresh.
        ASSERT_TRUE(Emulator().Replug(kMonoSerial));
        EXPECT_EQ(S_OK, camera.OpenCamera(1));
    }
    callback->Release();
}

TEST_F(DeviceLossTest, LossOfADeviceThatIsNotTheOpenOneIsIgnored) {
    CKorvelCamera mono;
    CKorvelCamera colour;
    Receiver monoFrames;
    Receiver colourFrames;
    mono.RegisterSampleOutputCallback(&monoFrames);
    colour.RegisterSampleOutputCallback(&colourFrames);
    ASSERT_EQ(S_OK, mono.OpenCamera(1));
    ASSERT_EQ(S_OK, colour.OpenCamera(0));
    for (CKorvelCamera* camera : {&mono, &colour}) {
        ASSERT_EQ(S_OK, camera->StartGrabbing());
        ASSERT_EQ(S_OK, camera->StartAcquisition());
    }
    // Reports for devices this object does not hold change nothing.
    mono.OnDeviceRemoved(nullptr);
    mono.OnDeviceRemoved(OpenDevice(colour));
    EXPECT_EQ(1, mono.GetSelectedIndex());
    EXPECT_TRUE(mono.IsGrabbing());

    ASSERT_TRUE(Emulator().Unplug(kColourSerial));
    ASSERT_TRUE(WaitUntilClosed(colour));
    EXPECT_EQ(1u, colourFrames.CountOf(VideoFormat::RGB32));
    EXPECT_EQ(1, mono.GetSelectedIndex());
    EXPECT_TRUE(mono.IsGrabbing());
    const size_t before = monoFrames.Count();
    ASSERT_TRUE(WaitForFrames(monoFrames, before + 5));
    mono.StopGrabbing();
    EXPECT_EQ(0u, monoFrames.CountOf(VideoFormat::RGB32));
}

TEST_F(DeviceLossTest, LossRacingStopGrabbingOnAnotherThreadDoesNotDeadlock) {
    CKorvelCamera camera;
    Receiver receiver;
    camera.RegisterSampleOutputCallback(&receiver);
    for (int round = 0; round < 8; ++round) {
        ASSERT_EQ(S_OK, camera.OpenCamera(1)) << "round " << round;
        ASSERT_EQ(S_OK, camera.StartGrabbing());
        ASSERT_EQ(S_OK, camera.StartAcquisition());
        const size_t before = receiver.Count();
        ASSERT_TRUE(WaitForFrames(receiver, before + 2));
        std::thread stopper([&] {
            // As a pin does, the camera stays locked around the stop.
            CCameraAutoLock lock(camera.ObjectLock());
            camera.StopGrabbing();
            camera.StopAcquisition();
        });
        ASSERT_TRUE(Emulator().Unplug(kMonoSerial));
        stopper.join();
        ASSERT_TRUE(WaitUntilClosed(camera)) << "round " << round;
        EXPECT_EQ(static_cast<size_t>(round + 1), receiver.CountOf(VideoFormat::RGB32));
        ASSERT_TRUE(Emulator().Replug(kMonoSerial));
    }
}

}  // namespace
}  // namespace CameraTest
