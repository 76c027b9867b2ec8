// Helpers of the hostile-peer tests: the source filter in a Wine graph with
// one hostile peer behind its "Capture" pin, lying and absurd media types,
// and a call made under a watchdog that reports a hang instead of hanging.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "HostilePeer.h"
#include "PinTestSupport.h"

// A generous bound: a state change that takes longer has hung (the filter's
// own waits are 10 s each).
constexpr DWORD kHungBoundMs = 45000;

// Runs call on a thread of its own; true when it returned within boundMs.
// When it did not, the process cannot go on safely: the failure is printed
// and the process ends with exit code 3.
bool ReturnsWithin(DWORD boundMs, const char* what, const std::function<void()>& call);

// A RGB24 VIDEOINFOHEADER type with a full block, then changed by edit.
CMediaType EditedType(const std::function<void(AM_MEDIA_TYPE&, VIDEOINFOHEADER&)>& edit);

// Types that no pin may accept: blocks too short for their format type,
// missing blocks, absurd sizes.
std::vector<std::pair<std::string, CMediaType>> LyingTypes();

class HostileTest : public PinTest {
  protected:
    void TearDown() override;

    // A new peer in the graph (with the source, which is created once).
    CHostilePeerFilter* AddPeer(const PeerBehaviour& behaviour);
    HRESULT ConnectCapture(CHostilePeerFilter* peer, const AM_MEDIA_TYPE* type = nullptr);
    bool CaptureConnected();
    // Runs the graph and waits until the peer has received count samples (or
    // the allocator handed out count buffers, for peers whose buffers never
    // reach Receive).
    HRESULT RunUntil(const std::function<bool()>& done, DWORD timeoutMs = 15000);
    // Stops the graph under the watchdog; its result.
    HRESULT StopBounded();

    std::unique_ptr<Graph> graph;
    IBaseFilter* source = nullptr;
    IPin* capture = nullptr;
    std::vector<CHostilePeerFilter*> peers;
};
