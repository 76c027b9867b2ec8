// CKorvelGenICamStreamPin: activation, the frame hand-off from the camera's
// grab thread and the delivery thread that converts, stamps and delivers.
#include "pins/StreamPin.h"

#include <process.h>
#include <vfwmsgs.h>

#include <new>

#include "Camera/KorvelCamera.h"
#include "conversion/MediaTypeReader.h"
#include "pins/ProposedMediaType.h"

namespace {

constexpr DWORD kThreadStopWaitMs = 10000;

}  // namespace

// A CBaseObject, so that the module stays loaded while a delivery thread
// that outlived its pin (stuck downstream) still runs its code.
struct CKorvelGenICamStreamPin::DeliveryRun : public CBaseObject {
    explicit DeliveryRun(CKorvelGenICamStreamPin* owner)
        : CBaseObject(NAME("Delivery run")),
          pin(owner),
          frameEvent(nullptr),
          stopRequested(0),
          references(2),
          pinGone(false) {}

    CKorvelGenICamStreamPin* const pin;  // read only under pinLock, and only while !pinGone
    HANDLE frameEvent;  // auto-reset: frames that arrive during a delivery wake the thread once
    volatile LONG stopRequested;
    volatile LONG references;  // the pin's and the thread's
    // Held by the thread whenever it touches the pin; the pin sets pinGone
    // under it before it goes without having seen the thread end.
    CCritSec pinLock;
    bool pinGone;
};

void CKorvelGenICamStreamPin::ReleaseRun(DeliveryRun* run) {
    if (run && InterlockedDecrement(&run->references) == 0) {
        if (run->frameEvent) {
            CloseHandle(run->frameEvent);
        }
        delete run;
    }
}

void CKorvelGenICamStreamPin::LetGoOfAbandonedRun() {
    if (!m_abandonedRun) {
        return;
    }
    {
        CAutoLock pinLock(&m_abandonedRun->pinLock);
        m_abandonedRun->pinGone = true;
    }
    ReleaseRun(m_abandonedRun);
    m_abandonedRun = nullptr;
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
    DeliveryRun* run = new (std::nothrow) DeliveryRun(this);
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
    if (thread && WaitForSingleObject(thread, kThreadStopWaitMs) != WAIT_OBJECT_0) {
        // Stuck downstream: it keeps its own share of the run and leaves
        // after its current sample. The pin keeps its share too and waits for
        // the thread again before it goes; an older abandoned thread is let
        // go now (it no longer touches the pin).
        LetGoOfAbandonedRun();
        if (m_abandonedThread) {
            CloseHandle(m_abandonedThread);
        }
        m_abandonedThread = thread;
        m_abandonedRun = run;
        return S_OK;
    }
    if (thread) {
        CloseHandle(thread);
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
        DeliverOneSample(*run);
    }
    ReleaseRun(run);
    _endthreadex(0);
    return 0;
}

void CKorvelGenICamStreamPin::DeliverOneSample(DeliveryRun& run) {
    // The calls downstream (the allocator's GetBuffer, the peer's Receive)
    // may block past both of the pin's waits; then the pin may be gone when
    // they return. Around them the thread holds its own references to the
    // allocator and the peer and touches the pin only under pinLock.
    IMemAllocator* allocator = nullptr;
    IMemInputPin* input = nullptr;
    bool countsDrops = false;
    {
        CAutoLock pinLock(&run.pinLock);
        if (run.pinGone) {
            return;
        }
        CKorvelGenICamStreamPin* pin = run.pin;
        {
            // A frame that arrived while the previous sample waited for its
            // buffer was delivered with it, but its signal stays set: that
            // wake-up has nothing new to send. Only this thread clears the
            // flag, so a fresh frame stays fresh until it is converted.
            CAutoLock frameLock(&pin->m_frameLock);
            if (!pin->m_frameFresh) {
                return;
            }
        }
        countsDrops = pin->m_role == StreamPinRole::Capture;
        allocator = pin->m_pAllocator;
        input = pin->m_pInputPin;
        if (!allocator || !input) {
            if (countsDrops && run.stopRequested == 0) {
                pin->m_statistics.CountDropped();
            }
            return;
        }
        allocator->AddRef();
        input->AddRef();
    }
    IMediaSample* sample = nullptr;
    HRESULT hr = allocator->GetBuffer(&sample, nullptr, nullptr, 0);
    allocator->Release();
    bool converted = false;
    {
        CAutoLock pinLock(&run.pinLock);
        if (!run.pinGone) {
            CKorvelGenICamStreamPin* pin = run.pin;
            if (FAILED(hr) || !sample) {
                // A buffer refused because the pin is stopping is no lost frame.
                if (countsDrops && run.stopRequested == 0) {
                    pin->m_statistics.CountDropped();
                }
            } else {
                CAutoLock frameLock(&pin->m_frameLock);
                AM_MEDIA_TYPE* changed = nullptr;
                if (sample->GetMediaType(&changed) == S_OK && changed) {
                    pin->AdoptSampleMediaType(*changed, sample->GetSize());
                }
                if (changed) {
                    DeleteMediaType(changed);
                }
                pin->ConvertFrameInto(sample);
                pin->m_frameFresh = false;
                pin->m_clock.Stamp(sample);
                converted = true;
            }
        }
    }
    if (!converted) {
        if (sample) {
            sample->Release();
        }
        input->Release();
        return;
    }
    hr = input->Receive(sample);
    sample->Release();
    input->Release();
    CAutoLock pinLock(&run.pinLock);
    if (run.pinGone) {
        return;
    }
    if (SUCCEEDED(hr)) {
        run.pin->m_statistics.CountDelivered();
    } else if (countsDrops) {
        run.pin->m_statistics.CountDropped();
    }
}

void CKorvelGenICamStreamPin::AdoptSampleMediaType(const AM_MEDIA_TYPE& mediaType, long sampleSize) {
    // A type that describes no picture this pin can deliver in this sample
    // is not taken: the pin keeps converting into the one it has, and the
    // connection keeps describing what it delivers.
    if (!IsDeliverableSampleType(mediaType, sampleSize)) {
        return;
    }
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

bool CKorvelGenICamStreamPin::IsDeliverableSampleType(const AM_MEDIA_TYPE& mediaType, long sampleSize) const {
    // A full video block with a positive width, a height and a picture size
    // that fits 32 bits.
    ProposedMediaType proposal;
    if (FAILED(ParseProposedMediaType(&mediaType, &proposal))) {
        return false;
    }
    // A format of the catalogue, whose picture fits the sample.
    const VideoFormatInfo* row = VideoFormatCatalogue::Row(proposal.format);
    uint64_t bytes = 0;
    if (!row ||
        !VideoFormatCatalogue::ImageSize(proposal.format, proposal.width, proposal.height, row->bitsPerPixel,
                                         &bytes) ||
        sampleSize < 1 || bytes > static_cast<uint64_t>(sampleSize)) {
        return false;
    }
    // Room for the camera's picture: conversion neither scales nor crops.
    if (m_frameBuffer) {
        const int32_t frameRows =
            m_frameGeometry.height < 0 ? -m_frameGeometry.height : m_frameGeometry.height;
        if (proposal.width < m_frameGeometry.width || proposal.height < frameRows) {
            return false;
        }
    }
    return true;
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
    m_frameFresh = true;
    if (m_run) {
        SetEvent(m_run->frameEvent);
    }
    return S_OK;
}
