// CBaseOutputPin against a downstream pin without an allocator of its own:
// the output pin brings a CLSID_MemoryAllocator, sized with the downstream
// pin's requirements, and samples arrive as asked. The downstream side is a
// sink made from the same base classes, so CBasePin's receiving half of a
// connection is exercised as well.
#include "TestSupport.h"

#include "TestSink.h"

class BaseClassesAllocator : public ComTest {};

TEST_F(BaseClassesAllocator, OwnAllocatorHonoursTheDownstreamRequirements) {
    {
        TestModule module;
        IGraphBuilder* graph = nullptr;
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                         reinterpret_cast<void**>(&graph)));
        IBaseFilter* source = nullptr;
        ASSERT_EQ(S_OK, module.CreateFilter(CLSID_KorvelTestSource, &source));
        IBaseFilter* sink = CTestSinkFilter::Create();
        ASSERT_NE(nullptr, sink);
        ITestFilterProbe* probe = nullptr;
        ASSERT_EQ(S_OK, Query(source, IID_ITestFilterProbe, &probe));
        ASSERT_EQ(S_OK, graph->AddFilter(source, L"Source"));
        ASSERT_EQ(S_OK, graph->AddFilter(sink, L"Sink"));

        IPin* output = FirstPin(source);
        IPin* input = FirstPin(sink);
        ASSERT_NE(nullptr, output);
        ASSERT_NE(nullptr, input);
        PIN_DIRECTION direction = PINDIR_OUTPUT;
        EXPECT_EQ(S_OK, input->QueryDirection(&direction));
        EXPECT_EQ(PINDIR_INPUT, direction);
        // Output to output is refused before any type is tried.
        EXPECT_EQ(VFW_E_INVALID_DIRECTION, output->Connect(output, nullptr));

        ASSERT_EQ(S_OK, graph->ConnectDirect(output, input, nullptr));
        IPin* peer = nullptr;
        ASSERT_EQ(S_OK, input->ConnectedTo(&peer));
        EXPECT_EQ(IdentityOf(output), IdentityOf(peer));
        peer->Release();

        TestPinCounters counters = {};
        ASSERT_EQ(S_OK, probe->GetPinCounters(0, &counters));
        EXPECT_EQ(CTestSinkPin::kPrefix, counters.requested.cbPrefix);
        EXPECT_EQ(CTestSinkPin::kAlign, counters.requested.cbAlign);
        EXPECT_EQ(CTestSinkPin::kPrefix, counters.granted.cbPrefix);
        EXPECT_EQ(CTestSinkPin::kAlign, counters.granted.cbAlign);
        const SinkRecord notified = static_cast<CTestSinkFilter*>(sink)->Pin()->Record();
        EXPECT_EQ(CTestSinkPin::kPrefix, notified.notified.cbPrefix);
        EXPECT_EQ(1, notified.notified.cBuffers);
        EXPECT_EQ(64 * 48 * 4, notified.notified.cbBuffer);

        IMediaControl* control = nullptr;
        ASSERT_EQ(S_OK, Query(graph, IID_IMediaControl, &control));
        EXPECT_TRUE(SUCCEEDED(control->Run()));
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(S_OK, probe->DeliverSample(0));
        }
        EXPECT_EQ(S_OK, control->Stop());
        const SinkRecord received = static_cast<CTestSinkFilter*>(sink)->Pin()->Record();
        EXPECT_EQ(4, received.samples);
        EXPECT_EQ(0, received.misalignedSamples);
        EXPECT_EQ(4 * 64 * 48 * 4, received.bytesReceived);
        control->Release();

        EXPECT_EQ(S_OK, graph->Disconnect(output));
        EXPECT_EQ(S_OK, graph->Disconnect(input));
        EXPECT_EQ(VFW_E_NOT_CONNECTED, input->ConnectedTo(&peer));
        input->Release();
        output->Release();
        probe->Release();
        EXPECT_EQ(S_OK, graph->RemoveFilter(sink));
        EXPECT_EQ(S_OK, graph->RemoveFilter(source));
        EXPECT_EQ(0u, graph->Release());
        EXPECT_EQ(0u, sink->Release());
        EXPECT_EQ(0u, source->Release());
        EXPECT_EQ(0, module.State().objectsActive);
        // The sink's objects live in this executable's copy of the classes.
        EXPECT_EQ(0, CBaseObject::ObjectsActive());
    }
}
