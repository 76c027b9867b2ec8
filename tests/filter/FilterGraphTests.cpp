// The filter in a real Wine filter graph: the graph finds its pins, state
// changes reach it, a connection attempt is refused cleanly while the pins do
// not negotiate yet, and the graph gives every reference back.
#include "FilterTestSupport.h"

#include <vfwmsgs.h>

namespace {

IPin* InputPinOf(IBaseFilter* filter) {
    IEnumPins* pins = nullptr;
    if (FAILED(filter->EnumPins(&pins))) {
        return nullptr;
    }
    IPin* pin = nullptr;
    if (pins->Next(1, &pin, nullptr) != S_OK) {
        pin = nullptr;
    }
    pins->Release();
    return pin;
}

}  // namespace

using FilterInGraph = FilterTest;

TEST_F(FilterInGraph, JoinsRefusesConnectionAndLeavesCleanly) {
    IBaseFilter* filter = CreateFilter();
    ASSERT_NE(nullptr, filter);
    IGraphBuilder* graph = nullptr;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                     reinterpret_cast<void**>(&graph)));
    ASSERT_EQ(S_OK, graph->AddFilter(filter, L"Korvel GenICam Source"));
    FILTER_INFO info = {};
    ASSERT_EQ(S_OK, filter->QueryFilterInfo(&info));
    EXPECT_STREQ(L"Korvel GenICam Source", info.achName);
    EXPECT_NE(nullptr, info.pGraph);
    if (info.pGraph) {
        info.pGraph->Release();
    }

    IBaseFilter* renderer = nullptr;
    ASSERT_EQ(S_OK, CoCreateInstance(kNullRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                     reinterpret_cast<void**>(&renderer)));
    ASSERT_EQ(S_OK, graph->AddFilter(renderer, L"Null Renderer"));
    IPin* input = InputPinOf(renderer);
    ASSERT_NE(nullptr, input);

    // A video type without a format block is refused and leaves both ends
    // unconnected; with no type proposed, each pin connects with one it
    // offers and disconnects cleanly.
    for (const wchar_t* name : {L"Capture", L"Preview"}) {
        SCOPED_TRACE(name);
        IPin* output = nullptr;
        ASSERT_EQ(S_OK, filter->FindPin(name, &output));
        AM_MEDIA_TYPE video = {};
        video.majortype = MEDIATYPE_Video;
        video.subtype = MEDIASUBTYPE_RGB24;
        video.formattype = FORMAT_VideoInfo;
        EXPECT_TRUE(FAILED(graph->ConnectDirect(output, input, &video)));
        IPin* peer = nullptr;
        EXPECT_EQ(VFW_E_NOT_CONNECTED, output->ConnectedTo(&peer));
        EXPECT_EQ(VFW_E_NOT_CONNECTED, input->ConnectedTo(&peer));

        EXPECT_EQ(S_OK, graph->ConnectDirect(output, input, nullptr));
        ASSERT_EQ(S_OK, output->ConnectedTo(&peer));
        EXPECT_EQ(input, peer);
        peer->Release();
        EXPECT_EQ(S_OK, graph->Disconnect(output));
        EXPECT_EQ(S_OK, graph->Disconnect(input));
        EXPECT_EQ(VFW_E_NOT_CONNECTED, output->ConnectedTo(&peer));
        output->Release();
    }

    // The graph's state changes reach the filter; paused, it cannot cue.
    IMediaControl* control = nullptr;
    ASSERT_EQ(S_OK, Query(graph, IID_IMediaControl, &control));
    EXPECT_TRUE(SUCCEEDED(control->Pause()));
    FILTER_STATE state = State_Stopped;
    EXPECT_EQ(VFW_S_CANT_CUE, filter->GetState(0, &state));
    EXPECT_EQ(State_Paused, state);
    OAFilterState graphState = State_Stopped;
    EXPECT_EQ(VFW_S_CANT_CUE, control->GetState(1000, &graphState));
    EXPECT_EQ(State_Paused, graphState);
    EXPECT_TRUE(SUCCEEDED(control->Run()));
    EXPECT_EQ(S_OK, filter->GetState(0, &state));
    EXPECT_EQ(State_Running, state);
    EXPECT_EQ(S_OK, control->Stop());
    EXPECT_EQ(S_OK, filter->GetState(0, &state));
    EXPECT_EQ(State_Stopped, state);
    control->Release();

    input->Release();
    EXPECT_EQ(S_OK, graph->RemoveFilter(renderer));
    renderer->Release();
    EXPECT_EQ(S_OK, graph->RemoveFilter(filter));
    EXPECT_EQ(1u, RefCount(filter));
    graph->Release();
    EXPECT_EQ(0u, filter->Release());
}

TEST_F(FilterInGraph, GraphReleasesTheFilterWithItself) {
    IBaseFilter* filter = CreateFilter();
    ASSERT_NE(nullptr, filter);
    IGraphBuilder* graph = nullptr;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                     reinterpret_cast<void**>(&graph)));
    ASSERT_EQ(S_OK, graph->AddFilter(filter, nullptr));
    filter->Release();  // the graph holds the only reference now
    EXPECT_EQ(1u, LiveDevices());
    EXPECT_EQ(0u, graph->Release());
    EXPECT_EQ(0u, LiveDevices());
}
