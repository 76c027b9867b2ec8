#include "Camera/GrabSession.h"

#include <process.h>

#include <utility>

#include "Camera/GrabBuffer.h"
#include "Camera/PixelFormatTable.h"

namespace {

// The grab thread's wait for a filled buffer; it bounds how late a stop is noticed.
constexpr unsigned int kResultWaitMs = 50;

}  // namespace

CGrabSession::CGrabSession(Setup setup)
    : m_setup(std::move(setup)), m_references(1), m_stopRequested(0), m_grabberUsers(0) {}

CGrabSession::~CGrabSession() {
    for (CGrabBuffer* buffer : m_adoptedBuffers) {
        delete buffer;
    }
}

HANDLE CGrabSession::StartThread() {
    m_references.fetch_add(1);
    const uintptr_t thread = _beginthreadex(nullptr, 0, &CGrabSession::ThreadMain, this, 0, nullptr);
    if (thread == 0) {
        m_references.fetch_sub(1);
        return nullptr;
    }
    return reinterpret_cast<HANDLE>(thread);
}

void CGrabSession::RequestStop() {
    m_stopRequested.store(1);
}

bool CGrabSession::WaitUntilGrabberIdle(DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (m_grabberUsers.load() != 0) {
        if (GetTickCount64() >= deadline) {
            return false;
        }
        Sleep(1);
    }
    return true;
}

void CGrabSession::AdoptBuffers(std::vector<CGrabBuffer*>& buffers) {
    m_adoptedBuffers.insert(m_adoptedBuffers.end(), buffers.begin(), buffers.end());
    buffers.clear();
}

void CGrabSession::Release() {
    if (m_references.fetch_sub(1) == 1) {
        delete this;
    }
}

unsigned __stdcall CGrabSession::ThreadMain(void* argument) {
    CGrabSession* session = static_cast<CGrabSession*>(argument);
    session->Run();
    session->Release();
    return 0;
}

bool CGrabSession::EnterGrabber() {
    m_grabberUsers.fetch_add(1);
    if (m_stopRequested.load() != 0) {
        m_grabberUsers.fetch_sub(1);
        return false;
    }
    return true;
}

void CGrabSession::LeaveGrabber() {
    m_grabberUsers.fetch_sub(1);
}

void CGrabSession::Run() {
    // The format holds for the thread's whole run, as the geometry does.
    const VideoFormatId format = FormatIdFromPixelFormat(m_setup.pixelFormatName.c_str());
    Quill::IStreamGrabber* const grabber = m_setup.streamGrabber;
    while (m_stopRequested.load() == 0) {
        Quill::GrabResult result;
        if (!EnterGrabber()) {
            break;
        }
        try {
            if (!grabber->GetWaitObject().Wait(kResultWaitMs) || !grabber->RetrieveResult(result)) {
                LeaveGrabber();
                continue;
            }
            if (result.Status() == Quill::Grabbed && result.Buffer() != nullptr &&
                m_setup.chunkParser != nullptr && m_setup.chunkModeActive) {
                m_setup.chunkParser->AttachBuffer(result.Buffer(),
                                                  static_cast<int64_t>(result.GetPayloadSize()));
            }
        } catch (const GenICam::GenericException&) {
            // The SDK gave up on the stream (a lost device, a closed grabber): the thread ends.
            LeaveGrabber();
            break;
        }
        LeaveGrabber();

        const Quill::EGrabStatus status = result.Status();
        if (status == Quill::Grabbed && result.Buffer() != nullptr) {
            Deliver(static_cast<const uint8_t*>(result.Buffer()), format);
        }
        if (status != Quill::Grabbed && status != Quill::Failed) {
            continue;
        }
        // A stop that came while the receivers ran leaves the buffer to StopGrabbing.
        if (!EnterGrabber()) {
            break;
        }
        try {
            grabber->QueueBuffer(result.Handle(), nullptr);
        } catch (const GenICam::GenericException&) {
            LeaveGrabber();
            break;
        }
        LeaveGrabber();
    }
}

void CGrabSession::Deliver(const uint8_t* buffer, VideoFormatId format) {
    for (ISampleOutputCallback* receiver : m_setup.receivers) {
        try {
            receiver->OnSampleOutput(buffer, m_setup.width, m_setup.height, m_setup.stride, format);
        } catch (const GenICam::GenericException&) {
            // One receiver's failure costs only its own frame.
        } catch (...) {
            // Nor may any other exception of a receiver end the thread.
        }
    }
}
