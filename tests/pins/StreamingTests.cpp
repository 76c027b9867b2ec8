// Frames through real graphs: delivered samples carry the camera's picture
// the right way up in the connected format, evenly spaced synthetic time
// stamps from 0 on every activation, media times counting frames, and each
// pin its own sequence; quality messages shift the stamps; statistics count;
// state changes and disconnection behave.
#include "PinTestSupport.h"

#include <qedit.h>
#include <uuids.h>
#include <vfwmsgs.h>

#include <memory>
#include <vector>

#include "RecordingSink.h"
#include "quill/EmulationControl.h"

namespace {

constexpr DWORD kSampleWaitMs = 15000;
constexpr REFERENCE_TIME kFrameTime = 333333;  // 30 frames per second

// The checks every recorded run must pass: stamps from 0 spaced by the frame
// time, media times 0-1, 1-2, ..., the connection's format, frames upright
// with increasing numbers.
void ExpectEvenStream(const std::vector<RecordedSample>& samples, const GUID& subtype) {
    ASSERT_FALSE(samples.empty());
    for (size_t index = 0; index < samples.size(); ++index) {
        SCOPED_TRACE(index);
        const RecordedSample& sample = samples[index];
        EXPECT_EQ(S_OK, sample.timeResult);
        EXPECT_EQ(REFERENCE_TIME(index) * kFrameTime, sample.start);
        EXPECT_EQ(sample.start + kFrameTime, sample.stop);
        EXPECT_EQ(S_OK, sample.mediaTimeResult);
        EXPECT_EQ(LONGLONG(index), sample.mediaStart);
        EXPECT_EQ(LONGLONG(index) + 1, sample.mediaStop);
        EXPECT_EQ(subtype, sample.subtype);
        EXPECT_TRUE(sample.frameNumberRead);
        EXPECT_GT(sample.topLuma, sample.bottomLuma) << "the picture is upside down";
        if (index > 0 && sample.frameNumberRead && samples[index - 1].frameNumberRead) {
            EXPECT_GT(sample.frameNumber, samples[index - 1].frameNumber);
        }
    }
}

}  // namespace

class Streaming : public PinTest {
  protected:
    // The source and a recording sink on each pin named, connected with the
    // given types, in one graph->
    void Build(const std::vector<GUID>& subtypes,
               const RecordingSinkOptions& options = RecordingSinkOptions()) {
        source = CreateSource();
        ASSERT_NE(nullptr, source);
        graph->Add(source, L"Source");
        const wchar_t* names[] = {L"Capture", L"Preview"};
        for (size_t index = 0; index < subtypes.size(); ++index) {
            sinks.push_back(CRecordingSinkFilter::Create(options));
            graph->Add(sinks.back()->Filter(), names[index]);
            pins.push_back(PinOf(source, names[index]));
            IPin* input = PinOf(sinks.back()->Filter(), L"Input");
            CMediaType type = VideoType(subtypes[index], 640, 480);
            EXPECT_EQ(S_OK, graph->Builder()->ConnectDirect(pins.back(), input, &type));
            input->Release();
        }
    }
    // Releases the graph's filters and the source.
    void Dismantle() {
        graph->Clear();
        for (IPin* pin : pins) {
            pin->Release();
        }
        for (CRecordingSinkFilter* sink : sinks) {
            sink->Release();
        }
        pins.clear();
        sinks.clear();
        if (source) {
            EXPECT_EQ(0u, source->Release());
            source = nullptr;
        }
    }
    void SetUp() override {
        PinTest::SetUp();
        graph = std::make_unique<Graph>();
    }
    void TearDown() override {
        Dismantle();
        graph.reset();
        PinTest::TearDown();
    }
    // Runs until every sink has count samples, then stops.
    void Record(size_t count) {
        for (CRecordingSinkFilter* sink : sinks) {
            sink->Pin()->Clear();
        }
        ASSERT_TRUE(SUCCEEDED(graph->Control()->Run()));
        for (CRecordingSinkFilter* sink : sinks) {
            EXPECT_TRUE(sink->Pin()->WaitForSamples(count, kSampleWaitMs));
        }
        EXPECT_EQ(S_OK, graph->Control()->Stop());
    }

    std::unique_ptr<Graph> graph;  // made once COM is initialised
    IBaseFilter* source = nullptr;
    std::vector<CRecordingSinkFilter*> sinks;
    std::vector<IPin*> pins;
};

TEST_F(Streaming, EveryOfferedClientFormatCarriesThePicture) {
    for (const std::string& profile : {BayerCameraProfile(), MonoCameraProfile()}) {
        LoadCameras(profile);
        for (const GUID& subtype : {MEDIASUBTYPE_YUY2, MEDIASUBTYPE_UYVY, kSubtypeI420, MEDIASUBTYPE_RGB24,
                                    MEDIASUBTYPE_RGB32, kSubtypeY800}) {
            SCOPED_TRACE(testing::Message()
                         << profile.substr(profile.find("pixel_formats")) << " to " << subtype.Data1);
            Dismantle();
            Build({subtype});
            Record(5);
            ExpectEvenStream(sinks[0]->Pin()->Samples(), subtype);
        }
    }
}

TEST_F(Streaming, BothPinsDeliverTheirOwnFormatAndTimeStamps) {
    // A sink without an allocator of its own, asking for a prefix and an
    // alignment, as the AVI mux and ffmpeg's sink do.
    Build({MEDIASUBTYPE_RGB24, kSubtypeY800});
    const ALLOCATOR_PROPERTIES notified = sinks[0]->Pin()->Notified();
    EXPECT_EQ(1, notified.cBuffers);
    EXPECT_EQ(640 * 480 * 3, notified.cbBuffer);
    EXPECT_EQ(8, notified.cbPrefix);
    EXPECT_EQ(16, notified.cbAlign);

    Record(10);
    ExpectEvenStream(sinks[0]->Pin()->Samples(), MEDIASUBTYPE_RGB24);
    ExpectEvenStream(sinks[1]->Pin()->Samples(), kSubtypeY800);

    IAMDroppedFrames* dropped = nullptr;
    ASSERT_EQ(S_OK, Query(pins[0], IID_IAMDroppedFrames, &dropped));
    LONG delivered = 0;
    EXPECT_EQ(S_OK, dropped->GetNumNotDropped(&delivered));
    EXPECT_GE(delivered, 10);
    LONG size = 0;
    EXPECT_EQ(S_OK, dropped->GetAverageFrameSize(&size));
    EXPECT_EQ(640 * 480 * 3, size);
    dropped->Release();
}

TEST_F(Streaming, StateCyclesRestartTheStampsAndDisconnectionWaitsForStop) {
    Build({MEDIASUBTYPE_RGB24, kSubtypeY800});
    for (int cycle = 0; cycle < 3; ++cycle) {
        SCOPED_TRACE(cycle);
        // Paused, a live source already delivers; it cannot cue.
        sinks[0]->Pin()->Clear();
        ASSERT_TRUE(SUCCEEDED(graph->Control()->Pause()));
        FILTER_STATE state = State_Stopped;
        EXPECT_EQ(VFW_S_CANT_CUE, source->GetState(0, &state));
        EXPECT_TRUE(sinks[0]->Pin()->WaitForSamples(2, kSampleWaitMs));
        ASSERT_TRUE(SUCCEEDED(graph->Control()->Run()));
        EXPECT_TRUE(sinks[0]->Pin()->WaitForSamples(4, kSampleWaitMs));
        EXPECT_EQ(VFW_E_NOT_STOPPED, pins[0]->Disconnect());
        EXPECT_EQ(S_OK, graph->Control()->Stop());
        ExpectEvenStream(sinks[0]->Pin()->Samples(), MEDIASUBTYPE_RGB24);
    }

    // The preview pin goes; the capture pin keeps its frames.
    IPin* input = nullptr;
    ASSERT_EQ(S_OK, pins[1]->ConnectedTo(&input));
    EXPECT_EQ(S_OK, graph->Builder()->Disconnect(pins[1]));
    EXPECT_EQ(S_OK, graph->Builder()->Disconnect(input));
    input->Release();
    EXPECT_EQ(S_OK, graph->Builder()->RemoveFilter(sinks.back()->Filter()));
    sinks.back()->Release();
    sinks.pop_back();
    Record(5);
    ExpectEvenStream(sinks[0]->Pin()->Samples(), MEDIASUBTYPE_RGB24);
}

TEST_F(Streaming, QualityMessagesShiftAndSpreadTheTimeStamps) {
    Build({MEDIASUBTYPE_RGB24});
    IQualityControl* quality = nullptr;
    ASSERT_EQ(S_OK, Query(pins[0], IID_IQualityControl, &quality));
    CRecordingSinkPin* sink = sinks[0]->Pin();
    ASSERT_TRUE(SUCCEEDED(graph->Control()->Run()));
    ASSERT_TRUE(sink->WaitForSamples(3, kSampleWaitMs));

    Quality late = {Famine, 1000, 200000, 0};
    EXPECT_EQ(S_OK, quality->Notify(source, late));
    size_t mark = sink->Samples().size();
    ASSERT_TRUE(sink->WaitForSamples(mark + 3, kSampleWaitMs));
    Quality slower = {Famine, 500, 0, 0};  // half the rate: twice the spacing
    EXPECT_EQ(S_OK, quality->Notify(source, slower));
    mark = sink->Samples().size();
    ASSERT_TRUE(sink->WaitForSamples(mark + 3, kSampleWaitMs));
    Quality faster = {Flood, 4000, 0, 0};  // never closer than the frame time
    EXPECT_EQ(S_OK, quality->Notify(source, faster));
    mark = sink->Samples().size();
    ASSERT_TRUE(sink->WaitForSamples(mark + 3, kSampleWaitMs));
    EXPECT_EQ(S_OK, graph->Control()->Stop());
    quality->Release();

    // The gaps, in order: the frame time, one shifted by the lateness, twice
    // the frame time, then the frame time again.
    const std::vector<RecordedSample> samples = sink->Samples();
    std::vector<REFERENCE_TIME> gaps;
    for (size_t index = 1; index < samples.size(); ++index) {
        const REFERENCE_TIME gap = samples[index].start - samples[index - 1].start;
        EXPECT_EQ(kFrameTime, samples[index].stop - samples[index].start);
        if (gaps.empty() || gaps.back() != gap) {
            gaps.push_back(gap);
        }
    }
    const std::vector<REFERENCE_TIME> expected = {kFrameTime, kFrameTime + 200000, kFrameTime, 2 * kFrameTime,
                                                  kFrameTime};
    EXPECT_EQ(expected, gaps);
}

TEST_F(Streaming, UnpluggedCameraEndsTheStreamWithItsPictureAndStopsCleanly) {
    Build({MEDIASUBTYPE_RGB24, kSubtypeY800});
    ASSERT_TRUE(SUCCEEDED(graph->Control()->Run()));
    for (CRecordingSinkFilter* sink : sinks) {
        ASSERT_TRUE(sink->Pin()->WaitForSamples(3, kSampleWaitMs));
    }
    ASSERT_TRUE(Quill::Emulation::GetEmulationControl().Unplug("P1"));
    // Each pin delivers the lost-device picture, which carries no frame number
    // (or reads as the number 0, its blocks being black).
    for (CRecordingSinkFilter* sink : sinks) {
        bool lostPictureSeen = false;
        for (int attempt = 0; attempt < 100 && !lostPictureSeen; ++attempt) {
            const std::vector<RecordedSample> samples = sink->Pin()->Samples();
            lostPictureSeen = !samples.back().frameNumberRead || samples.back().frameNumber == 0;
            if (!lostPictureSeen) {
                sink->Pin()->WaitForSamples(samples.size() + 1, 100);
            }
        }
        EXPECT_TRUE(lostPictureSeen);
    }
    // The camera is gone: stopping may report it, but ends every thread.
    graph->Control()->Stop();
    OAFilterState state = State_Running;
    EXPECT_EQ(S_OK, graph->Control()->GetState(0, &state));
    EXPECT_EQ(State_Stopped, state);
}

TEST_F(Streaming, WineRenderersAndCaptureGraphBuilderConnect) {
    source = CreateSource();
    ASSERT_NE(nullptr, source);
    graph->Add(source, L"Source");
    IBaseFilter* grabberFilter = CreateSystemFilter(kSampleGrabber);
    IBaseFilter* captureRenderer = CreateSystemFilter(kNullRenderer);
    IBaseFilter* previewRenderer = CreateSystemFilter(kNullRenderer);
    ASSERT_NE(nullptr, grabberFilter);
    ASSERT_NE(nullptr, captureRenderer);
    ASSERT_NE(nullptr, previewRenderer);
    graph->Add(grabberFilter, L"Sample Grabber");
    graph->Add(captureRenderer, L"Capture renderer");
    graph->Add(previewRenderer, L"Preview renderer");

    ISampleGrabber* grabber = nullptr;
    ASSERT_EQ(S_OK, Query(grabberFilter, IID_ISampleGrabber, &grabber));
    AM_MEDIA_TYPE wanted = {};
    wanted.majortype = MEDIATYPE_Video;
    wanted.subtype = MEDIASUBTYPE_RGB24;
    ASSERT_EQ(S_OK, grabber->SetMediaType(&wanted));
    ASSERT_EQ(S_OK, grabber->SetBufferSamples(TRUE));

    // The capture graph builder finds each pin by its category; the grabber
    // takes the first offered type it accepts.
    ICaptureGraphBuilder2* builder = nullptr;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_ICaptureGraphBuilder2, reinterpret_cast<void**>(&builder)));
    ASSERT_EQ(S_OK, builder->SetFiltergraph(graph->Builder()));
    EXPECT_TRUE(SUCCEEDED(
        builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, source, nullptr, captureRenderer)));
    EXPECT_TRUE(SUCCEEDED(builder->RenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, source,
                                                grabberFilter, previewRenderer)));
    builder->Release();

    pins.push_back(PinOf(source, L"Capture"));
    pins.push_back(PinOf(source, L"Preview"));
    for (IPin* pin : pins) {
        IPin* peer = nullptr;
        EXPECT_EQ(S_OK, pin->ConnectedTo(&peer));
        if (peer) {
            peer->Release();
        }
    }
    AM_MEDIA_TYPE connected = {};
    ASSERT_EQ(S_OK, grabber->GetConnectedMediaType(&connected));
    EXPECT_EQ(MEDIASUBTYPE_RGB24, connected.subtype);
    EXPECT_EQ(FORMAT_VideoInfo, connected.formattype);
    FreeMediaType(connected);

    ASSERT_TRUE(SUCCEEDED(graph->Control()->Run()));
    long size = 0;
    for (int attempt = 0; attempt < 150 && grabber->GetCurrentBuffer(&size, nullptr) != S_OK; ++attempt) {
        Sleep(100);
    }
    EXPECT_EQ(640 * 480 * 3, size);
    EXPECT_EQ(S_OK, graph->Control()->Stop());

    grabber->Release();
    previewRenderer->Release();
    captureRenderer->Release();
    grabberFilter->Release();
}
