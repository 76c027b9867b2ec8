// The media types the pins offer and accept: the camera's own format first,
// then every format it converts into, each in both header forms; proposed
// types tested against the camera without changing it; and types whose
// format block is short, lying or describes an absurd picture, refused
// without a read past the block or a huge allocation.
#include "PinTestSupport.h"

#include <amvideo.h>
#include <dvdmedia.h>
#include <uuids.h>
#include <vfwmsgs.h>

#include <vector>

#include "RecordingSink.h"

namespace {

std::vector<MediaTypePtr> OfferedTypes(IPin* pin) {
    std::vector<MediaTypePtr> types;
    IEnumMediaTypes* enumerator = nullptr;
    EXPECT_EQ(S_OK, pin->EnumMediaTypes(&enumerator));
    if (!enumerator) {
        return types;
    }
    AM_MEDIA_TYPE* type = nullptr;
    while (enumerator->Next(1, &type, nullptr) == S_OK) {
        types.emplace_back(type);
    }
    enumerator->Release();
    return types;
}

// The camera's current format as IAMStreamConfig reports it.
MediaTypePtr CameraFormat(IPin* capture) {
    IAMStreamConfig* config = nullptr;
    EXPECT_EQ(S_OK, Query(capture, IID_IAMStreamConfig, &config));
    AM_MEDIA_TYPE* type = nullptr;
    EXPECT_EQ(S_OK, config->GetFormat(&type));
    config->Release();
    return MediaTypePtr(type);
}

}  // namespace

using OfferedMediaTypes = PinTest;

TEST_F(OfferedMediaTypes, CameraFormatFirstThenEveryConversionInBothHeaderForms) {
    const struct {
        std::string profile;
        GUID native;
        size_t count;
    } cameras[] = {{BayerCameraProfile(), kSubtypeBYRG, 38}, {MonoCameraProfile(), kSubtypeY800, 36}};
    for (const auto& camera : cameras) {
        LoadCameras(camera.profile);
        IBaseFilter* source = CreateSource();
        ASSERT_NE(nullptr, source);
        for (const wchar_t* name : {L"Capture", L"Preview"}) {
            SCOPED_TRACE(name);
            IPin* pin = PinOf(source, name);
            const std::vector<MediaTypePtr> types = OfferedTypes(pin);
            ASSERT_EQ(camera.count, types.size());
            EXPECT_EQ(camera.native, types[0]->subtype);
            EXPECT_EQ(camera.native, types[1]->subtype);
            bool rgb24 = false;
            for (size_t position = 0; position < types.size(); ++position) {
                const AM_MEDIA_TYPE& type = *types[position];
                EXPECT_EQ(MEDIATYPE_Video, type.majortype);
                EXPECT_EQ(position % 2 ? FORMAT_VideoInfo2 : FORMAT_VideoInfo, type.formattype);
                const BITMAPINFOHEADER* header = BitmapHeader(type);
                ASSERT_NE(nullptr, header);
                EXPECT_EQ(640, header->biWidth);
                EXPECT_EQ(480, header->biHeight);
                EXPECT_EQ(333333, FrameTimeOf(type));
                rgb24 = rgb24 || type.subtype == MEDIASUBTYPE_RGB24;
                EXPECT_NE(MEDIASUBTYPE_NV12, type.subtype);
            }
            EXPECT_TRUE(rgb24);
            pin->Release();
        }
        EXPECT_EQ(0u, source->Release());
    }
}

TEST_F(OfferedMediaTypes, ProposedTypeIsTestedWithoutChangingTheCamera) {
    IBaseFilter* source = CreateSource();
    ASSERT_NE(nullptr, source);
    IPin* capture = PinOf(source, L"Capture");

    // A smaller size of a converted format and a frame time of 0 (the
    // camera's own rate) are accepted; the camera stays as it was.
    EXPECT_EQ(S_OK, QueryAcceptOf(capture, VideoType(MEDIASUBTYPE_RGB24, 320, 240)));
    EXPECT_EQ(S_OK, QueryAcceptOf(capture, VideoType(MEDIASUBTYPE_YUY2, 640, 480, 0, true)));
    EXPECT_EQ(S_OK, QueryAcceptOf(capture, VideoType(kSubtypeY800, 640, -480)));
    MediaTypePtr camera = CameraFormat(capture);
    EXPECT_EQ(kSubtypeBYRG, camera->subtype);
    EXPECT_EQ(640, BitmapHeader(*camera)->biWidth);
    EXPECT_EQ(480, BitmapHeader(*camera)->biHeight);

    // No routine writes NV12; a size off the camera's increments does not set.
    EXPECT_EQ(S_FALSE, QueryAcceptOf(capture, VideoType(MEDIASUBTYPE_NV12, 640, 480)));
    EXPECT_EQ(S_FALSE, QueryAcceptOf(capture, VideoType(MEDIASUBTYPE_MJPG, 640, 480)));
    EXPECT_EQ(S_FALSE, QueryAcceptOf(capture, VideoType(MEDIASUBTYPE_RGB24, 321, 240)));

    capture->Release();
    EXPECT_EQ(0u, source->Release());
}

TEST_F(OfferedMediaTypes, UnsafeFormatBlocksAndAbsurdSizesAreRefused) {
    IBaseFilter* source = CreateSource();
    ASSERT_NE(nullptr, source);
    IPin* capture = PinOf(source, L"Capture");
    IAMStreamConfig* config = nullptr;
    ASSERT_EQ(S_OK, Query(capture, IID_IAMStreamConfig, &config));
    CRecordingSinkFilter* sink = CRecordingSinkFilter::Create();
    ASSERT_NE(nullptr, sink);
    Graph graph;
    graph.Add(source, L"Source");
    graph.Add(sink->Filter(), L"Sink");

    std::vector<CMediaType> unsafe;
    CMediaType shortBlock = VideoType(MEDIASUBTYPE_RGB24, 640, 480);
    shortBlock.cbFormat = sizeof(VIDEOINFOHEADER) - 1;  // the block claims less than its header
    unsafe.push_back(shortBlock);
    CMediaType wrongForm = VideoType(MEDIASUBTYPE_RGB24, 640, 480);
    wrongForm.formattype = FORMAT_VideoInfo2;  // a VIDEOINFOHEADER block read as the longer form
    unsafe.push_back(wrongForm);
    CMediaType noBlock(&MEDIATYPE_Video);
    noBlock.SetSubtype(&MEDIASUBTYPE_RGB24);
    noBlock.SetFormatType(&FORMAT_VideoInfo);
    unsafe.push_back(noBlock);
    unsafe.push_back(VideoType(MEDIASUBTYPE_RGB24, 0, 480));
    unsafe.push_back(VideoType(MEDIASUBTYPE_RGB24, -640, 480));
    unsafe.push_back(VideoType(MEDIASUBTYPE_RGB24, 640, 0));
    unsafe.push_back(VideoType(MEDIASUBTYPE_RGB24, 640, INT32_MIN));
    unsafe.push_back(VideoType(MEDIASUBTYPE_RGB32, 0x7FFFFFF0, 0x7FFFFFF0));  // beyond 32 bits of bytes
    unsafe.push_back(VideoType(kSubtypeY800, 60000, 60000));                  // clamped by the camera
    unsafe.push_back(VideoType(MEDIASUBTYPE_RGB24, 100000, 480));
    CMediaType hugeBlock = VideoType(MEDIASUBTYPE_RGB24, 640, 480);
    hugeBlock.ReallocFormatBuffer(1 << 20);  // a length no video header needs
    unsafe.push_back(hugeBlock);

    for (size_t index = 0; index < unsafe.size(); ++index) {
        SCOPED_TRACE(index);
        EXPECT_EQ(S_FALSE, capture->QueryAccept(&unsafe[index]));
        EXPECT_EQ(VFW_E_INVALIDMEDIATYPE, config->SetFormat(&unsafe[index]));
        IPin* input = PinOf(sink->Filter(), L"Input");
        EXPECT_TRUE(FAILED(graph.Builder()->ConnectDirect(capture, input, &unsafe[index])));
        input->Release();
    }
    MediaTypePtr camera = CameraFormat(capture);
    EXPECT_EQ(kSubtypeBYRG, camera->subtype);
    EXPECT_EQ(640, BitmapHeader(*camera)->biWidth);

    graph.Clear();
    config->Release();
    capture->Release();
    sink->Release();
    EXPECT_EQ(0u, source->Release());
}

TEST_F(OfferedMediaTypes, ConnectedPinAcceptsOnlyItsOwnType) {
    IBaseFilter* source = CreateSource();
    ASSERT_NE(nullptr, source);
    CRecordingSinkFilter* sink = CRecordingSinkFilter::Create();
    Graph graph;
    graph.Add(source, L"Source");
    graph.Add(sink->Filter(), L"Sink");
    IPin* capture = PinOf(source, L"Capture");
    IPin* input = PinOf(sink->Filter(), L"Input");
    CMediaType rgb24 = VideoType(MEDIASUBTYPE_RGB24, 640, 480);
    ASSERT_EQ(S_OK, graph.Builder()->ConnectDirect(capture, input, &rgb24));

    EXPECT_EQ(S_OK, capture->QueryAccept(&rgb24));
    EXPECT_EQ(S_FALSE, QueryAcceptOf(capture, VideoType(MEDIASUBTYPE_YUY2, 640, 480)));
    EXPECT_EQ(S_FALSE, QueryAcceptOf(capture, VideoType(MEDIASUBTYPE_RGB24, 640, 480, 400000)));
    AM_MEDIA_TYPE connected = {};
    ASSERT_EQ(S_OK, capture->ConnectionMediaType(&connected));
    EXPECT_EQ(MEDIASUBTYPE_RGB24, connected.subtype);
    FreeMediaType(connected);

    // A second pin may take another format of the same camera format, not
    // another camera pixel format.
    IPin* preview = PinOf(source, L"Preview");
    EXPECT_EQ(S_OK, QueryAcceptOf(preview, VideoType(kSubtypeY800, 640, 480)));
    EXPECT_EQ(kSubtypeBYRG, CameraFormat(capture)->subtype);

    graph.Clear();
    preview->Release();
    input->Release();
    capture->Release();
    sink->Release();
    EXPECT_EQ(0u, source->Release());
}
