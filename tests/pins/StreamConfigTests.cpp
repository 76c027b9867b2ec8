// IAMStreamConfig on the capture pin: the capability list, the camera's own
// format, and format selection before connection (switching the camera's
// pixel format) and with reconnection.
#include "PinTestSupport.h"

#include <amvideo.h>
#include <uuids.h>
#include <vfwmsgs.h>

#include "RecordingSink.h"

namespace {

MediaTypePtr FirstOffered(IPin* pin) {
    IEnumMediaTypes* enumerator = nullptr;
    EXPECT_EQ(S_OK, pin->EnumMediaTypes(&enumerator));
    AM_MEDIA_TYPE* type = nullptr;
    EXPECT_EQ(S_OK, enumerator->Next(1, &type, nullptr));
    enumerator->Release();
    return MediaTypePtr(type);
}

MediaTypePtr Format(IAMStreamConfig* config) {
    AM_MEDIA_TYPE* type = nullptr;
    EXPECT_EQ(S_OK, config->GetFormat(&type));
    return MediaTypePtr(type);
}

}  // namespace

class StreamConfig : public PinTest {
  protected:
    void SetUp() override {
        PinTest::SetUp();
        source = CreateSource();
        ASSERT_NE(nullptr, source);
        capture = PinOf(source, L"Capture");
        ASSERT_EQ(S_OK, Query(capture, IID_IAMStreamConfig, &config));
    }
    void TearDown() override {
        if (config) {
            config->Release();
        }
        if (capture) {
            capture->Release();
        }
        if (source) {
            EXPECT_EQ(0u, source->Release());
        }
        PinTest::TearDown();
    }

    IBaseFilter* source = nullptr;
    IPin* capture = nullptr;
    IAMStreamConfig* config = nullptr;
};

TEST_F(StreamConfig, ListsEveryCameraFormatAndSizeWithItsCapabilities) {
    int count = 0;
    int size = 0;
    ASSERT_EQ(S_OK, config->GetNumberOfCapabilities(&count, &size));
    EXPECT_EQ(128, size);
    ASSERT_GT(count, 2);
    // Y800 (Mono8) has the lower id and comes first, then the Bayer format,
    // each from its largest size down.
    GUID previousSubtype = GUID_NULL;
    int formats = 0;
    for (int index = 0; index < count; ++index) {
        SCOPED_TRACE(index);
        AM_MEDIA_TYPE* type = nullptr;
        VIDEO_STREAM_CONFIG_CAPS caps = {};
        // Exactly S_OK for every index: some clients accept nothing else.
        ASSERT_EQ(S_OK, config->GetStreamCaps(index, &type, reinterpret_cast<BYTE*>(&caps)));
        MediaTypePtr owned(type);
        EXPECT_EQ(FORMAT_VideoInfo, type->formattype);
        EXPECT_TRUE(type->subtype == kSubtypeY800 || type->subtype == kSubtypeBYRG);
        if (type->subtype != previousSubtype) {
            EXPECT_EQ(640, BitmapHeader(*type)->biWidth) << "a format's list starts at the maximum size";
            previousSubtype = type->subtype;
            ++formats;
        }
        const BITMAPINFOHEADER* header = BitmapHeader(*type);
        EXPECT_EQ(FORMAT_VideoInfo, caps.guid);
        EXPECT_EQ(header->biWidth, caps.MinOutputSize.cx);
        EXPECT_EQ(header->biHeight, caps.MaxOutputSize.cy);
        EXPECT_EQ(header->biWidth, caps.InputSize.cx);
        EXPECT_EQ(FrameTimeOf(*type), caps.MinFrameInterval);
        EXPECT_GT(caps.MinFrameInterval, 0);
        EXPECT_EQ(10000000, caps.MaxFrameInterval);
    }
    EXPECT_EQ(2, formats);
    AM_MEDIA_TYPE* type = nullptr;
    VIDEO_STREAM_CONFIG_CAPS caps = {};
    EXPECT_EQ(E_INVALIDARG, config->GetStreamCaps(count, &type, reinterpret_cast<BYTE*>(&caps)));
    EXPECT_EQ(nullptr, type);
    EXPECT_EQ(E_INVALIDARG, config->GetStreamCaps(-1, &type, reinterpret_cast<BYTE*>(&caps)));
    EXPECT_EQ(E_INVALIDARG, config->GetStreamCaps(0, nullptr, reinterpret_cast<BYTE*>(&caps)));
    EXPECT_EQ(E_INVALIDARG, config->GetStreamCaps(0, &type, nullptr));
    EXPECT_EQ(E_INVALIDARG, config->GetFormat(nullptr));
}

TEST_F(StreamConfig, SetFormatBeforeConnectionSwitchesTheCameraPixelFormat) {
    MediaTypePtr initial = Format(config);
    EXPECT_EQ(kSubtypeBYRG, initial->subtype);

    // Another pixel format of the camera at another size: the camera switches
    // and the pins offer it first.
    ASSERT_EQ(S_OK, SetFormatTo(config, VideoType(kSubtypeY800, 320, 240)));
    MediaTypePtr now = Format(config);
    EXPECT_EQ(kSubtypeY800, now->subtype);
    EXPECT_EQ(320, BitmapHeader(*now)->biWidth);
    EXPECT_EQ(240, BitmapHeader(*now)->biHeight);
    EXPECT_EQ(kSubtypeY800, FirstOffered(capture)->subtype);

    // A format the camera lacks but converts into keeps the pixel format.
    ASSERT_EQ(S_OK, SetFormatTo(config, VideoType(MEDIASUBTYPE_RGB24, 640, 480)));
    now = Format(config);
    EXPECT_EQ(kSubtypeY800, now->subtype);
    EXPECT_EQ(640, BitmapHeader(*now)->biWidth);

    // Null: the lowest format id at its largest size.
    ASSERT_EQ(S_OK, SetFormatTo(config, VideoType(kSubtypeBYRG, 320, 240)));
    EXPECT_EQ(kSubtypeBYRG, Format(config)->subtype);
    ASSERT_EQ(S_OK, config->SetFormat(nullptr));
    now = Format(config);
    EXPECT_EQ(kSubtypeY800, now->subtype);
    EXPECT_EQ(640, BitmapHeader(*now)->biWidth);
    EXPECT_EQ(480, BitmapHeader(*now)->biHeight);
}

TEST_F(StreamConfig, SetFormatReconnectsConnectedPinsWhoseSinkAccepts) {
    CRecordingSinkFilter* anySink = CRecordingSinkFilter::Create();
    RecordingSinkOptions rgbOnly;
    rgbOnly.onlySubtype = MEDIASUBTYPE_RGB24;
    CRecordingSinkFilter* rgbSink = CRecordingSinkFilter::Create(rgbOnly);
    Graph graph;
    graph.Add(source, L"Source");
    graph.Add(anySink->Filter(), L"Capture sink");
    graph.Add(rgbSink->Filter(), L"Preview sink");
    IPin* preview = PinOf(source, L"Preview");
    IPin* captureInput = PinOf(anySink->Filter(), L"Input");
    IPin* previewInput = PinOf(rgbSink->Filter(), L"Input");
    CMediaType rgb24 = VideoType(MEDIASUBTYPE_RGB24, 640, 480);
    ASSERT_EQ(S_OK, graph.Builder()->ConnectDirect(capture, captureInput, &rgb24));
    ASSERT_EQ(S_OK, graph.Builder()->ConnectDirect(preview, previewInput, &rgb24));

    // The capture pin's sink takes YUY2 and is reconnected; the preview
    // pin's takes only RGB24 and keeps its connection.
    CMediaType yuy2 = VideoType(MEDIASUBTYPE_YUY2, 640, 480);
    EXPECT_EQ(S_OK, config->SetFormat(&yuy2));
    AM_MEDIA_TYPE connected = {};
    ASSERT_EQ(S_OK, capture->ConnectionMediaType(&connected));
    EXPECT_EQ(MEDIASUBTYPE_YUY2, connected.subtype);
    FreeMediaType(connected);
    ASSERT_EQ(S_OK, preview->ConnectionMediaType(&connected));
    EXPECT_EQ(MEDIASUBTYPE_RGB24, connected.subtype);
    FreeMediaType(connected);
    // The camera keeps its own format; GetFormat reports it, not the
    // connected conversion.
    EXPECT_EQ(kSubtypeBYRG, Format(config)->subtype);

    EXPECT_EQ(VFW_E_INVALIDMEDIATYPE, config->SetFormat(nullptr));
    EXPECT_EQ(VFW_E_INVALIDMEDIATYPE, SetFormatTo(config, VideoType(MEDIASUBTYPE_NV12, 640, 480)));
    // A size change would alter the picture the other pin converts.
    EXPECT_EQ(VFW_E_INVALIDMEDIATYPE, SetFormatTo(config, VideoType(MEDIASUBTYPE_YUY2, 320, 240)));

    ASSERT_EQ(S_OK, graph.Control()->Run());
    EXPECT_EQ(VFW_E_WRONG_STATE, config->SetFormat(&yuy2));
    EXPECT_EQ(S_OK, graph.Control()->Stop());

    graph.Clear();
    previewInput->Release();
    captureInput->Release();
    preview->Release();
    rgbSink->Release();
    anySink->Release();
}
