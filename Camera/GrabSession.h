// CGrabSession: everything one grab thread works with, shared by the camera
// object and the thread and freed by whichever lets go last.
//
// The thread reads nothing of the camera object: the receivers, the geometry,
// the chunk settings and the stream grabber are copied in when grabbing starts.
// So a thread that is still inside a receiver when StopGrabbing gives up
// waiting can neither touch a camera object that has gone nor read a buffer
// that has been freed: StopGrabbing then hands the buffers' memory over to the
// session, and the thread frees it as it ends.
//
// The thread takes no lock. It announces every use of the stream grabber in a
// counter and looks at the stop request after announcing; StopGrabbing sets
// the request before it looks at the counter. Once the request is set and the
// counter is 0, the thread will not touch the stream grabber again.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "Camera/SampleOutputCallback.h"
#include "quill/Quill.h"

class CGrabBuffer;

class CGrabSession {
  public:
    struct Setup {
        Quill::IStreamGrabber* streamGrabber = nullptr;
        Quill::IChunkParser* chunkParser = nullptr;
        bool chunkModeActive = false;
        std::vector<ISampleOutputCallback*> receivers;  // non-null ones, in list order
        uint32_t width = 0;
        int32_t height = 0;
        uint32_t stride = 0;  // bytes per row handed to the receivers
        std::string pixelFormatName;
    };

    // The creator holds the one reference.
    explicit CGrabSession(Setup setup);

    CGrabSession(const CGrabSession&) = delete;
    CGrabSession& operator=(const CGrabSession&) = delete;

    // Starts the grab thread, which holds a reference of its own. The thread
    // handle, or null when the thread does not start.
    HANDLE StartThread();
    // Asks the thread to end; it notices within one 50 ms wait.
    void RequestStop();
    // After RequestStop: waits at most timeoutMs until the thread is outside
    // every stream grabber call. True when it is (it then makes none again).
    bool WaitUntilGrabberIdle(DWORD timeoutMs);
    // The memory of these buffers now lives as long as the session. For a
    // thread that has not ended; their records are freed with the session.
    void AdoptBuffers(std::vector<CGrabBuffer*>& buffers);
    // Lets go of one reference; the last one frees the session.
    void Release();

  private:
    ~CGrabSession();

    static unsigned __stdcall ThreadMain(void* argument);
    void Run();
    // Counts the thread in as a stream grabber user; false (and counted out)
    // when a stop is requested.
    bool EnterGrabber();
    void LeaveGrabber();
    void Deliver(const uint8_t* buffer, VideoFormatId format);

    Setup m_setup;
    std::atomic<long> m_references;
    std::atomic<long> m_stopRequested;
    std::atomic<long> m_grabberUsers;
    std::vector<CGrabBuffer*> m_adoptedBuffers;
};
