// CKorvelCamera: the grab engine. Ten buffers of PayloadSize bytes circulate
// between the stream grabber and one grab thread, which hands every filled
// buffer to the receivers and queues it again at once.
#include <climits>
#include <new>
#include <utility>

#include "Camera/FeatureHelpers.h"
#include "Camera/GrabBuffer.h"
#include "Camera/GrabSession.h"
#include "Camera/KorvelCamera.h"

namespace {

constexpr int64_t kGrabBufferCount = 10;
// How long StopGrabbing waits for the grab thread.
constexpr DWORD kGrabThreadWaitMs = 10000;
// After that wait: how long it waits for a thread stuck in a receiver to be
// outside its stream grabber calls (they are short; the receiver is not one).
constexpr DWORD kGrabberIdleWaitMs = 1000;

HRESULT ExecuteCommand(GenApi::INodeMap* nodeMap, const char* name) {
    if (nodeMap == nullptr) {
        return E_FAIL;
    }
    try {
        GenApi::ICommand* command = nullptr;
        if (FAILED(GetCommandFeature(nodeMap, name, &command)) || command == nullptr) {
            return E_FAIL;
        }
        command->Execute(true);
    } catch (const GenICam::GenericException&) {
        return E_FAIL;
    }
    return S_OK;
}

}  // namespace

HRESULT CKorvelCamera::StartGrabbing() {
    CCameraAutoLock lock(m_objectLock);
    // Also a thread that ended on an SDK failure counts as running until it is stopped.
    if (m_grabThread != nullptr && m_stopFlag == 0) {
        return S_OK;
    }
    if (m_device == nullptr || m_streamGrabber == nullptr) {
        return E_UNEXPECTED;
    }
    GenApi::INodeMap* nodeMap = DeviceNodeMap();
    const HRESULT hr = ReadGrabGeometry(nodeMap);
    if (hr != S_OK) {
        return hr;
    }
    return StartStream(nodeMap);
}

HRESULT CKorvelCamera::ReadGrabGeometry(GenApi::INodeMap* nodeMap) {
    HRESULT hr = E_FAIL;
    m_payloadSize = 0;
    m_width = 0;
    m_height = 0;
    m_triggerModeOn = 0;
    if (nodeMap == nullptr) {
        return E_FAIL;
    }
    try {
        GenApi::INodeMap* streamMap = m_streamGrabber->GetNodeMap();
        int64_t payloadSize = 0;
        int64_t width = 0;
        int64_t height = 0;
        GenICam::gcstring pixelFormat;
        if (SUCCEEDED(GetIntegerFeature(nodeMap, "PayloadSize", &payloadSize)) &&
            SUCCEEDED(SetIntegerFeature(streamMap, "MaxBufferSize", payloadSize)) &&
            SUCCEEDED(SetIntegerFeature(streamMap, "MaxNumBuffer", kGrabBufferCount)) &&
            SUCCEEDED(GetIntegerFeature(nodeMap, "Width", &width)) &&
            SUCCEEDED(GetIntegerFeature(nodeMap, "Height", &height)) &&
            SUCCEEDED(GetEnumerationString(nodeMap, "PixelFormat", &pixelFormat))) {
            m_payloadSize = payloadSize;
            m_width = width;
            m_height = height;
            m_pixelFormatName = pixelFormat;
            // The receivers take the width and the stride as 32-bit unsigned, the height as signed.
            if (payloadSize >= 1 && width >= 1 && height >= 1 && !pixelFormat.empty() && width <= INT32_MAX &&
                height <= INT32_MAX && payloadSize / height <= static_cast<int64_t>(UINT32_MAX)) {
                hr = S_OK;
            }
        }
    } catch (const GenICam::GenericException&) {
    }
    try {
        GenICam::gcstring triggerMode;
        if (SUCCEEDED(GetEnumerationString(nodeMap, "TriggerMode", &triggerMode)) && triggerMode == "On") {
            m_triggerModeOn = 1;
        }
    } catch (const GenICam::GenericException&) {
    }
    return hr;
}

HRESULT CKorvelCamera::StartStream(GenApi::INodeMap* nodeMap) {
    if (FAILED(SetEnumerationString(nodeMap, "AcquisitionMode", "Continuous"))) {
        return E_FAIL;
    }
    HRESULT hr = E_FAIL;
    CGrabSession* session = nullptr;
    try {
        m_streamGrabber->PrepareGrab();
        m_grabBuffers.reserve(m_grabBuffers.size() + kGrabBufferCount);
        const size_t bufferSize = static_cast<size_t>(m_payloadSize);
        for (int64_t made = 0; made < kGrabBufferCount; ++made) {
            // A failed allocation of the memory itself throws a GenericException.
            CGrabBuffer* buffer = new (std::nothrow) CGrabBuffer(bufferSize);
            if (buffer == nullptr) {
                throw std::bad_alloc();
            }
            try {
                buffer->SetBufferHandle(
                    m_streamGrabber->RegisterBuffer(buffer->GetBufferPointer(), bufferSize));
            } catch (const GenICam::GenericException&) {
                delete buffer;
                throw;
            }
            // Listed once registered, so that a failure from here on gives it back.
            m_grabBuffers.push_back(buffer);
            m_streamGrabber->QueueBuffer(buffer->GetBufferHandle(), nullptr);
        }

        CGrabSession::Setup setup;
        setup.streamGrabber = m_streamGrabber;
        setup.chunkParser = m_chunkParser;
        setup.chunkModeActive = m_chunkModeActive;
        for (ISampleOutputCallback* receiver : m_receivers) {
            if (receiver != nullptr) {
                setup.receivers.push_back(receiver);
            }
        }
        setup.width = static_cast<uint32_t>(m_width);
        setup.height = static_cast<int32_t>(m_height);
        setup.stride = static_cast<uint32_t>(m_payloadSize / m_height);
        setup.pixelFormatName = m_pixelFormatName.c_str();
        session = new CGrabSession(std::move(setup));

        m_stopFlag = 0;
        const HANDLE thread = session->StartThread();
        if (thread != nullptr) {
            m_grabThread = thread;
            m_grabSession = session;
            return S_OK;
        }
    } catch (const GenICam::GenericException&) {
        hr = E_FAIL;
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    }
    // Nothing of a failed start stays registered, so the next start has all
    // MaxNumBuffer places and FinishGrab can unlock the image format.
    m_stopFlag = 1;
    if (session != nullptr) {
        session->Release();
    }
    GiveBuffersBack(nullptr);
    return hr;
}

void CKorvelCamera::StopGrabbing() {
    CCameraAutoLock lock(m_objectLock);
    if (m_grabThread == nullptr) {
        return;
    }
    m_stopFlag = 1;
    CGrabSession* session = m_grabSession;
    m_grabSession = nullptr;
    if (session != nullptr) {
        session->RequestStop();
    }
    const bool ended = WaitForSingleObject(m_grabThread, kGrabThreadWaitMs) == WAIT_OBJECT_0;
    CloseHandle(m_grabThread);
    m_grabThread = nullptr;
    if (!ended && session != nullptr) {
        // Still inside a receiver: it reads a buffer, but the stream grabber is ours again.
        session->WaitUntilGrabberIdle(kGrabberIdleWaitMs);
    }
    GiveBuffersBack(ended ? nullptr : session);
    if (session != nullptr) {
        session->Release();
    }
}

void CKorvelCamera::GiveBuffersBack(CGrabSession* keepMemory) {
    // Each step runs whatever the one before it met.
    if (m_streamGrabber != nullptr) {
        try {
            m_streamGrabber->CancelGrab();
        } catch (const GenICam::GenericException&) {
        }
        try {
            Quill::GrabResult dropped;
            while (m_streamGrabber->RetrieveResult(dropped)) {
            }
        } catch (const GenICam::GenericException&) {
        }
        for (CGrabBuffer* buffer : m_grabBuffers) {
            try {
                m_streamGrabber->DeregisterBuffer(buffer->GetBufferHandle());
            } catch (const GenICam::GenericException&) {
                // A lost device or a closed grabber holds no buffer any more.
            }
        }
    }
    if (keepMemory != nullptr) {
        keepMemory->AdoptBuffers(m_grabBuffers);
    } else {
        for (CGrabBuffer* buffer : m_grabBuffers) {
            delete buffer;
        }
    }
    m_grabBuffers.clear();
    if (m_streamGrabber != nullptr) {
        try {
            m_streamGrabber->FinishGrab();
        } catch (const GenICam::GenericException&) {
        }
    }
}

bool CKorvelCamera::IsGrabbing() {
    CCameraAutoLock lock(m_objectLock);
    return m_grabThread != nullptr && m_stopFlag == 0;
}

HRESULT CKorvelCamera::StartAcquisition() {
    CCameraAutoLock lock(m_objectLock);
    return ExecuteCommand(DeviceNodeMap(), "AcquisitionStart");
}

HRESULT CKorvelCamera::StopAcquisition() {
    CCameraAutoLock lock(m_objectLock);
    return ExecuteCommand(DeviceNodeMap(), "AcquisitionStop");
}

HRESULT CKorvelCamera::SetTriggerMode(int32_t mode) {
    CCameraAutoLock lock(m_objectLock);
    GenApi::INodeMap* nodeMap = DeviceNodeMap();
    if (nodeMap == nullptr) {
        return E_FAIL;
    }
    const HRESULT hr = SetEnumerationString(nodeMap, "TriggerMode", mode == 1 ? "On" : "Off");
    if (SUCCEEDED(hr)) {
        // Any mode but 1 switched the trigger off, so software triggers stop too.
        m_triggerModeOn = mode == 1 ? 1 : 0;
    }
    return hr;
}

void CKorvelCamera::ExecuteSoftwareTrigger() {
    CCameraAutoLock lock(m_objectLock);
    if (m_triggerModeOn == 0) {
        return;
    }
    GenApi::INodeMap* nodeMap = DeviceNodeMap();
    if (nodeMap == nullptr) {
        return;
    }
    int64_t source = 0;
    if (FAILED(GetEnumerationValue(nodeMap, "TriggerSource", &source))) {
        return;
    }
    if (SUCCEEDED(SetEnumerationString(nodeMap, "TriggerSource", "Software"))) {
        ExecuteCommand(nodeMap, "TriggerSoftware");
    }
    SetEnumerationValue(nodeMap, "TriggerSource", source);
}
