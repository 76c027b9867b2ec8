// A downstream pin that proposes short, lying and absurd media types: in the
// connection (its own proposals, a type named in ConnectDirect, the output
// pin's QueryAccept and ReceiveConnection), in IAMStreamConfig::SetFormat
// after it accepted everything, and as a dynamic format change carried by
// the samples of its own allocator.
#include "HostileTestSupport.h"

#include <uuids.h>
#include <vfwmsgs.h>

namespace {

MediaTypePtr ConnectionTypeOf(IPin* pin) {
    auto* type = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    *type = {};
    EXPECT_EQ(S_OK, pin->ConnectionMediaType(type));
    return MediaTypePtr(type);
}

}  // namespace

TEST_F(HostileTest, LyingTypesAreRefusedWithCleanResultsAndLeaveThePinUnconnected) {
    const auto lying = LyingTypes();
    for (const auto& entry : lying) {
        SCOPED_TRACE(entry.first);
        PeerBehaviour behaviour;
        behaviour.proposals.push_back(entry.second);
        behaviour.acceptOnlyProposals = true;
        CHostilePeerFilter* peer = AddPeer(behaviour);
        ASSERT_NE(nullptr, peer);
        ASSERT_NE(nullptr, capture);

        EXPECT_NE(S_OK, capture->QueryAccept(&entry.second));
        // Named in the connection.
        HRESULT hr = ConnectCapture(peer, &entry.second);
        EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
        EXPECT_FALSE(CaptureConnected());
        // Proposed by the peer, which accepts nothing else.
        hr = ConnectCapture(peer);
        EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
        EXPECT_FALSE(CaptureConnected());
        // An output pin takes no connection from anyone.
        EXPECT_TRUE(FAILED(capture->ReceiveConnection(peer->Pin(), &entry.second)));
        EXPECT_FALSE(CaptureConnected());
    }
    // Every lying type at once, then a peer that takes what the pin offers.
    PeerBehaviour all;
    for (const auto& entry : lying) {
        all.proposals.push_back(entry.second);
    }
    all.acceptOnlyProposals = true;
    CHostilePeerFilter* liar = AddPeer(all);
    ASSERT_NE(nullptr, liar);
    EXPECT_TRUE(FAILED(ConnectCapture(liar)));
    CHostilePeerFilter* plain = AddPeer(PeerBehaviour());
    ASSERT_NE(nullptr, plain);
    EXPECT_EQ(S_OK, ConnectCapture(plain));
    EXPECT_TRUE(CaptureConnected());
}

TEST_F(HostileTest, SetFormatWithLyingTypesFailsAndKeepsTheConnection) {
    CHostilePeerFilter* peer = AddPeer(PeerBehaviour());  // accepts every video type
    ASSERT_NE(nullptr, peer);
    const CMediaType connected = VideoType(MEDIASUBTYPE_RGB24, 640, 480);
    ASSERT_EQ(S_OK, ConnectCapture(peer, &connected));
    const MediaTypePtr before = ConnectionTypeOf(capture);
    IAMStreamConfig* config = nullptr;
    ASSERT_EQ(S_OK, Query(capture, IID_IAMStreamConfig, &config));
    for (const auto& entry : LyingTypes()) {
        SCOPED_TRACE(entry.first);
        CMediaType type = entry.second;
        EXPECT_EQ(VFW_E_INVALIDMEDIATYPE, config->SetFormat(&type));
        ASSERT_TRUE(CaptureConnected());
        const MediaTypePtr now = ConnectionTypeOf(capture);
        EXPECT_TRUE(CMediaType(*before) == CMediaType(*now));
    }
    config->Release();
}

// Samples that carry a type with an absurd picture: the pin keeps converting
// into the type it has, writes nothing past a buffer and stops in time.
TEST_F(HostileTest, DynamicFormatChangesWithAbsurdTypesAreNotAdopted) {
    for (const auto& entry : LyingTypes()) {
        SCOPED_TRACE(entry.first);
        PeerBehaviour behaviour;
        behaviour.ownAllocator = true;
        behaviour.allocator.attachType = &entry.second;
        CHostilePeerFilter* peer = AddPeer(behaviour);
        ASSERT_NE(nullptr, peer);
        const CMediaType connected = VideoType(MEDIASUBTYPE_RGB24, 640, 480);
        ASSERT_EQ(S_OK, ConnectCapture(peer, &connected));
        CHostilePeerPin* pin = peer->Pin();
        EXPECT_EQ(S_OK, RunUntil([pin] { return pin->Received() >= 3; }));
        EXPECT_EQ(S_OK, StopBounded());
        EXPECT_EQ(0, pin->Allocator()->GuardsDamaged());
        const MediaTypePtr now = ConnectionTypeOf(capture);
        EXPECT_TRUE(connected == CMediaType(*now));
        LONG size = 0;
        IAMDroppedFrames* drops = nullptr;
        ASSERT_EQ(S_OK, Query(capture, IID_IAMDroppedFrames, &drops));
        EXPECT_EQ(S_OK, drops->GetAverageFrameSize(&size));
        EXPECT_EQ(640 * 480 * 3, size);
        drops->Release();
        ASSERT_EQ(S_OK, graph->Builder()->Disconnect(capture));
        ASSERT_EQ(S_OK, graph->Builder()->Disconnect(pin));
    }
}

// A sound change (a wider row for the same picture, as a renderer asks for
// its surface's pitch) is adopted, and the wider rows stay inside the buffer.
TEST_F(HostileTest, DynamicFormatChangeToAWiderRowIsAdopted) {
    const CMediaType wider = EditedType([](AM_MEDIA_TYPE&, VIDEOINFOHEADER& video) {
        video.bmiHeader.biWidth = 704;
        video.bmiHeader.biSizeImage = 704 * 480 * 3;
    });
    PeerBehaviour behaviour;
    behaviour.ownAllocator = true;
    behaviour.allocator.attachType = &wider;
    // The buffers are as large as the wider picture needs.
    behaviour.allocator.shortBy = -(704 - 640) * 480 * 3;
    CHostilePeerFilter* peer = AddPeer(behaviour);
    ASSERT_NE(nullptr, peer);
    const CMediaType connected = VideoType(MEDIASUBTYPE_RGB24, 640, 480);
    ASSERT_EQ(S_OK, ConnectCapture(peer, &connected));
    CHostilePeerPin* pin = peer->Pin();
    EXPECT_EQ(S_OK, RunUntil([pin] { return pin->Received() >= 3; }));
    EXPECT_EQ(S_OK, StopBounded());
    EXPECT_EQ(0, pin->Allocator()->GuardsDamaged());
    const MediaTypePtr now = ConnectionTypeOf(capture);
    const BITMAPINFOHEADER* header = BitmapHeader(*now);
    ASSERT_NE(nullptr, header);
    EXPECT_EQ(704, header->biWidth);
    EXPECT_EQ(480, header->biHeight);
}
