// A real Wine graph records from both pins while the emulated camera is
// unplugged: each pin ends with the "Device Unplugged!" picture, the
// configuration callbacks and the controls learn of the loss once, the graph
// stops within its bounded waits, and after the other camera is selected and
// the graph restarted, frames flow again.
#include "ControlTestSupport.h"

#include <qedit.h>
#include <uuids.h>

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <vector>

#include "quill/EmulationControl.h"
#include "quill/TestPattern.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr size_t kPictureBytes = size_t(kWidth) * kHeight * 4;

// The picture as the grabber keeps it: bottom-up RGB32.
typedef std::vector<BYTE> Picture;

int LumaAt(const Picture& picture, int x, int y) {
    const BYTE* pixel = &picture[(size_t(kHeight - 1 - y) * kWidth + x) * 4];
    return (pixel[0] * 29 + pixel[1] * 150 + pixel[2] * 77) >> 8;
}

Quill::Pattern::FrameNumberReading FrameNumberOf(const Picture& picture) {
    if (picture.size() != kPictureBytes) {
        return Quill::Pattern::FrameNumberReading();
    }
    return Quill::Pattern::ReadFrameNumber(kWidth, kHeight,
                                           [&picture](int x, int y) { return LumaAt(picture, x, y); });
}

// The lost-device picture drawn here independently with GDI: black, the text
// in bold Arial of cell height width / 10, light grey, centred, bottom-up.
Picture ReferenceLostPicture() {
    Picture picture(kPictureBytes, 0);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = kHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC dc = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dc || !bitmap || !bits) {
        ADD_FAILURE() << "GDI could not make the reference picture";
        if (bitmap) {
            DeleteObject(bitmap);
        }
        if (dc) {
            DeleteDC(dc);
        }
        return picture;
    }
    memset(bits, 0, kPictureBytes);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    SelectObject(dc, GetStockObject(BLACK_PEN));
    RECT all = {0, 0, kWidth, kHeight};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    HFONT font =
        CreateFontA(kWidth / 10, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkColor(dc, RGB(0, 0, 0));
    SetTextColor(dc, RGB(220, 220, 220));
    const char text[] = "Device Unplugged!";
    RECT measured = {0, 0, 0, 0};
    DrawTextA(dc, text, -1, &measured, DT_CALCRECT);
    const int textWidth = measured.right - measured.left;
    const int textHeight = measured.bottom - measured.top;
    RECT place;
    place.left = (kWidth - textWidth) / 2;
    place.top = (kHeight - textHeight) / 2;
    place.right = place.left + textWidth;
    place.bottom = place.top + textHeight;
    DrawTextA(dc, text, -1, &place, DT_CENTER);
    GdiFlush();
    memcpy(picture.data(), bits, kPictureBytes);
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(font);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return picture;
}

// Bounds (top-down) of the pixels that are not black.
struct LitBounds {
    int left = kWidth, top = kHeight, right = -1, bottom = -1;
    size_t count = 0;
    int brightest = 0;
    bool neutral = true;  // every lit pixel grey (blue = green = red)
};

LitBounds BoundsOf(const Picture& picture) {
    LitBounds bounds;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const BYTE* pixel = &picture[(size_t(kHeight - 1 - y) * kWidth + x) * 4];
            if (pixel[0] == 0 && pixel[1] == 0 && pixel[2] == 0) {
                continue;
            }
            ++bounds.count;
            bounds.neutral = bounds.neutral && pixel[0] == pixel[1] && pixel[1] == pixel[2];
            bounds.brightest = std::max<int>(bounds.brightest, pixel[1]);
            bounds.left = std::min(bounds.left, x);
            bounds.right = std::max(bounds.right, x);
            bounds.top = std::min(bounds.top, y);
            bounds.bottom = std::max(bounds.bottom, y);
        }
    }
    return bounds;
}

// Pixels whose blue, green or red differ (the fourth byte is not compared).
size_t DifferingPixels(const Picture& a, const Picture& b) {
    if (a.size() != kPictureBytes || b.size() != kPictureBytes) {
        return kPictureBytes;
    }
    size_t differing = 0;
    for (size_t index = 0; index < kPictureBytes; index += 4) {
        if (a[index] != b[index] || a[index + 1] != b[index + 1] || a[index + 2] != b[index + 2]) {
            ++differing;
        }
    }
    return differing;
}

class UnplugGraphTest : public ControlTest {
  protected:
    void SetUp() override {
        ControlTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        graph = std::make_unique<Graph>();
        source = CreateSource();
        ASSERT_NE(nullptr, source);
        graph->Add(source, L"Source");
        const wchar_t* names[] = {L"Capture", L"Preview"};
        for (int index = 0; index < 2; ++index) {
            grabberFilters[index] = CreateSystemFilter(kSampleGrabber);
            renderers[index] = CreateSystemFilter(kNullRenderer);
            ASSERT_NE(nullptr, grabberFilters[index]);
            ASSERT_NE(nullptr, renderers[index]);
            graph->Add(grabberFilters[index], index == 0 ? L"Capture grabber" : L"Preview grabber");
            graph->Add(renderers[index], index == 0 ? L"Capture renderer" : L"Preview renderer");
            ASSERT_EQ(S_OK, Query(grabberFilters[index], IID_ISampleGrabber, &grabbers[index]));
            AM_MEDIA_TYPE wanted = {};
            wanted.majortype = MEDIATYPE_Video;
            wanted.subtype = MEDIASUBTYPE_RGB32;
            wanted.formattype = FORMAT_VideoInfo;
            ASSERT_EQ(S_OK, grabbers[index]->SetMediaType(&wanted));
            ASSERT_EQ(S_OK, grabbers[index]->SetBufferSamples(TRUE));
            sourcePins[index] = PinOf(source, names[index]);
            grabberInputs[index] = PinOfDirection(grabberFilters[index], PINDIR_INPUT);
            IPin* grabberOutput = PinOfDirection(grabberFilters[index], PINDIR_OUTPUT);
            IPin* rendererInput = PinOfDirection(renderers[index], PINDIR_INPUT);
            ASSERT_NE(nullptr, sourcePins[index]);
            ASSERT_NE(nullptr, grabberInputs[index]);
            ASSERT_NE(nullptr, grabberOutput);
            ASSERT_NE(nullptr, rendererInput);
            ASSERT_EQ(S_OK,
                      graph->Builder()->ConnectDirect(sourcePins[index], grabberInputs[index], nullptr));
            EXPECT_EQ(S_OK, graph->Builder()->ConnectDirect(grabberOutput, rendererInput, nullptr));
            grabberOutput->Release();
            rendererInput->Release();
        }
    }
    void TearDown() override {
        if (graph) {
            graph->Clear();
        }
        for (int index = 0; index < 2; ++index) {
            for (IUnknown* object :
                 std::initializer_list<IUnknown*>{sourcePins[index], grabberInputs[index], grabbers[index],
                                                  grabberFilters[index], renderers[index]}) {
                if (object) {
                    object->Release();
                }
            }
        }
        if (source) {
            EXPECT_EQ(0u, source->Release());
        }
        graph.reset();
        ControlTest::TearDown();
    }

    static IPin* PinOfDirection(IBaseFilter* filter, PIN_DIRECTION wanted) {
        IEnumPins* pins = nullptr;
        if (FAILED(filter->EnumPins(&pins))) {
            return nullptr;
        }
        IPin* found = nullptr;
        IPin* pin = nullptr;
        while (!found && pins->Next(1, &pin, nullptr) == S_OK) {
            PIN_DIRECTION direction;
            if (SUCCEEDED(pin->QueryDirection(&direction)) && direction == wanted) {
                found = pin;
            } else {
                pin->Release();
            }
        }
        pins->Release();
        return found;
    }

    // The newest picture a grabber kept (empty when none yet).
    Picture CurrentPicture(int index) {
        long size = 0;
        if (grabbers[index]->GetCurrentBuffer(&size, nullptr) != S_OK || size <= 0) {
            return Picture();
        }
        Picture picture(static_cast<size_t>(size));
        if (grabbers[index]->GetCurrentBuffer(&size, reinterpret_cast<long*>(picture.data())) != S_OK) {
            return Picture();
        }
        picture.resize(static_cast<size_t>(size));
        return picture;
    }

    // Waits until every grabber's newest picture satisfies the condition.
    template <typename Condition>
    bool WaitForPictures(Condition condition, DWORD timeoutMs) {
        const DWORD start = GetTickCount();
        for (;;) {
            bool all = true;
            for (int index = 0; index < 2 && all; ++index) {
                all = condition(CurrentPicture(index));
            }
            if (all) {
                return true;
            }
            if (GetTickCount() - start > timeoutMs) {
                return false;
            }
            Sleep(50);
        }
    }

    std::unique_ptr<Graph> graph;
    IBaseFilter* source = nullptr;
    IBaseFilter* grabberFilters[2] = {};
    IBaseFilter* renderers[2] = {};
    ISampleGrabber* grabbers[2] = {};
    IPin* sourcePins[2] = {};
    IPin* grabberInputs[2] = {};
};

bool CarriesFrameNumber(const Picture& picture) {
    return FrameNumberOf(picture).Agree();
}

// A camera frame, and not the lost-device picture (whose black blocks read as
// frame number 0).
bool IsCameraFrame(const Picture& picture, const Picture& lostPicture) {
    return CarriesFrameNumber(picture) && DifferingPixels(picture, lostPicture) > 0;
}

TEST_F(UnplugGraphTest, UnpluggedCameraSendsItsPictureOnEveryPinAndTheOtherCameraStreamsAfter) {
    const Picture reference = ReferenceLostPicture();
    const LitBounds referenceBounds = BoundsOf(reference);
    ASSERT_GT(referenceBounds.count, 500u) << "the reference text was not drawn";

    IKorvelGenICamConfigControl* config = nullptr;
    ASSERT_EQ(S_OK, Query(source, IID_IKorvelGenICamConfigControl, &config));
    CountingCallback* counter = new CountingCallback();
    LONG cookie = -1;
    ASSERT_EQ(S_OK, config->SetConfigCallback(counter, &cookie));
    IAMCameraControl* camera = nullptr;
    ASSERT_EQ(S_OK, Query(source, IID_IAMCameraControl, &camera));
    long exposure = 0, flags = 0;
    EXPECT_EQ(S_OK, camera->Get(CameraControl_Exposure, &exposure, &flags));

    // Streaming from both pins.
    ASSERT_TRUE(SUCCEEDED(graph->Control()->Run()));
    EXPECT_TRUE(WaitForPictures(
        [&reference](const Picture& picture) { return IsCameraFrame(picture, reference); }, 15000))
        << "no camera frames before the unplug";

    ASSERT_TRUE(Quill::Emulation::GetEmulationControl().Unplug("P1"));
    const bool lostPictureSeen = WaitForPictures(
        [&reference](const Picture& picture) { return DifferingPixels(picture, reference) == 0; }, 15000);
    EXPECT_TRUE(lostPictureSeen);
    for (int index = 0; index < 2; ++index) {
        SCOPED_TRACE(index == 0 ? "Capture" : "Preview");
        const Picture picture = CurrentPicture(index);
        ASSERT_EQ(kPictureBytes, picture.size());
        EXPECT_EQ(0u, DifferingPixels(picture, reference));
        // The text itself: light grey on black, centred, upright.
        const LitBounds bounds = BoundsOf(picture);
        EXPECT_GT(bounds.count, 500u);
        EXPECT_TRUE(bounds.neutral);
        EXPECT_EQ(220, bounds.brightest);
        EXPECT_GT(bounds.right - bounds.left, kWidth / 2);
        EXPECT_LE(bounds.bottom - bounds.top + 1, kWidth / 10);
        EXPECT_GE(bounds.bottom - bounds.top + 1, kWidth / 40);
        EXPECT_NEAR((bounds.left + bounds.right) / 2, kWidth / 2, 12);
        EXPECT_NEAR((bounds.top + bounds.bottom) / 2, kHeight / 2, 12);
        // Upright: the descenders of "g" and "p" reach below the base line,
        // so the text's lower rows are lit in fewer columns than its middle.
        int middleLit = 0, lowestLit = 0;
        const int middle = (bounds.top + bounds.bottom) / 2;
        for (int x = 0; x < kWidth; ++x) {
            middleLit += LumaAt(picture, x, middle) > 0;
            lowestLit += LumaAt(picture, x, bounds.bottom) > 0;
        }
        EXPECT_GT(middleLit, lowestLit * 3);
        // Its frame-number blocks, if any read, are all black.
        const Quill::Pattern::FrameNumberReading reading = FrameNumberOf(picture);
        EXPECT_FALSE(reading.topValid && reading.top != 0);
    }
    // The loss reaches the callbacks once (the camera closes right after it
    // sends the picture) and leaves the controls without a device.
    for (int attempt = 0; attempt < 100 && counter->InvalidCount() == 0; ++attempt) {
        Sleep(50);
    }
    EXPECT_EQ(1, counter->InvalidCount());
    EXPECT_EQ(E_FAIL, camera->Get(CameraControl_Exposure, &exposure, &flags));

    // The graph stops within its bounded waits.
    const DWORD stopStart = GetTickCount();
    graph->Control()->Stop();
    EXPECT_LT(GetTickCount() - stopStart, 10000u);
    OAFilterState state = State_Running;
    EXPECT_EQ(S_OK, graph->Control()->GetState(0, &state));
    EXPECT_EQ(State_Stopped, state);
    EXPECT_EQ(1, counter->InvalidCount());
    EXPECT_EQ(0, counter->ValidCount());

    // The other camera, after the pins are disconnected (a connected capture
    // pin keeps the camera), then connected and run again.
    for (int index = 0; index < 2; ++index) {
        EXPECT_EQ(S_OK, graph->Builder()->Disconnect(sourcePins[index]));
        EXPECT_EQ(S_OK, graph->Builder()->Disconnect(grabberInputs[index]));
    }
    EXPECT_EQ(1, counter->InvalidCount());
    IKorvelGenICamSource* selection = nullptr;
    ASSERT_EQ(S_OK, Query(source, IID_IKorvelGenICamSource, &selection));
    BSTR other = SysAllocString(CameraIdOf(source, "P2").c_str());
    EXPECT_EQ(S_OK, selection->SelectCamera(other));
    SysFreeString(other);
    selection->Release();
    // Opening a camera closes the current one first, which tells the
    // callbacks DeviceInvalid again even though none was open.
    EXPECT_EQ(2, counter->InvalidCount());
    EXPECT_EQ(1, counter->ValidCount());
    EXPECT_NE(0, counter->LastDevice());
    EXPECT_EQ(S_OK, camera->Get(CameraControl_Exposure, &exposure, &flags));
    for (int index = 0; index < 2; ++index) {
        ASSERT_EQ(S_OK, graph->Builder()->ConnectDirect(sourcePins[index], grabberInputs[index], nullptr));
    }
    ASSERT_TRUE(SUCCEEDED(graph->Control()->Run()));
    EXPECT_TRUE(WaitForPictures(
        [&reference](const Picture& picture) { return IsCameraFrame(picture, reference); }, 15000))
        << "no frames from the other camera";
    EXPECT_EQ(S_OK, graph->Control()->Stop());
    EXPECT_EQ(2, counter->InvalidCount());
    EXPECT_EQ(1, counter->ValidCount());

    EXPECT_EQ(S_OK, config->RemoveCallback(cookie));
    EXPECT_EQ(2u, counter->AddRef());  // ours and this one: the filter gave its reference back
    counter->Release();
    counter->Release();
    camera->Release();
    config->Release();
}

}  // namespace
