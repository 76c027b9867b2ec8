// The byte layout of every pixel format, checked by comparing the same frame
// (frame 1 of a freshly opened camera, same settings) across formats: each
// format must carry the same picture.
#include <cstdlib>
#include <map>

#include "QuillTestSupport.h"

namespace QuillTest {
namespace {

using namespace Quill;

constexpr int kWidth = 320;
constexpr int kHeight = 240;

class PixelLayoutTest : public QuillTest {
  protected:
    void SetUp() override {
        QuillTest::SetUp();
        for (const char* format : {"Mono8", "BayerRG8", "BayerBG8", "YUV422Packed", "YUV422_YUYV_Packed",
                                   "BGR8Packed", "BGRA8Packed", "YUV411Packed", "Mono12"}) {
            Device device(kColourSerial);
            device.UseSize(kWidth, kHeight, format);
            // Full brightness, so that the values span most of their range.
            device.Float("ExposureTimeAbs")->SetValue(10000.0);
            GrabSession session(device, 1);
            session.Start();
            GrabResult result;
            ASSERT_TRUE(session.Next(result));
            ASSERT_EQ(1u, result.GetFrameNumber());
            const uint8_t* bytes = static_cast<const uint8_t*>(result.Buffer());
            frames_[format].assign(bytes, bytes + result.GetPayloadSize());
        }
    }

    const uint8_t* Frame(const char* format) { return frames_[format].data(); }
    // Red, green or blue (0, 1, 2) of the BGR8Packed frame.
    int Colour(int x, int y, int channel) { return Frame("BGR8Packed")[3 * (y * kWidth + x) + 2 - channel]; }
    int Luma(int x, int y) {
        return (299 * Colour(x, y, 0) + 587 * Colour(x, y, 1) + 114 * Colour(x, y, 2) + 500) / 1000;
    }

    std::map<std::string, std::vector<uint8_t>> frames_;
};

TEST_F(PixelLayoutTest, RgbMonoAndBayerCarryTheSamePicture) {
    const uint8_t* bgra = Frame("BGRA8Packed");
    const uint8_t* mono = Frame("Mono8");
    const uint8_t* mono12 = Frame("Mono12");
    const uint8_t* rggb = Frame("BayerRG8");
    const uint8_t* bggr = Frame("BayerBG8");
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const int i = y * kWidth + x;
            ASSERT_EQ(Colour(x, y, 2), bgra[4 * i]);
            ASSERT_EQ(Colour(x, y, 1), bgra[4 * i + 1]);
            ASSERT_EQ(Colour(x, y, 0), bgra[4 * i + 2]);
            ASSERT_EQ(255, bgra[4 * i + 3]);
            ASSERT_NEAR(Luma(x, y), mono[i], 1);
            const int word = mono12[2 * i] | (mono12[2 * i + 1] << 8);
            ASSERT_LE(word, 4095);
            ASSERT_NEAR(mono[i], word >> 4, 1);
            // Row 0 of RGGB reads R G, row 1 G B; BGGR the other way round.
            const int rggbChannel = (y % 2 == 0) ? (x % 2 == 0 ? 0 : 1) : (x % 2 == 0 ? 1 : 2);
            ASSERT_EQ(Colour(x, y, rggbChannel), rggb[i]) << x << "," << y;
            ASSERT_EQ(Colour(x, y, 2 - rggbChannel), bggr[i]) << x << "," << y;
        }
    }
}

TEST_F(PixelLayoutTest, YuvFormatsCarryTheSamePicture) {
    const uint8_t* uyvy = Frame("YUV422Packed");
    const uint8_t* yuyv = Frame("YUV422_YUYV_Packed");
    const uint8_t* y41p = Frame("YUV411Packed");
    for (int y = 0; y < kHeight; ++y) {
        const uint8_t* uyvyRow = uyvy + y * kWidth * 2;
        const uint8_t* yuyvRow = yuyv + y * kWidth * 2;
        const uint8_t* y41pRow = y41p + y * kWidth * 3 / 2;
        for (int x = 0; x < kWidth; x += 2) {
            // U Y0 V Y1 against Y0 U Y1 V.
            ASSERT_EQ(uyvyRow[2 * x], yuyvRow[2 * x + 1]);
            ASSERT_EQ(uyvyRow[2 * x + 1], yuyvRow[2 * x]);
            ASSERT_EQ(uyvyRow[2 * x + 2], yuyvRow[2 * x + 3]);
            ASSERT_EQ(uyvyRow[2 * x + 3], yuyvRow[2 * x + 2]);
        }
        for (int x = 0; x < kWidth; ++x) {
            // Limited-range luma of the RGB picture; the frame-number blocks
            // alone are full black and white.
            const int luma = Luma(x, y);
            if (luma == 0 || luma == 255) {
                ASSERT_EQ(luma, uyvyRow[2 * x + 1]);
                // Neutral chroma: a block stays black or white in every conversion.
                ASSERT_EQ(128, uyvyRow[4 * (x / 2)]);
                ASSERT_EQ(128, uyvyRow[4 * (x / 2) + 2]);
                continue;
            }
            ASSERT_NEAR(16 + 219 * luma / 255, uyvyRow[2 * x + 1], 2) << x << "," << y;
        }
        for (int group = 0; group < kWidth / 8; ++group) {
            // U0 Y0 V0 Y1 U4 Y2 V4 Y3 Y4 Y5 Y6 Y7; U0/V0 for pixels 0-3, U4/V4 for 4-7.
            const uint8_t* bytes = y41pRow + 12 * group;
            const uint8_t* pairs = uyvyRow + 16 * group;
            const int lumaOffset[8] = {1, 3, 5, 7, 8, 9, 10, 11};
            for (int pixel = 0; pixel < 8; ++pixel) {
                ASSERT_EQ(pairs[2 * pixel + 1], bytes[lumaOffset[pixel]]) << group << "/" << pixel;
            }
            for (int half = 0; half < 2; ++half) {
                const uint8_t* quad = pairs + 8 * half;
                ASSERT_NEAR((quad[0] + quad[4]) / 2.0, bytes[4 * half], 1.5) << "U of group " << group;
                ASSERT_NEAR((quad[2] + quad[6]) / 2.0, bytes[4 * half + 2], 1.5) << "V of group " << group;
            }
        }
    }
}

}  // namespace
}  // namespace QuillTest
