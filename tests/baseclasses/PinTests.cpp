// CBasePin and CBaseOutputPin connected to Wine's Null Renderer in a real
// graph: media-type agreement, the allocator, activation with the graph's
// state changes and delivery of samples.
#include "TestSupport.h"

#include <vfwmsgs.h>

#include "baseclasses/MediaType.h"

class BaseClassesPins : public ComTest {
  protected:
    void SetUp() override {
        ComTest::SetUp();
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                         reinterpret_cast<void**>(&graph)));
        ASSERT_EQ(S_OK, module.CreateFilter(CLSID_KorvelTestSource, &source));
        ASSERT_EQ(S_OK, Query(source, IID_ITestFilterProbe, &probe));
        ASSERT_EQ(S_OK, graph->AddFilter(source, L"Source"));
        ASSERT_EQ(S_OK, Query(graph, IID_IMediaControl, &control));
    }

    void TearDown() override {
        if (control) {
            control->Stop();
            control->Release();
        }
        for (IBaseFilter* renderer : renderers) {
            graph->RemoveFilter(renderer);
            EXPECT_EQ(0u, renderer->Release());
        }
        if (graph) {
            if (source) {
                EXPECT_EQ(S_OK, graph->RemoveFilter(source));
            }
            EXPECT_EQ(0u, graph->Release());
        }
        if (probe) {
            probe->Release();
        }
        if (source) {
            EXPECT_EQ(0u, source->Release());
        }
        EXPECT_EQ(0, module.State().objectsActive);
        ComTest::TearDown();
    }

    // A Null Renderer in the graph; its input pin, with a reference.
    IPin* AddRenderer() {
        IBaseFilter* renderer = nullptr;
        EXPECT_EQ(S_OK, CoCreateInstance(kNullRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                         reinterpret_cast<void**>(&renderer)));
        if (!renderer) {
            return nullptr;
        }
        renderers.push_back(renderer);
        EXPECT_EQ(S_OK, graph->AddFilter(renderer, renderers.size() == 1 ? L"Renderer" : L"Renderer 2"));
        return FirstPin(renderer);
    }

    // Our pin number n, with a reference.
    IPin* OutputPin(int n) {
        IEnumPins* pins = nullptr;
        EXPECT_EQ(S_OK, source->EnumPins(&pins));
        IPin* pin = nullptr;
        if (pins) {
            EXPECT_EQ(S_OK, pins->Skip(static_cast<ULONG>(n)));
            EXPECT_EQ(S_OK, pins->Next(1, &pin, nullptr));
            pins->Release();
        }
        return pin;
    }

    TestPinCounters Counters(int pin) {
        TestPinCounters counters = {};
        EXPECT_EQ(S_OK, probe->GetPinCounters(pin, &counters));
        return counters;
    }

    GUID ConnectedSubtype(IPin* pin) {
        AM_MEDIA_TYPE type = {};
        EXPECT_EQ(S_OK, pin->ConnectionMediaType(&type));
        const GUID subtype = type.subtype;
        FreeMediaType(type);
        return subtype;
    }

    TestModule module;
    IGraphBuilder* graph = nullptr;
    IMediaControl* control = nullptr;
    IBaseFilter* source = nullptr;
    ITestFilterProbe* probe = nullptr;
    std::vector<IBaseFilter*> renderers;
};

TEST_F(BaseClassesPins, AgreesOnAMediaTypeAndAnAllocator) {
    IPin* output = OutputPin(0);
    IPin* input = AddRenderer();
    ASSERT_NE(nullptr, output);
    ASSERT_NE(nullptr, input);

    IPin* peer = reinterpret_cast<IPin*>(1);
    EXPECT_EQ(VFW_E_NOT_CONNECTED, output->ConnectedTo(&peer));
    EXPECT_EQ(nullptr, peer);

    // No type given: the renderer offers none, ours are tried in order.
    ASSERT_EQ(S_OK, graph->ConnectDirect(output, input, nullptr));
    EXPECT_EQ(1, Counters(0).completeConnectCalls);
    ASSERT_EQ(S_OK, output->ConnectedTo(&peer));
    EXPECT_EQ(IdentityOf(input), IdentityOf(peer));
    peer->Release();
    EXPECT_TRUE(IsEqualGUID(MEDIASUBTYPE_RGB32, ConnectedSubtype(output)));
    EXPECT_TRUE(IsEqualGUID(MEDIASUBTYPE_RGB32, ConnectedSubtype(input)));
    EXPECT_EQ(VFW_E_ALREADY_CONNECTED, output->Connect(input, nullptr));

    // The renderer's allocator, sized by our DecideBufferSize.
    const TestPinCounters counters = Counters(0);
    EXPECT_GE(counters.requested.cbAlign, 1);
    EXPECT_EQ(1, counters.granted.cBuffers);
    EXPECT_GE(counters.granted.cbBuffer, 64 * 48 * 4);

    PIN_INFO info = {};
    ASSERT_EQ(S_OK, output->QueryPinInfo(&info));
    EXPECT_EQ(source, info.pFilter);
    EXPECT_STREQ(kTestOutputPinName, info.achName);
    EXPECT_EQ(PINDIR_OUTPUT, info.dir);
    info.pFilter->Release();
    LPWSTR id = nullptr;
    ASSERT_EQ(S_OK, output->QueryId(&id));
    EXPECT_STREQ(kTestOutputPinName, id);
    CoTaskMemFree(id);

    // The types we offer, one enumerator walk.
    IEnumMediaTypes* types = nullptr;
    ASSERT_EQ(S_OK, output->EnumMediaTypes(&types));
    AM_MEDIA_TYPE* offered[3] = {};
    ULONG fetched = 0;
    EXPECT_EQ(S_FALSE, types->Next(3, offered, &fetched));
    ASSERT_EQ(2u, fetched);
    EXPECT_TRUE(IsEqualGUID(MEDIASUBTYPE_RGB32, offered[0]->subtype));
    EXPECT_TRUE(IsEqualGUID(MEDIASUBTYPE_RGB24, offered[1]->subtype));
    EXPECT_TRUE(IsEqualGUID(FORMAT_VideoInfo, offered[1]->formattype));
    EXPECT_EQ(sizeof(VIDEOINFOHEADER), offered[1]->cbFormat);
    EXPECT_EQ(S_OK, output->QueryAccept(offered[1]));
    AM_MEDIA_TYPE audio = *offered[1];
    audio.majortype = MEDIATYPE_Audio;
    EXPECT_EQ(S_FALSE, output->QueryAccept(&audio));
    DeleteMediaType(offered[0]);
    DeleteMediaType(offered[1]);

    EXPECT_EQ(S_OK, types->Reset());
    EXPECT_EQ(S_OK, types->Skip(2));
    EXPECT_EQ(S_FALSE, types->Skip(1));
    EXPECT_EQ(S_OK, types->Reset());
    ASSERT_EQ(S_OK, probe->BumpMediaTypeVersion(0));
    EXPECT_EQ(VFW_E_ENUM_OUT_OF_SYNC, types->Next(1, offered, nullptr));
    EXPECT_EQ(S_OK, types->Reset());
    EXPECT_EQ(S_OK, types->Next(1, offered, nullptr));
    DeleteMediaType(offered[0]);
    EXPECT_EQ(0u, types->Release());

    // Disconnecting gives back the allocator and the connection.
    EXPECT_EQ(S_OK, graph->Disconnect(output));
    EXPECT_EQ(S_OK, graph->Disconnect(input));
    EXPECT_GE(Counters(0).breakConnectCalls, 1);
    EXPECT_EQ(VFW_E_NOT_CONNECTED, output->ConnectedTo(&peer));
    AM_MEDIA_TYPE none = {};
    EXPECT_EQ(VFW_E_NOT_CONNECTED, output->ConnectionMediaType(&none));
    EXPECT_TRUE(IsEqualGUID(GUID_NULL, none.majortype));
    EXPECT_EQ(S_FALSE, output->Disconnect());

    // A fully specified type is tried alone.
    CMediaType rgb24;
    {
        IEnumMediaTypes* list = nullptr;
        ASSERT_EQ(S_OK, output->EnumMediaTypes(&list));
        AM_MEDIA_TYPE* second[2] = {};
        ASSERT_EQ(S_OK, list->Next(2, second, &fetched));
        rgb24 = *second[1];
        DeleteMediaType(second[0]);
        DeleteMediaType(second[1]);
        list->Release();
    }
    ASSERT_EQ(S_OK, graph->ConnectDirect(output, input, &rgb24));
    EXPECT_TRUE(IsEqualGUID(MEDIASUBTYPE_RGB24, ConnectedSubtype(output)));
    EXPECT_EQ(S_OK, graph->Disconnect(output));
    EXPECT_EQ(S_OK, graph->Disconnect(input));

    CMediaType refused(rgb24);
    refused.SetSubtype(&MEDIASUBTYPE_RGB565);
    EXPECT_EQ(VFW_E_TYPE_NOT_ACCEPTED, output->Connect(input, &refused));
    EXPECT_FALSE(SUCCEEDED(output->ConnectedTo(&peer)));

    // A partial type picks the matching one of ours.
    CMediaType partial;
    partial.SetType(&MEDIATYPE_Video);
    partial.SetSubtype(&MEDIASUBTYPE_RGB24);
    ASSERT_EQ(S_OK, output->Connect(input, &partial));
    EXPECT_TRUE(IsEqualGUID(MEDIASUBTYPE_RGB24, ConnectedSubtype(output)));
    EXPECT_EQ(S_OK, graph->Disconnect(output));
    EXPECT_EQ(S_OK, graph->Disconnect(input));

    input->Release();
    output->Release();
}

TEST_F(BaseClassesPins, ActivatesWithTheGraphAndDelivers) {
    IPin* output = OutputPin(0);
    IPin* input = AddRenderer();
    ASSERT_NE(nullptr, output);
    ASSERT_NE(nullptr, input);
    ASSERT_EQ(S_OK, graph->ConnectDirect(output, input, nullptr));

    // Not running: the allocator is not committed, nothing can be taken.
    EXPECT_EQ(VFW_E_NOT_COMMITTED, probe->DeliverSample(0));

    // Wine's graph pauses, answers S_FALSE while the renderer waits for its
    // first sample, and runs the filters once that sample arrived.
    const HRESULT run = control->Run();
    EXPECT_TRUE(run == S_OK || run == S_FALSE) << std::hex << run;
    EXPECT_EQ(1, Counters(0).activeCalls);
    EXPECT_EQ(S_OK, probe->DeliverSample(0));
    OAFilterState graphState = State_Stopped;
    EXPECT_EQ(S_OK, control->GetState(INFINITE, &graphState));
    EXPECT_EQ(State_Running, graphState);
    TestPinCounters counters = Counters(0);
    EXPECT_EQ(1, counters.activeCalls);
    EXPECT_EQ(1, counters.runCalls);
    EXPECT_EQ(0, counters.inactiveCalls);
    EXPECT_EQ(2, counters.callsUnderStateLock);

    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(S_OK, probe->DeliverSample(0)) << "sample " << i;
    }
    EXPECT_EQ(VFW_E_NOT_STOPPED, output->Disconnect());

    EXPECT_EQ(S_OK, control->Pause());
    EXPECT_EQ(1, Counters(0).activeCalls);
    EXPECT_EQ(S_OK, control->Stop());
    counters = Counters(0);
    EXPECT_EQ(1, counters.inactiveCalls);
    EXPECT_EQ(3, counters.callsUnderStateLock);
    EXPECT_EQ(VFW_E_NOT_COMMITTED, probe->DeliverSample(0));

    EXPECT_EQ(S_OK, graph->Disconnect(output));
    EXPECT_EQ(S_OK, graph->Disconnect(input));
    input->Release();
    output->Release();
}

TEST_F(BaseClassesPins, FailedActivationLeavesNoPinActive) {
    ASSERT_EQ(S_OK, graph->RemoveFilter(source));
    ASSERT_EQ(S_OK, probe->SetPinCount(2));
    ASSERT_EQ(S_OK, graph->AddFilter(source, L"Source"));
    IPin* first = OutputPin(0);
    IPin* second = OutputPin(1);
    IPin* firstInput = AddRenderer();
    IPin* secondInput = AddRenderer();
    ASSERT_EQ(S_OK, graph->ConnectDirect(first, firstInput, nullptr));
    ASSERT_EQ(S_OK, graph->ConnectDirect(second, secondInput, nullptr));

    ASSERT_EQ(S_OK, probe->FailNextActive(1, E_FAIL));
    // Wine's graph reports the failure from Pause or, having answered
    // S_FALSE while the renderers wait for data, from GetState.
    HRESULT paused = control->Pause();
    if (SUCCEEDED(paused)) {
        OAFilterState graphState = State_Stopped;
        paused = control->GetState(0, &graphState);
    }
    EXPECT_EQ(E_FAIL, paused);
    FILTER_STATE state = State_Running;
    EXPECT_EQ(S_OK, source->GetState(0, &state));
    EXPECT_EQ(State_Stopped, state);
    // The first pin was started and stopped again; the second never started.
    EXPECT_EQ(1, Counters(0).activeCalls);
    EXPECT_EQ(1, Counters(0).inactiveCalls);
    EXPECT_EQ(1, Counters(1).activeCalls);
    EXPECT_EQ(0, Counters(1).inactiveCalls);

    EXPECT_EQ(S_OK, control->Stop());
    EXPECT_TRUE(SUCCEEDED(control->Pause()));
    EXPECT_EQ(2, Counters(0).activeCalls);
    EXPECT_EQ(2, Counters(1).activeCalls);
    EXPECT_EQ(S_OK, control->Stop());
    EXPECT_EQ(2, Counters(0).inactiveCalls);
    EXPECT_EQ(1, Counters(1).inactiveCalls);

    for (IPin* pin : {first, second, firstInput, secondInput}) {
        EXPECT_EQ(S_OK, graph->Disconnect(pin));
        pin->Release();
    }
}
