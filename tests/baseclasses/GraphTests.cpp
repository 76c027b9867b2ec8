// CBaseFilter inside Wine's filter graph manager (CLSID_FilterGraph): joining
// and leaving the graph, state changes through IMediaControl, the reference
// clock the graph hands out and events sent to the graph.
#include "TestSupport.h"

#include <vfwmsgs.h>

class BaseClassesInGraph : public ComTest {
  protected:
    void SetUp() override {
        ComTest::SetUp();
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                         reinterpret_cast<void**>(&graph)));
        ASSERT_EQ(S_OK, module.CreateFilter(CLSID_KorvelTestPinless, &filter));
        ASSERT_EQ(S_OK, Query(filter, IID_ITestFilterProbe, &probe));
    }
    void TearDown() override {
        if (probe) {
            probe->Release();
        }
        if (graph) {
            EXPECT_EQ(0u, graph->Release());
        }
        // Whatever the graph did, it gave back every reference it took.
        if (filter) {
            EXPECT_EQ(0u, filter->Release());
        }
        EXPECT_EQ(0, module.State().objectsActive);
        ComTest::TearDown();
    }

    FILTER_STATE FilterState() {
        FILTER_STATE state = State_Stopped;
        EXPECT_EQ(S_OK, filter->GetState(0, &state));
        return state;
    }

    TestModule module;
    IGraphBuilder* graph = nullptr;
    IBaseFilter* filter = nullptr;
    ITestFilterProbe* probe = nullptr;
};

TEST_F(BaseClassesInGraph, JoinsAndLeavesTheGraphWithoutHoldingIt) {
    const ULONG graphRefs = RefCount(graph);
    ASSERT_EQ(S_OK, graph->AddFilter(filter, L"Probe filter"));
    // The graph holds the filter; the filter must not hold the graph back.
    EXPECT_EQ(graphRefs, RefCount(graph));

    FILTER_INFO info = {};
    ASSERT_EQ(S_OK, filter->QueryFilterInfo(&info));
    EXPECT_STREQ(L"Probe filter", info.achName);
    ASSERT_NE(nullptr, info.pGraph);
    EXPECT_EQ(IdentityOf(graph), IdentityOf(info.pGraph));
    // QueryFilterInfo hands out a counted graph.
    EXPECT_EQ(graphRefs + 1, RefCount(graph));
    info.pGraph->Release();

    // The graph finds it by that name.
    IBaseFilter* found = nullptr;
    ASSERT_EQ(S_OK, graph->FindFilterByName(L"Probe filter", &found));
    EXPECT_EQ(filter, found);
    found->Release();

    ASSERT_EQ(S_OK, graph->RemoveFilter(filter));
    ASSERT_EQ(S_OK, filter->QueryFilterInfo(&info));
    EXPECT_EQ(nullptr, info.pGraph);
    EXPECT_EQ(E_NOTIMPL, probe->SendEvent(EC_USER, 0, 0));
    EXPECT_EQ(1u + 1u, RefCount(filter));  // ours and the probe's
}

TEST_F(BaseClassesInGraph, FollowsTheGraphsStateChanges) {
    // The source filter this time: its pin is not connected, so it must take
    // no part in the state changes.
    probe->Release();
    EXPECT_EQ(0u, filter->Release());
    ASSERT_EQ(S_OK, module.CreateFilter(CLSID_KorvelTestSource, &filter));
    ASSERT_EQ(S_OK, Query(filter, IID_ITestFilterProbe, &probe));
    ASSERT_EQ(S_OK, graph->AddFilter(filter, L"Probe filter"));
    IMediaControl* control = nullptr;
    ASSERT_EQ(S_OK, Query(graph, IID_IMediaControl, &control));

    const HRESULT run = control->Run();
    EXPECT_TRUE(run == S_OK || run == S_FALSE) << std::hex << run;
    OAFilterState graphState = State_Stopped;
    EXPECT_EQ(S_OK, control->GetState(INFINITE, &graphState));
    EXPECT_EQ(State_Running, graphState);
    EXPECT_EQ(State_Running, FilterState());

    EXPECT_EQ(S_OK, control->Pause());
    EXPECT_EQ(State_Paused, FilterState());
    // Pins cannot change while the filter is active.
    EXPECT_EQ(VFW_E_NOT_STOPPED, probe->SetPinCount(2));
    EXPECT_EQ(S_OK, control->Stop());
    EXPECT_EQ(State_Stopped, FilterState());

    // Straight from stopped to running.
    EXPECT_TRUE(SUCCEEDED(control->Run()));
    EXPECT_EQ(State_Running, FilterState());
    EXPECT_EQ(S_OK, control->Stop());
    EXPECT_EQ(State_Stopped, FilterState());
    TestPinCounters counters = {};
    ASSERT_EQ(S_OK, probe->GetPinCounters(0, &counters));
    EXPECT_EQ(0, counters.activeCalls + counters.runCalls + counters.inactiveCalls);

    control->Release();
    ASSERT_EQ(S_OK, graph->RemoveFilter(filter));
}

TEST_F(BaseClassesInGraph, TakesTheReferenceClockFromTheGraph) {
    ASSERT_EQ(S_OK, graph->AddFilter(filter, L"Probe filter"));
    IReferenceClock* clock = nullptr;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_SystemClock, nullptr, CLSCTX_INPROC_SERVER, IID_IReferenceClock,
                                     reinterpret_cast<void**>(&clock)));
    IMediaFilter* graphAsFilter = nullptr;
    ASSERT_EQ(S_OK, Query(graph, IID_IMediaFilter, &graphAsFilter));

    ASSERT_EQ(S_OK, graphAsFilter->SetSyncSource(clock));
    IReferenceClock* filterClock = nullptr;
    ASSERT_EQ(S_OK, filter->GetSyncSource(&filterClock));
    ASSERT_NE(nullptr, filterClock);
    EXPECT_EQ(IdentityOf(clock), IdentityOf(filterClock));
    filterClock->Release();

    IMediaControl* control = nullptr;
    ASSERT_EQ(S_OK, Query(graph, IID_IMediaControl, &control));
    EXPECT_TRUE(SUCCEEDED(control->Run()));
    REFERENCE_TIME streamTime = -1;
    EXPECT_EQ(S_OK, probe->GetStreamTime(&streamTime));
    EXPECT_EQ(S_OK, control->Stop());
    control->Release();

    // Taking the clock away releases the filter's reference to it.
    ASSERT_EQ(S_OK, graphAsFilter->SetSyncSource(nullptr));
    filterClock = reinterpret_cast<IReferenceClock*>(1);
    EXPECT_EQ(S_OK, filter->GetSyncSource(&filterClock));
    EXPECT_EQ(nullptr, filterClock);
    EXPECT_EQ(VFW_E_NO_CLOCK, probe->GetStreamTime(&streamTime));
    graphAsFilter->Release();

    ASSERT_EQ(S_OK, graph->RemoveFilter(filter));
    EXPECT_EQ(0u, graph->Release());
    graph = nullptr;
    EXPECT_EQ(0u, clock->Release());
}

TEST_F(BaseClassesInGraph, SendsEventsToTheGraph) {
    ASSERT_EQ(S_OK, graph->AddFilter(filter, L"Probe filter"));
    IMediaEvent* events = nullptr;
    ASSERT_EQ(S_OK, Query(graph, IID_IMediaEvent, &events));

    EXPECT_EQ(S_OK, probe->SendEvent(EC_USER + 7, 11, 22));
    long code = 0;
    LONG_PTR param1 = 0;
    LONG_PTR param2 = 0;
    ASSERT_EQ(S_OK, events->GetEvent(&code, &param1, &param2, 0));
    EXPECT_EQ(EC_USER + 7, code);
    EXPECT_EQ(11, param1);
    EXPECT_EQ(22, param2);
    EXPECT_EQ(S_OK, events->FreeEventParams(code, param1, param2));

    // EC_COMPLETE names the filter that sent it.
    ASSERT_EQ(S_OK, events->CancelDefaultHandling(EC_COMPLETE));
    EXPECT_EQ(S_OK, probe->SendEvent(EC_COMPLETE, S_OK, 0));
    ASSERT_EQ(S_OK, events->GetEvent(&code, &param1, &param2, 0));
    EXPECT_EQ(EC_COMPLETE, code);
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(filter), param2);
    EXPECT_EQ(S_OK, events->FreeEventParams(code, param1, param2));

    events->Release();
    ASSERT_EQ(S_OK, graph->RemoveFilter(filter));
}
