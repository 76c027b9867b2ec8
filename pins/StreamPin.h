// CKorvelGenICamStreamPin: what the filter's two output pins, "Capture" and
// "Preview", share. Each negotiates its media type through the filter's
// FormatNegotiator, keeps a copy of the newest camera frame handed to it on
// the camera's grab thread, and while active converts that copy into its
// connected format on a delivery thread of its own, stamps it with synthetic
// times and delivers it downstream. Both answer IKsPropertySet with their
// pin category.
//
// The road of one frame: OnSampleOutput (grab thread) copies the frame into
// frameBuffer and wakes the delivery thread, which takes a sample from the
// allocator, converts frameBuffer into it with ConvertFrame, stamps it
// (CSampleClock) and Delivers it, counting it (CFrameStatistics).
//
// Locks: the filter's state lock (the pin's CBasePin lock), then the filter's
// camera lock around every camera call, then the negotiator's; inside the
// pin frameLock before timingLock, statsLock alone; the delivery thread takes
// its run's pinLock before either. The grab and delivery threads take
// neither of the filter's locks.
#pragma once

#include <windows.h>
#include <strmif.h>

#include <cstdint>

#include "Camera/SampleOutputCallback.h"
#include "baseclasses/BaseClasses.h"
#include "conversion/ConversionEngine.h"
#include "pins/FrameStatistics.h"
#include "pins/PictureGeometry.h"
#include "pins/SampleClock.h"

class CKorvelCamera;
class FormatNegotiator;

enum class StreamPinRole { Capture, Preview };

class CKorvelGenICamStreamPin : public CBaseOutputPin, public IKsPropertySet, public ISampleOutputCallback {
  public:
    // The filter's state lock is the pin's lock; the camera lock, the
    // negotiator and the camera behind it are the filter's and outlive the pin.
    CKorvelGenICamStreamPin(const TCHAR* objectName, HRESULT* result, CBaseFilter* filter,
                            CCritSec* stateLock, LPCWSTR pinName, FormatNegotiator* negotiator,
                            CCritSec* cameraLock, StreamPinRole role);
    ~CKorvelGenICamStreamPin() override;

    DECLARE_IUNKNOWN
    // IKsPropertySet here, the rest to CBaseOutputPin.
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // IPin
    STDMETHODIMP QueryId(LPWSTR* Id) override;
    // Under the state lock and frameLock: the delivery thread may adopt a
    // type that a sample carries.
    STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE* pmt) override;

    // IQualityControl: shifts the time stamps; always S_OK.
    STDMETHODIMP Notify(IBaseFilter* pSender, Quality q) override;

    // IKsPropertySet: the pin category (AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY), read-only.
    STDMETHODIMP Set(REFGUID guidPropSet, DWORD dwPropID, LPVOID pInstanceData, DWORD cbInstanceData,
                     LPVOID pPropData, DWORD cbPropData) override;
    STDMETHODIMP Get(REFGUID guidPropSet, DWORD dwPropID, LPVOID pInstanceData, DWORD cbInstanceData,
                     LPVOID pPropData, DWORD cbPropData, DWORD* pcbReturned) override;
    STDMETHODIMP QuerySupported(REFGUID guidPropSet, DWORD dwPropID, DWORD* pTypeSupport) override;

    // CBasePin / CBaseOutputPin
    HRESULT GetMediaType(int position, CMediaType* mediaType) override;
    HRESULT CheckMediaType(const CMediaType* mediaType) override;
    HRESULT SetMediaType(const CMediaType* mediaType) override;
    HRESULT CompleteConnect(IPin* receivePin) override;
    HRESULT BreakConnect() override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;
    // Start and stop the delivery thread and the camera's acquisition.
    HRESULT Active() override;
    HRESULT Inactive() override;

    // ISampleOutputCallback: S_OK (also for a frame ignored while the pin is
    // not connected), E_INVALIDARG for a frame that describes no picture,
    // E_OUTOFMEMORY when the copy buffer cannot be allocated.
    HRESULT OnSampleOutput(const uint8_t* buffer, uint32_t width, int32_t height, uint32_t stride,
                           VideoFormatId format) override;

    // The `connected` flag: set between CompleteConnect and BreakConnect.
    bool IsCameraConnected() const { return m_connected != 0; }
    // Frames per second delivered since activation (IAMVideoControl).
    double AverageFrameRate() { return m_statistics.AverageFrameRate(); }

  protected:
    FormatNegotiator* Negotiator() const { return m_negotiator; }
    CFrameStatistics& Statistics() { return m_statistics; }
    // Holds the state lock and frameLock, so that a type a sample carries
    // cannot change it meanwhile.
    CCritSec* FrameLock() { return &m_frameLock; }

  private:
    // One activation's delivery thread and what it waits on; shared by the
    // pin and the thread, freed by whichever lets go last, so that a thread
    // that outlives its stop can still finish safely.
    struct DeliveryRun;

    CKorvelCamera* Camera() const;
    void SetNegotiatorFlag(bool connected);
    bool IsOtherPinConnected();
    // From the connected media type; nothing changes without a usable block.
    void RecomputeOutputGeometry();
    void FreeFrameBuffer();

    // The delivery thread and the hand-off (FrameDelivery.cpp).
    HRESULT StartDelivery();
    // Stops the thread: signals it, decommits the allocator when asked (a
    // thread waiting for a buffer returns), waits at most 10000 ms. S_OK, or
    // S_FALSE when there was no thread.
    HRESULT StopDelivery(bool decommit);
    static unsigned __stdcall DeliveryThreadProc(void* argument);
    // Touches the pin only under the run's pinLock and while the pin has not
    // given the run up, since the pin may go while the thread is downstream.
    static void DeliverOneSample(DeliveryRun& run);
    void ConvertFrameInto(IMediaSample* sample);
    // Under frameLock.
    void AdoptSampleMediaType(const AM_MEDIA_TYPE& mediaType, long sampleSize);
    bool IsDeliverableSampleType(const AM_MEDIA_TYPE& mediaType, long sampleSize) const;
    static void ReleaseRun(DeliveryRun* run);
    // Gives up the run of a thread that outlived its waits: the thread no
    // longer touches the pin.
    void LetGoOfAbandonedRun();

    FormatNegotiator* const m_negotiator;
    CCritSec* const m_cameraLock;
    const StreamPinRole m_role;
    ConversionEngine m_conversionEngine;

    CSampleClock m_clock;           // timingLock
    CFrameStatistics m_statistics;  // statsLock

    // Written on connection and by the delivery thread when a sample
    // carries a new type, under frameLock.
    PictureGeometry m_outputGeometry;

    CCritSec m_frameLock;
    uint8_t* m_frameBuffer;  // |height| x stride bytes of frameGeometry
    int64_t m_frameBufferSize;
    PictureGeometry m_frameGeometry;
    // A frame came after the last one converted for delivery: a wake-up
    // without one (its frame was taken by the delivery before) sends nothing.
    bool m_frameFresh;
    DeliveryRun* m_run;  // the active delivery thread's, null while inactive

    HANDLE m_deliveryThread;
    // A thread that did not end within its wait, and its run: waited for
    // again before the pin goes, then let go.
    HANDLE m_abandonedThread;
    DeliveryRun* m_abandonedRun;
    volatile LONG m_connected;
};
