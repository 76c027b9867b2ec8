#include "HostileTestSupport.h"

#include <process.h>
#include <uuids.h>
#include <vfwmsgs.h>

#include <climits>
#include <cstdio>

namespace {

struct BoundedCall {
    std::function<void()> call;
};

unsigned __stdcall BoundedCallProc(void* argument) {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    static_cast<BoundedCall*>(argument)->call();
    CoUninitialize();
    return 0;
}

}  // namespace

bool ReturnsWithin(DWORD boundMs, const char* what, const std::function<void()>& call) {
    auto* bounded = new BoundedCall{call};
    HANDLE thread =
        reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, BoundedCallProc, bounded, 0, nullptr));
    if (!thread) {
        delete bounded;
        ADD_FAILURE() << "no thread for " << what;
        return false;
    }
    if (WaitForSingleObject(thread, boundMs) != WAIT_OBJECT_0) {
        std::printf("HUNG: %s did not return within %lu ms\n", what, static_cast<unsigned long>(boundMs));
        std::fflush(stdout);
        TerminateProcess(GetCurrentProcess(), 3);
    }
    CloseHandle(thread);
    delete bounded;
    return true;
}

CMediaType EditedType(const std::function<void(AM_MEDIA_TYPE&, VIDEOINFOHEADER&)>& edit) {
    CMediaType type = VideoType(MEDIASUBTYPE_RGB24, 640, 480);
    VIDEOINFOHEADER video = *reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat);
    AM_MEDIA_TYPE plain = type;
    edit(plain, video);
    // The edited header, then the edited length (which may be shorter).
    CMediaType result(&MEDIATYPE_Video);
    result.SetSubtype(&plain.subtype);
    result.SetFormatType(&plain.formattype);
    if (plain.cbFormat != 0) {
        std::vector<BYTE> block(plain.cbFormat > sizeof(video) ? plain.cbFormat : sizeof(video), 0);
        memcpy(block.data(), &video, sizeof(video));
        result.SetFormat(block.data(), plain.cbFormat);
    }
    return result;
}

std::vector<std::pair<std::string, CMediaType>> LyingTypes() {
    std::vector<std::pair<std::string, CMediaType>> types;
    types.emplace_back("block of 20 bytes",
                       EditedType([](AM_MEDIA_TYPE& type, VIDEOINFOHEADER&) { type.cbFormat = 20; }));
    types.emplace_back("block one byte short", EditedType([](AM_MEDIA_TYPE& type, VIDEOINFOHEADER&) {
                           type.cbFormat = sizeof(VIDEOINFOHEADER) - 1;
                       }));
    types.emplace_back(
        "VIDEOINFOHEADER2 format type with a VIDEOINFOHEADER block",
        EditedType([](AM_MEDIA_TYPE& type, VIDEOINFOHEADER&) { type.formattype = FORMAT_VideoInfo2; }));
    types.emplace_back("no block",
                       EditedType([](AM_MEDIA_TYPE& type, VIDEOINFOHEADER&) { type.cbFormat = 0; }));
    types.emplace_back(
        "width 0", EditedType([](AM_MEDIA_TYPE&, VIDEOINFOHEADER& video) { video.bmiHeader.biWidth = 0; }));
    types.emplace_back("width -640", EditedType([](AM_MEDIA_TYPE&, VIDEOINFOHEADER& video) {
                           video.bmiHeader.biWidth = -640;
                       }));
    types.emplace_back("width 1 << 30", EditedType([](AM_MEDIA_TYPE&, VIDEOINFOHEADER& video) {
                           video.bmiHeader.biWidth = 1 << 30;
                       }));
    types.emplace_back("width INT_MIN", EditedType([](AM_MEDIA_TYPE&, VIDEOINFOHEADER& video) {
                           video.bmiHeader.biWidth = INT_MIN;
                       }));
    types.emplace_back(
        "height 0", EditedType([](AM_MEDIA_TYPE&, VIDEOINFOHEADER& video) { video.bmiHeader.biHeight = 0; }));
    types.emplace_back("height 1 << 30", EditedType([](AM_MEDIA_TYPE&, VIDEOINFOHEADER& video) {
                           video.bmiHeader.biHeight = 1 << 30;
                       }));
    types.emplace_back("height INT_MIN", EditedType([](AM_MEDIA_TYPE&, VIDEOINFOHEADER& video) {
                           video.bmiHeader.biHeight = INT_MIN;
                       }));
    types.emplace_back("both 1 << 30", EditedType([](AM_MEDIA_TYPE&, VIDEOINFOHEADER& video) {
                           video.bmiHeader.biWidth = 1 << 30;
                           video.bmiHeader.biHeight = -(1 << 30);
                       }));
    types.emplace_back("no subtype and an unknown compression",
                       EditedType([](AM_MEDIA_TYPE& type, VIDEOINFOHEADER& video) {
                           type.subtype = GUID_NULL;
                           video.bmiHeader.biCompression = 0x12345678;
                       }));
    return types;
}

void HostileTest::TearDown() {
    if (graph) {
        ReturnsWithin(kHungBoundMs, "clearing the graph", [this] { graph->Clear(); });
    }
    if (capture) {
        capture->Release();
        capture = nullptr;
    }
    if (source) {
        EXPECT_EQ(0u, source->Release());
        source = nullptr;
    }
    for (CHostilePeerFilter* peer : peers) {
        peer->Release();
    }
    peers.clear();
    graph.reset();
    PinTest::TearDown();
}

CHostilePeerFilter* HostileTest::AddPeer(const PeerBehaviour& behaviour) {
    if (!graph) {
        graph = std::make_unique<Graph>();
        source = CreateSource();
        if (!source) {
            return nullptr;
        }
        graph->Add(source, L"Source");
        capture = PinOf(source, L"Capture");
    }
    CHostilePeerFilter* peer = CHostilePeerFilter::Create(behaviour);
    if (!peer) {
        ADD_FAILURE() << "no peer";
        return nullptr;
    }
    peers.push_back(peer);
    const std::wstring name = L"Peer " + std::to_wstring(peers.size());
    graph->Add(peer->Filter(), name.c_str());
    return peer;
}

HRESULT HostileTest::ConnectCapture(CHostilePeerFilter* peer, const AM_MEDIA_TYPE* type) {
    if (!peer || !capture) {
        return E_POINTER;
    }
    return graph->Builder()->ConnectDirect(capture, peer->Pin(), type);
}

bool HostileTest::CaptureConnected() {
    IPin* peer = nullptr;
    if (!capture || FAILED(capture->ConnectedTo(&peer))) {
        return false;
    }
    peer->Release();
    return true;
}

HRESULT HostileTest::RunUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    HRESULT hr = E_FAIL;
    ReturnsWithin(kHungBoundMs, "running the graph", [&] { hr = graph->Control()->Run(); });
    if (FAILED(hr)) {
        return hr;
    }
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) {
            return VFW_E_TIMEOUT;
        }
        Sleep(20);
    }
    return S_OK;
}

HRESULT HostileTest::StopBounded() {
    HRESULT hr = E_FAIL;
    ReturnsWithin(kHungBoundMs, "stopping the graph", [&] { hr = graph->Control()->Stop(); });
    return hr;
}
