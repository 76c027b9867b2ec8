// CKorvelGenICamCapturePin: its interface table, property pages and frame
// statistics. IAMStreamConfig is in CapturePinStreamConfig.cpp.
#include "pins/CapturePin.h"

#include <uuids.h>

#include <climits>

CKorvelGenICamCapturePin::CKorvelGenICamCapturePin(const TCHAR* objectName, HRESULT* result,
                                                   CBaseFilter* filter, CCritSec* stateLock, LPCWSTR pinName,
                                                   FormatNegotiator* negotiator, CCritSec* cameraLock)
    : CKorvelGenICamStreamPin(objectName ? objectName : NAME("Capture pin"), result, filter, stateLock,
                              pinName, negotiator, cameraLock, StreamPinRole::Capture) {}

CKorvelGenICamCapturePin::~CKorvelGenICamCapturePin() = default;

STDMETHODIMP CKorvelGenICamCapturePin::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    if (riid == IID_ISpecifyPropertyPages) {
        return GetInterface(static_cast<ISpecifyPropertyPages*>(this), ppv);
    }
    if (riid == IID_IAMStreamConfig) {
        return GetInterface(static_cast<IAMStreamConfig*>(this), ppv);
    }
    if (riid == IID_IAMDroppedFrames) {
        return GetInterface(static_cast<IAMDroppedFrames*>(this), ppv);
    }
    return CKorvelGenICamStreamPin::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP CKorvelGenICamCapturePin::GetPages(CAUUID* pPages) {
    if (!pPages) {
        return E_POINTER;
    }
    pPages->cElems = 0;
    pPages->pElems = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID)));
    if (!pPages->pElems) {
        return E_OUTOFMEMORY;
    }
    pPages->pElems[0] = CLSID_VideoStreamConfigPropertyPage;
    pPages->cElems = 1;
    return S_OK;
}

namespace {

// The counters are 64-bit; the interface reports 32.
LONG ClampToLong(int64_t value) {
    return value > LONG_MAX ? LONG_MAX : static_cast<LONG>(value);
}

}  // namespace

STDMETHODIMP CKorvelGenICamCapturePin::GetNumDropped(LONG* plDropped) {
    if (!plDropped) {
        return E_POINTER;
    }
    *plDropped = ClampToLong(Statistics().FramesDropped());
    return S_OK;
}

STDMETHODIMP CKorvelGenICamCapturePin::GetNumNotDropped(LONG* plNotDropped) {
    if (!plNotDropped) {
        return E_POINTER;
    }
    *plNotDropped = ClampToLong(Statistics().FramesDelivered());
    return S_OK;
}

STDMETHODIMP CKorvelGenICamCapturePin::GetDroppedInfo(LONG /*lSize*/, LONG* /*plArray*/,
                                                      LONG* /*plNumCopied*/) {
    return E_NOTIMPL;
}

STDMETHODIMP CKorvelGenICamCapturePin::GetAverageFrameSize(LONG* plAverageSize) {
    if (!plAverageSize) {
        return E_POINTER;
    }
    CAutoLock stateLock(m_pLock);
    CAutoLock frameLock(FrameLock());
    int64_t bytes = 0;
    if (!IsConnected() || !DibPictureBytes(m_mt, &bytes) || bytes > LONG_MAX) {
        return E_UNEXPECTED;
    }
    *plAverageSize = static_cast<LONG>(bytes);
    return S_OK;
}
