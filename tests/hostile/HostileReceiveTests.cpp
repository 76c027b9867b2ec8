// A downstream pin whose Receive blocks for seconds or fails.
#include "HostileTestSupport.h"

#include <uuids.h>
#include <vfwmsgs.h>

TEST_F(HostileTest, ReceiveThatBlocksForSecondsLetsTheGraphStopAndRunAgain) {
    PeerBehaviour behaviour;
    behaviour.receiveBlockMs = 3000;
    CHostilePeerFilter* peer = AddPeer(behaviour);
    ASSERT_NE(nullptr, peer);
    const CMediaType type = VideoType(MEDIASUBTYPE_RGB24, 640, 480);
    ASSERT_EQ(S_OK, ConnectCapture(peer, &type));
    CHostilePeerPin* pin = peer->Pin();
    EXPECT_EQ(S_OK, RunUntil([pin] { return pin->Received() >= 1; }));
    EXPECT_EQ(S_OK, StopBounded());
    const long received = pin->Received();
    EXPECT_EQ(S_OK, RunUntil([pin, received] { return pin->Received() > received; }));
    EXPECT_EQ(S_OK, StopBounded());
}

TEST_F(HostileTest, FailingReceiveCountsDropsAndKeepsDelivering) {
    for (HRESULT result : {E_FAIL, S_FALSE, VFW_E_WRONG_STATE}) {
        SCOPED_TRACE(result);
        PeerBehaviour behaviour;
        behaviour.receiveResult = result;
        CHostilePeerFilter* peer = AddPeer(behaviour);
        ASSERT_NE(nullptr, peer);
        const CMediaType type = VideoType(MEDIASUBTYPE_RGB24, 640, 480);
        ASSERT_EQ(S_OK, ConnectCapture(peer, &type));
        IAMDroppedFrames* drops = nullptr;
        ASSERT_EQ(S_OK, Query(capture, IID_IAMDroppedFrames, &drops));
        LONG droppedBefore = 0;
        EXPECT_EQ(S_OK, drops->GetNumDropped(&droppedBefore));
        CHostilePeerPin* pin = peer->Pin();
        EXPECT_EQ(S_OK, RunUntil([pin] { return pin->Received() >= 5; }));
        EXPECT_EQ(S_OK, StopBounded());
        LONG dropped = 0;
        LONG delivered = 0;
        EXPECT_EQ(S_OK, drops->GetNumDropped(&dropped));
        EXPECT_EQ(S_OK, drops->GetNumNotDropped(&delivered));
        if (FAILED(result)) {
            // Every sample the peer refused is a dropped frame.
            EXPECT_GE(dropped - droppedBefore, 5);
            EXPECT_EQ(0, delivered);
        } else {
            // S_FALSE asks the source to stop sending, but is no failure.
            EXPECT_EQ(droppedBefore, dropped);
            EXPECT_GE(delivered, 1);
        }
        drops->Release();
        ASSERT_EQ(S_OK, graph->Builder()->Disconnect(capture));
        ASSERT_EQ(S_OK, graph->Builder()->Disconnect(pin));
    }
}

// A Receive that outlasts both of the pin's waits (the stop's and the
// filter's destruction's): the graph stops and the filter goes within their
// bounds; the module stays loaded while the thread is still downstream, and
// when Receive returns the thread ends without touching the pin that went.
TEST_F(HostileTest, DeliveryThreadStuckDownstreamOutlivesTheFilterSafely) {
    PeerBehaviour behaviour;
    behaviour.receiveBlockMs = 120000;  // until woken
    CHostilePeerFilter* peer = AddPeer(behaviour);
    ASSERT_NE(nullptr, peer);
    const CMediaType type = VideoType(MEDIASUBTYPE_RGB24, 640, 480);
    ASSERT_EQ(S_OK, ConnectCapture(peer, &type));
    CHostilePeerPin* pin = peer->Pin();
    ASSERT_EQ(S_OK, RunUntil([pin] { return pin->Received() >= 1; }));
    EXPECT_EQ(S_OK, StopBounded());
    ReturnsWithin(kHungBoundMs, "clearing the graph", [this] { graph->Clear(); });
    capture->Release();
    capture = nullptr;
    ULONG left = 1;
    ReturnsWithin(kHungBoundMs, "releasing the filter", [&] { left = source->Release(); });
    source = nullptr;
    EXPECT_EQ(0u, left);

    ReleaseClassObject();
    HMODULE module = GetModuleHandleW(L"KorvelGenICamSource.ax");
    ASSERT_NE(nullptr, module);
    auto canUnloadNow = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
    ASSERT_NE(nullptr, canUnloadNow);
    EXPECT_EQ(S_FALSE, canUnloadNow()) << "the module may unload under a running thread";
    EXPECT_EQ(1, pin->Received());

    pin->WakeReceivers();
    HRESULT unload = S_FALSE;
    for (int attempt = 0; attempt < 200 && unload != S_OK; ++attempt) {
        Sleep(50);
        unload = canUnloadNow();
    }
    EXPECT_EQ(S_OK, unload);
    EXPECT_EQ(1, pin->Received());
}
