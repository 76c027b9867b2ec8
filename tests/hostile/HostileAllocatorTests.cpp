// A downstream pin whose allocator requirements cannot be met, and
// allocators of its own that refuse buffers, hand out buffers too small, lie
// about their size or block in GetBuffer.
#include "HostileTestSupport.h"

#include <uuids.h>
#include <vfwmsgs.h>

#include <climits>

namespace {

struct Requirement {
    const char* name;
    ALLOCATOR_PROPERTIES properties;
    bool connects;  // the connection can be made (the pin sets count and size itself)
};

LONG NumDropped(IPin* capture) {
    IAMDroppedFrames* drops = nullptr;
    LONG dropped = -1;
    if (SUCCEEDED(Query(capture, IID_IAMDroppedFrames, &drops))) {
        EXPECT_EQ(S_OK, drops->GetNumDropped(&dropped));
        drops->Release();
    }
    return dropped;
}

LONG NumNotDropped(IPin* capture) {
    IAMDroppedFrames* drops = nullptr;
    LONG delivered = -1;
    if (SUCCEEDED(Query(capture, IID_IAMDroppedFrames, &drops))) {
        EXPECT_EQ(S_OK, drops->GetNumNotDropped(&delivered));
        drops->Release();
    }
    return delivered;
}

}  // namespace

TEST_F(HostileTest, UnmeetableAllocatorRequirementsGiveCleanResults) {
    const Requirement requirements[] = {
        {"alignment 3", {1, 1000, 3, 0}, false},
        {"alignment -8", {1, 1000, -8, 0}, false},
        {"alignment 1 << 30", {1, 1000, 1 << 30, 0}, false},
        {"prefix -1", {1, 1000, 16, -1}, false},
        {"prefix 1 << 30", {1, 1000, 16, 1 << 30}, false},
        {"no buffers", {0, 0, 16, 0}, true},
        {"LONG_MAX buffers", {LONG_MAX, LONG_MAX, 16, 0}, true},
        {"huge buffer", {1, LONG_MAX, 1, 0}, true},
    };
    for (const Requirement& requirement : requirements) {
        SCOPED_TRACE(requirement.name);
        PeerBehaviour behaviour;
        behaviour.requirementsResult = S_OK;
        behaviour.requirements = requirement.properties;
        CHostilePeerFilter* peer = AddPeer(behaviour);
        ASSERT_NE(nullptr, peer);
        const CMediaType type = VideoType(MEDIASUBTYPE_RGB24, 640, 480);
        const HRESULT hr = ConnectCapture(peer, &type);
        if (!requirement.connects) {
            EXPECT_TRUE(hr == E_INVALIDARG || hr == VFW_E_BADALIGN) << std::hex << hr;
            EXPECT_FALSE(CaptureConnected());
            if (CaptureConnected()) {
                graph->Builder()->Disconnect(capture);
                graph->Builder()->Disconnect(peer->Pin());
            }
            continue;
        }
        ASSERT_EQ(S_OK, hr);
        CHostilePeerPin* pin = peer->Pin();
        EXPECT_EQ(S_OK, RunUntil([pin] { return pin->Received() >= 2; }));
        EXPECT_EQ(S_OK, StopBounded());
        ASSERT_EQ(S_OK, graph->Builder()->Disconnect(capture));
        ASSERT_EQ(S_OK, graph->Builder()->Disconnect(pin));
    }
}

TEST_F(HostileTest, AllocatorThatRefusesEveryBufferCountsDropsAndStops) {
    PeerBehaviour behaviour;
    behaviour.ownAllocator = true;
    behaviour.allocator.getBufferResult = E_OUTOFMEMORY;
    CHostilePeerFilter* peer = AddPeer(behaviour);
    ASSERT_NE(nullptr, peer);
    const CMediaType type = VideoType(MEDIASUBTYPE_RGB24, 640, 480);
    ASSERT_EQ(S_OK, ConnectCapture(peer, &type));
    const LONG droppedBefore = NumDropped(capture);
    IPin* pin = capture;
    EXPECT_EQ(S_OK, RunUntil([pin, droppedBefore] { return NumDropped(pin) >= droppedBefore + 5; }));
    EXPECT_EQ(S_OK, StopBounded());
    EXPECT_EQ(0, peer->Pin()->Received());
    EXPECT_EQ(0, NumNotDropped(capture));
}

TEST_F(HostileTest, BuffersShorterThanAgreedAreNeverWrittenPast) {
    for (long shortBy : {1L, 1000L, 640L * 480 * 3 - 1}) {
        SCOPED_TRACE(shortBy);
        PeerBehaviour behaviour;
        behaviour.ownAllocator = true;
        behaviour.allocator.shortBy = shortBy;
        CHostilePeerFilter* peer = AddPeer(behaviour);
        ASSERT_NE(nullptr, peer);
        const CMediaType type = VideoType(MEDIASUBTYPE_RGB24, 640, 480);
        ASSERT_EQ(S_OK, ConnectCapture(peer, &type));
        CHostilePeerPin* pin = peer->Pin();
        EXPECT_EQ(S_OK, RunUntil([pin] { return pin->Received() >= 3; }));
        EXPECT_EQ(S_OK, StopBounded());
        EXPECT_GE(pin->Allocator()->BuffersHanded(), 3);
        EXPECT_EQ(0, pin->Allocator()->GuardsDamaged());
        ASSERT_EQ(S_OK, graph->Builder()->Disconnect(capture));
        ASSERT_EQ(S_OK, graph->Builder()->Disconnect(pin));
        EXPECT_EQ(0, pin->Allocator()->Outstanding());
    }
}

// An allocator that reports a smaller buffer than asked is not used: the pin
// brings its own and streams.
TEST_F(HostileTest, AllocatorLyingAboutItsSizeIsReplaced) {
    PeerBehaviour behaviour;
    behaviour.ownAllocator = true;
    behaviour.allocator.lieActualBy = 1;
    CHostilePeerFilter* peer = AddPeer(behaviour);
    ASSERT_NE(nullptr, peer);
    const CMediaType type = VideoType(MEDIASUBTYPE_RGB24, 640, 480);
    ASSERT_EQ(S_OK, ConnectCapture(peer, &type));
    CHostilePeerPin* pin = peer->Pin();
    EXPECT_EQ(S_OK, RunUntil([pin] { return pin->Received() >= 3; }));
    EXPECT_EQ(S_OK, StopBounded());
    EXPECT_EQ(0, pin->Allocator()->BuffersHanded());
}

TEST_F(HostileTest, GetBufferThatBlocksStillLetsTheGraphStop) {
    struct Case {
        const char* name;
        DWORD blockMs;
        bool wakeOnDecommit;
    };
    for (const Case& blocking : {Case{"until decommitted", 120000, true}, Case{"for 3 s", 3000, false}}) {
        SCOPED_TRACE(blocking.name);
        PeerBehaviour behaviour;
        behaviour.ownAllocator = true;
        behaviour.allocator.blockMs = blocking.blockMs;
        behaviour.allocator.wakeOnDecommit = blocking.wakeOnDecommit;
        CHostilePeerFilter* peer = AddPeer(behaviour);
        ASSERT_NE(nullptr, peer);
        const CMediaType type = VideoType(MEDIASUBTYPE_RGB24, 640, 480);
        ASSERT_EQ(S_OK, ConnectCapture(peer, &type));
        HRESULT hr = E_FAIL;
        ReturnsWithin(kHungBoundMs, "running the graph", [&] { hr = graph->Control()->Run(); });
        EXPECT_TRUE(SUCCEEDED(hr));
        Sleep(500);  // the delivery thread is inside GetBuffer by now
        EXPECT_EQ(S_OK, StopBounded());
        OAFilterState state = State_Running;
        EXPECT_EQ(S_OK, graph->Control()->GetState(0, &state));
        EXPECT_EQ(State_Stopped, state);
        ASSERT_EQ(S_OK, graph->Builder()->Disconnect(capture));
        ASSERT_EQ(S_OK, graph->Builder()->Disconnect(peer->Pin()));
    }
}

// A buffer that comes later than the next frame: that frame goes out in it,
// and the signal it left behind must not send it a second time.
TEST_F(HostileTest, LateBufferNeverCarriesAFrameTwice) {
    PeerBehaviour behaviour;
    behaviour.ownAllocator = true;
    behaviour.allocator.blockMs = 50;  // a frame and a half at 30 frames per second
    behaviour.allocator.blockEveryOther = true;
    CHostilePeerFilter* peer = AddPeer(behaviour);
    ASSERT_NE(nullptr, peer);
    const CMediaType type = VideoType(MEDIASUBTYPE_RGB24, 640, 480);
    ASSERT_EQ(S_OK, ConnectCapture(peer, &type));
    CHostilePeerPin* pin = peer->Pin();
    EXPECT_EQ(S_OK, RunUntil([pin] { return pin->Received() >= 15; }));
    EXPECT_EQ(S_OK, StopBounded());
    EXPECT_GE(pin->Received(), 15);
    EXPECT_EQ(0, pin->Repeats());
}
