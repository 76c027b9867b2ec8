// CKorvelGenICamStreamPin: activation, the frame hand-off from the camera's
// grab thread and the delivery thread that converts, stamps and delivers.
#include "pins/StreamPin.h"

#include <process.h>
#include <vfwmsgs.h>

#include <new>

#include "Camera/KorvelCamera.h"

namespace {

constexpr DWORD kThreadStopWaitMs = 10000;

}  // namespace

struct CKorvelGenICamStreamPin::DeliveryRun {
    CKorvelGenICamStreamPin* pin;
    HANDLE frameEvent;  // auto-reset: frames that arrive during a delivery wake the thread once
    volatile LONG stopRequested;
    volatile LONG references;  // the pin's and the thread's
};

void CKorvelGenICamStreamPin::ReleaseRun(DeliveryRun* run) {
    if (run && InterlockedDecrement(&run->references) == 0) {
        CloseHandle(run->frameEvent);
        delete run;
    }
}

HRESULT CKorvelGenICamStreamPin::Active() {
    CKorvelCamera* camera = Camera();
    if (!camera) {
        return E_UNEXPECTED;
    }
    // The graph activates connected pins only; the filter's trigger control
    // may ask an unconnected one, which must not touch the camera that the
    // other pin is using.
    if (!IsConnected()) {
        return VFW_E_NOT_CONNECTED;
    }
    bool started = false;
    {
        CAutoLock frameLock(&m_frameLock);
        started = m_run != nullptr;
    }
    // Activated again while delivering (the filter's trigger control does
    // this): the running thread and its time stamps go on.
    if (!started) {
        m_clock.Restart();
        m_statistics.Restart();
        const HRESULT hr = StartDelivery();
        if (FAILED(hr)) {
            return hr;
        }
    }

    HRESULT hr = S_OK;
    {
        CAutoLock cameraLock(m_cameraLock);
        hr = camera->StartAcquisition();
    }
    if (FAILED(hr)) {
        // Leave nothing running: a pin whose activation failed is not
        // deactivated by the filter.
        if (!started) {
            StopDelivery(false);
        }
        return hr;
    }
    hr = CBaseOutputPin::Active();
    if (FAILED(hr)) {
        {
            CAutoLock cameraLock(m_cameraLock);
            camera->StopAcquisition();
        }
        if (!started) {
            StopDelivery(false);
        }
    }
    return hr;
}

HRESULT CKorvelGenICamStreamPin::Inactive() {
    CKorvelCamera* camera = Camera();
    HRESULT result = S_OK;
    if (camera) {
        CAutoLock cameraLock(m_cameraLock);
        result = camera->StopAcquisition();
    }
    // The thread and the allocator stop even when the camera did not: a
    // stopped filter must not go on delivering.
    const HRESULT stopped = StopDelivery(true);
    if (stopped == S_FALSE) {
        // Never activated, or its activation failed before the thread ran.
        return FAILED(result) ? result : E_FAIL;
    }
    const HRESULT hr = CBaseOutputPin::Inactive();
    if (FAILED(result)) {
        return result;
    }
    return hr;
}

HRESULT CKorvelGenICamStreamPin::StartDelivery() {
    DeliveryRun* run = new (std::nothrow) DeliveryRun{this, nullptr, 0, 2};
    if (!run) {
        return E_FAIL;
    }
    run->frameEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!run->frameEvent) {
        delete run;
        return E_FAIL;
    }
    {
        CAutoLock frameLock(&m_frameLock);
        m_run = run;
    }
    const uintptr_t thread = _beginthreadex(nullptr, 0, DeliveryThreadProc, run, 0, nullptr);
    if (thread == 0) {
        {
            CAutoLock frameLock(&m_frameLock);
            m_run = nullptr;
        }
        CloseHandle(run->frameEvent);
        delete run;
        return E_FAIL;
    }
    CAutoLock frameLock(&m_frameLock);
    m_deliveryThread = reinterpret_cast<HANDLE>(thread);
    return S_OK;
}

HRESULT CKorvelGenICamStreamPin::StopDelivery(bool decommit) {
    DeliveryRun* run = nullptr;
    HANDLE thread = nullptr;
    {
        CAutoLock frameLock(&m_frameLock);
        run = m_run;
        thread = m_deliveryThread;
        m_run = nullptr;
        m_deliveryThread = nullptr;
        if (run) {
            InterlockedExchange(&run->stopRequested, 1);
            SetEvent(run->frameEvent);
        }
    }
    if (!run) {
        return S_FALSE;
    }
    if (decommit && m_pAllocator) {
        // A thread waiting for the allocator's only buffer returns at once.
        m_pAllocator->Decommit();
    }
    if (thread) {
        if (WaitForSingleObject(thread, kThreadStopWaitMs) == WAIT_OBJECT_0) {
            CloseHandle(thread);
        } else {
            // Stuck downstream: it keeps its own share of the run and leaves
            // after its current sample. The pin waits for it again at the end.
            if (m_abandonedThread) {
                CloseHandle(m_abandonedThread);
            }
            m_abandonedThread = thread;
        }
    }
    ReleaseRun(run);
    return S_OK;
}

unsigned __stdcall CKorvelGenICamStreamPin::DeliveryThreadProc(void* argument) {
    DeliveryRun* run = static_cast<DeliveryRun*>(argument);
    while (run->stopRequested == 0) {
        if (WaitForSingleObject(run->frameEvent, INFINITE) != WAIT_OBJECT_0 || run->stopRequested != 0) {
            break;
        }
        run->pin->DeliverOneSample(*run);
    }
    ReleaseRun(run);
    _endthreadex(0);
    return 0;
}

void CKorvelGenICamStreamPin::DeliverOneSample(const DeliveryRun& run) {
    const bool countsDrops = m_role == StreamPinRole::Capture;
    IMediaSample* sample = nullptr;
    HRESULT hr = GetDeliveryBuffer(&sample, nullptr, nullptr, 0);
    if (FAILED(hr) || !sample) {
        if (sample) {
            sample->Release();
        }
        // A buffer refused because the pin is stopping is no lost frame.
        if (countsDrops && run.stopRequested == 0) {
            m_statistics.CountDropped();
        }
        return;
    }
    {
        CAutoLock frameLock(&m_frameLock);
        AM_MEDIA_TYPE* changed = nullptr;
        if (sample->GetMediaType(&changed) == S_OK && changed) {
            AdoptSampleMediaType(*changed);
        }
        if (changed) {
            DeleteMediaType(changed);
        }
        ConvertFrameInto(sample);
        m_clock.Stamp(sample);
    }
    hr = Deliver(sample);
    if (SUCCEEDED(hr)) {
        m_statistics.CountDelivered();
    } else if (countsDrops) {
        m_statistics.CountDropped();
    }
    sample->Release();
}

void CKorvelGenICamStreamPin::AdoptSampleMediaType(const AM_MEDIA_TYPE& mediaType) {
    // A type with no usable video block is not taken: the pin keeps
    // converting into the one it has.
    PictureGeometry geometry;
    double frameDuration = kDefaultFrameDurationMs;
    if (!ReadOutputGeometry(mediaType, &geometry, &frameDuration)) {
        return;
    }
    if (FAILED(m_mt.Set(mediaType))) {
        return;
    }
    m_outputGeometry = geometry;
    m_clock.SetNominalFrameDuration(frameDuration);
}

void CKorvelGenICamStreamPin::ConvertFrameInto(IMediaSample* sample) {
    BYTE* data = nullptr;
    if (FAILED(sample->GetPointer(&data)) || !data || !m_frameBuffer) {
        return;
    }
    const long size = sample->GetSize();
    if (size < 1) {
        return;
    }
    // The sample goes out even when the pair does not convert: its contents
    // are then undefined, but the stream keeps its rhythm.
    try {
        m_conversionEngine.ConvertFrame(
            m_frameBuffer, m_frameBufferSize, m_frameGeometry.width, m_frameGeometry.height,
            m_frameGeometry.stride, m_frameGeometry.format, data, size, m_outputGeometry.width,
            m_outputGeometry.height, m_outputGeometry.stride, m_outputGeometry.format);
    } catch (...) {
    }
}

HRESULT CKorvelGenICamStreamPin::OnSampleOutput(const uint8_t* buffer, uint32_t width, int32_t height,
                                                uint32_t stride, VideoFormatId format) {
    if (m_connected == 0) {
        return S_OK;
    }
    // Every size must stay a positive 32-bit value for the conversion.
    if (!buffer || width == 0 || width > INT32_MAX || height == 0 || height == INT32_MIN || stride == 0 ||
        stride > INT32_MAX) {
        return E_INVALIDARG;
    }
    const int64_t rows = height < 0 ? -static_cast<int64_t>(height) : height;
    const int64_t size = rows * stride;

    CAutoLock frameLock(&m_frameLock);
    if (m_frameBuffer &&
        (height != m_frameGeometry.height || static_cast<int32_t>(stride) != m_frameGeometry.stride)) {
        FreeFrameBuffer();
    }
    if (!m_frameBuffer) {
        m_frameBuffer = new (std::nothrow) uint8_t[static_cast<size_t>(size)];
        if (!m_frameBuffer) {
            m_frameGeometry = PictureGeometry();
            return E_OUTOFMEMORY;
        }
        m_frameBufferSize = size;
    }
    m_frameGeometry.width = static_cast<int32_t>(width);
    m_frameGeometry.height = height;
    m_frameGeometry.stride = static_cast<int32_t>(stride);
    m_frameGeometry.format = format;
    try {
        m_conversionEngine.ConvertFrame(buffer, size, m_frameGeometry.width, height, m_frameGeometry.stride,
                                        format, m_frameBuffer, m_frameBufferSize, m_frameGeometry.width,
                                        height, m_frameGeometry.stride, format);
    } catch (...) {
    }
    if (m_run) {
        SetEvent(m_run->frameEvent);
    }
    return S_OK;
}
