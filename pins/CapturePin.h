// CKorvelGenICamCapturePin: the filter's first output pin, "Capture"
// (PIN_CATEGORY_CAPTURE). Besides what both pins share it lets applications
// list the camera's capabilities and choose its format (IAMStreamConfig,
// CapturePinStreamConfig.cpp), shows the system's stream-format page
// (ISpecifyPropertyPages) and counts the frames it could not deliver
// (IAMDroppedFrames).
#pragma once

#include <windows.h>
#include <strmif.h>

#include "pins/StreamPin.h"

class CKorvelGenICamCapturePin : public CKorvelGenICamStreamPin,
                                 public ISpecifyPropertyPages,
                                 public IAMStreamConfig,
                                 public IAMDroppedFrames {
  public:
    // The filter's state lock is the pin's lock; the camera lock and the
    // negotiator are the filter's and outlive the pin.
    CKorvelGenICamCapturePin(const TCHAR* objectName, HRESULT* result, CBaseFilter* filter,
                             CCritSec* stateLock, LPCWSTR pinName, FormatNegotiator* negotiator,
                             CCritSec* cameraLock);
    ~CKorvelGenICamCapturePin() override;

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // ISpecifyPropertyPages: the system's video stream configuration page.
    STDMETHODIMP GetPages(CAUUID* pPages) override;

    // IAMStreamConfig
    // Only while the filter is stopped. With no pin connected it sets the
    // camera (its pixel format too; a null type resets it to its default);
    // with pins connected it reconnects each whose downstream pin accepts
    // the type.
    STDMETHODIMP SetFormat(AM_MEDIA_TYPE* pmt) override;
    // The camera's own current format, size and frame rate, not the
    // connected type.
    STDMETHODIMP GetFormat(AM_MEDIA_TYPE** ppmt) override;
    STDMETHODIMP GetNumberOfCapabilities(int* piCount, int* piSize) override;
    // One per camera format and probed size, each a VIDEOINFOHEADER type;
    // S_OK for every index below the count.
    STDMETHODIMP GetStreamCaps(int iIndex, AM_MEDIA_TYPE** ppmt, BYTE* pSCC) override;

    // IAMDroppedFrames
    // Frames not delivered since the pin was created.
    STDMETHODIMP GetNumDropped(LONG* plDropped) override;
    // Frames delivered since the last activation.
    STDMETHODIMP GetNumNotDropped(LONG* plNotDropped) override;
    STDMETHODIMP GetDroppedInfo(LONG lSize, LONG* plArray, LONG* plNumCopied) override;  // E_NOTIMPL
    // Bytes of one picture of the connected type (E_UNEXPECTED unconnected).
    STDMETHODIMP GetAverageFrameSize(LONG* plAverageSize) override;

  private:
    // SetFormat's steps.
    HRESULT SetCameraFormatUnconnected(const AM_MEDIA_TYPE* mediaType);
    HRESULT ReconnectWithFormat(const AM_MEDIA_TYPE* mediaType, CBasePin* previewPin);
};
