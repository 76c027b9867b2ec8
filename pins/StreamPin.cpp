// CKorvelGenICamStreamPin: identity, media-type negotiation, connection and
// the allocator. Activation and the frame's road are in FrameDelivery.cpp.
#include "pins/StreamPin.h"

#include <uuids.h>
#include <vfwmsgs.h>

#include "Camera/KorvelCamera.h"
#include "conversion/MediaTypeReader.h"
#include "pins/FormatNegotiator.h"
#include "pins/PinIdentifier.h"

namespace {

// The largest allocator prefix and alignment a downstream pin may ask for.
constexpr long kLargestPrefix = 64 * 1024;
constexpr long kLargestAlignment = 64 * 1024;

}  // namespace

CKorvelGenICamStreamPin::CKorvelGenICamStreamPin(const TCHAR* objectName, HRESULT* result,
                                                 CBaseFilter* filter, CCritSec* stateLock, LPCWSTR pinName,
                                                 FormatNegotiator* negotiator, CCritSec* cameraLock,
                                                 StreamPinRole role)
    : CBaseOutputPin(objectName, filter, stateLock, result, pinName),
      m_negotiator(negotiator),
      m_cameraLock(cameraLock),
      m_role(role),
      m_frameBuffer(nullptr),
      m_frameBufferSize(0),
      m_frameFresh(false),
      m_run(nullptr),
      m_deliveryThread(nullptr),
      m_abandonedThread(nullptr),
      m_abandonedRun(nullptr),
      m_connected(0) {}

CKorvelGenICamStreamPin::~CKorvelGenICamStreamPin() {
    // Normally the graph has stopped and disconnected the pin long before.
    StopDelivery(false);
    if (m_abandonedThread) {
        WaitForSingleObject(m_abandonedThread, 10000);
        CloseHandle(m_abandonedThread);
        m_abandonedThread = nullptr;
    }
    // A thread still downstream after that leaves without touching the pin.
    LetGoOfAbandonedRun();
    FreeFrameBuffer();
}

STDMETHODIMP CKorvelGenICamStreamPin::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    if (riid == IID_IKsPropertySet) {
        return GetInterface(static_cast<IKsPropertySet*>(this), ppv);
    }
    return CBaseOutputPin::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP CKorvelGenICamStreamPin::QueryId(LPWSTR* Id) {
    return AllocatePinIdentifier(Name(), Id);
}

STDMETHODIMP CKorvelGenICamStreamPin::ConnectionMediaType(AM_MEDIA_TYPE* pmt) {
    CAutoLock stateLock(m_pLock);
    CAutoLock frameLock(&m_frameLock);
    return CBaseOutputPin::ConnectionMediaType(pmt);
}

STDMETHODIMP CKorvelGenICamStreamPin::Notify(IBaseFilter* /*pSender*/, Quality q) {
    m_clock.OnQualityMessage(q);
    return S_OK;
}

CKorvelCamera* CKorvelGenICamStreamPin::Camera() const {
    return m_negotiator ? m_negotiator->Camera() : nullptr;
}

void CKorvelGenICamStreamPin::SetNegotiatorFlag(bool connected) {
    if (m_role == StreamPinRole::Capture) {
        m_negotiator->SetCapturePinConnected(connected);
    } else {
        m_negotiator->SetPreviewPinConnected(connected);
    }
}

bool CKorvelGenICamStreamPin::IsOtherPinConnected() {
    return m_role == StreamPinRole::Capture ? m_negotiator->IsPreviewPinConnected()
                                            : m_negotiator->IsCapturePinConnected();
}

HRESULT CKorvelGenICamStreamPin::GetMediaType(int position, CMediaType* mediaType) {
    if (!mediaType) {
        return E_POINTER;
    }
    if (position < 0) {
        return E_INVALIDARG;
    }
    if (!m_negotiator || position >= m_negotiator->GetOfferedTypeCount()) {
        return VFW_S_NO_MORE_ITEMS;
    }
    return m_negotiator->GetOfferedMediaType(position, mediaType);
}

HRESULT CKorvelGenICamStreamPin::CheckMediaType(const CMediaType* mediaType) {
    if (!mediaType) {
        return E_POINTER;
    }
    if (m_connected == 0) {
        if (!m_negotiator) {
            return E_FAIL;
        }
        // The camera's pixel format changes only through IAMStreamConfig.
        return m_negotiator->TestMediaType(mediaType, false);
    }
    // Connected: only the type in use, byte for byte.
    CAutoLock frameLock(&m_frameLock);
    return *mediaType == m_mt ? S_OK : E_INVALIDARG;
}

HRESULT CKorvelGenICamStreamPin::SetMediaType(const CMediaType* mediaType) {
    if (!mediaType) {
        return E_POINTER;
    }
    if (!m_negotiator) {
        return E_FAIL;
    }
    HRESULT hr = m_negotiator->SetMediaTypeOnCamera(mediaType, false);
    if (FAILED(hr)) {
        return hr;
    }
    {
        CAutoLock frameLock(&m_frameLock);
        hr = CBaseOutputPin::SetMediaType(mediaType);
    }
    if (FAILED(hr)) {
        return hr;
    }
    RecomputeOutputGeometry();
    return S_OK;
}

HRESULT CKorvelGenICamStreamPin::CompleteConnect(IPin* receivePin) {
    HRESULT hr = CBaseOutputPin::CompleteConnect(receivePin);
    if (FAILED(hr)) {
        return hr;
    }
    CKorvelCamera* camera = Camera();
    if (!camera) {
        return E_UNEXPECTED;
    }
    {
        CAutoLock cameraLock(m_cameraLock);
        // Grabbing serves both pins: the second connection finds it running.
        hr = camera->StartGrabbing();
        if (FAILED(hr)) {
            return hr;
        }
        SetNegotiatorFlag(true);
    }
    RecomputeOutputGeometry();
    InterlockedExchange(&m_connected, 1);
    return S_OK;
}

HRESULT CKorvelGenICamStreamPin::BreakConnect() {
    // Disconnection normally happens stopped; a pin broken while it delivers
    // stops its thread first.
    StopDelivery(true);

    const bool wasConnected = InterlockedExchange(&m_connected, 0) != 0;
    CKorvelCamera* camera = Camera();
    if (wasConnected && camera) {
        CAutoLock cameraLock(m_cameraLock);
        SetNegotiatorFlag(false);
        // The grab thread feeds both pins: it stops with the last connection,
        // not with the first, so that the other pin keeps its frames. A pin
        // that never completed its connection leaves grabbing alone.
        if (!IsOtherPinConnected()) {
            camera->StopGrabbing();
        }
    }

    m_clock.SetNominalFrameDuration(kDefaultFrameDurationMs);
    {
        CAutoLock frameLock(&m_frameLock);
        m_outputGeometry = PictureGeometry();
        FreeFrameBuffer();
        m_frameGeometry = PictureGeometry();
    }
    return CBaseOutputPin::BreakConnect();
}

HRESULT CKorvelGenICamStreamPin::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) {
    if (!allocator || !request) {
        return E_POINTER;
    }
    CAutoLock stateLock(m_pLock);
    const BITMAPINFOHEADER* header = BitmapHeaderOf(&m_mt);
    if (!header) {
        return E_FAIL;
    }
    DWORD imageSize = 0;
    if (FAILED(ImageSizeOfHeader(FormatIdFromMediaType(&m_mt), *header, &imageSize)) || imageSize == 0 ||
        imageSize > static_cast<DWORD>(LONG_MAX)) {
        return E_FAIL;
    }
    // Alignment and prefix stay as the downstream pin asked, unless no
    // allocator could meet them safely: a negative prefix puts the buffer
    // before its memory, an alignment must be a power of two, and neither
    // needs more than a few pages.
    if (request->cbPrefix < 0 || request->cbPrefix > kLargestPrefix) {
        return E_INVALIDARG;
    }
    if (request->cbAlign < 1 || request->cbAlign > kLargestAlignment ||
        (request->cbAlign & (request->cbAlign - 1)) != 0) {
        return VFW_E_BADALIGN;
    }
    // One buffer: the newest frame is what counts.
    request->cBuffers = 1;
    request->cbBuffer = static_cast<LONG>(imageSize);
    ALLOCATOR_PROPERTIES actual = {};
    const HRESULT hr = allocator->SetProperties(request, &actual);
    if (FAILED(hr)) {
        return hr;
    }
    return actual.cbBuffer < request->cbBuffer ? E_FAIL : S_OK;
}

void CKorvelGenICamStreamPin::RecomputeOutputGeometry() {
    CAutoLock frameLock(&m_frameLock);
    PictureGeometry geometry;
    double frameDuration = kDefaultFrameDurationMs;
    if (!ReadOutputGeometry(m_mt, &geometry, &frameDuration)) {
        return;
    }
    m_outputGeometry = geometry;
    m_clock.SetNominalFrameDuration(frameDuration);
}

void CKorvelGenICamStreamPin::FreeFrameBuffer() {
    delete[] m_frameBuffer;
    m_frameBuffer = nullptr;
    m_frameBufferSize = 0;
    m_frameFresh = false;
}

STDMETHODIMP CKorvelGenICamStreamPin::Set(REFGUID /*guidPropSet*/, DWORD /*dwPropID*/,
                                          LPVOID /*pInstanceData*/, DWORD /*cbInstanceData*/,
                                          LPVOID /*pPropData*/, DWORD /*cbPropData*/) {
    return E_NOTIMPL;
}

STDMETHODIMP CKorvelGenICamStreamPin::Get(REFGUID guidPropSet, DWORD dwPropID, LPVOID /*pInstanceData*/,
                                          DWORD /*cbInstanceData*/, LPVOID pPropData, DWORD cbPropData,
                                          DWORD* pcbReturned) {
    if (guidPropSet != AMPROPSETID_Pin) {
        return E_PROP_SET_UNSUPPORTED;
    }
    if (dwPropID != AMPROPERTY_PIN_CATEGORY) {
        return E_PROP_ID_UNSUPPORTED;
    }
    if (!pPropData && !pcbReturned) {
        return E_POINTER;
    }
    if (pcbReturned) {
        *pcbReturned = sizeof(GUID);
    }
    if (!pPropData) {
        return S_OK;
    }
    if (cbPropData < sizeof(GUID)) {
        return E_UNEXPECTED;
    }
    *static_cast<GUID*>(pPropData) =
        m_role == StreamPinRole::Capture ? PIN_CATEGORY_CAPTURE : PIN_CATEGORY_PREVIEW;
    return S_OK;
}

STDMETHODIMP CKorvelGenICamStreamPin::QuerySupported(REFGUID guidPropSet, DWORD dwPropID,
                                                     DWORD* pTypeSupport) {
    if (guidPropSet != AMPROPSETID_Pin) {
        return E_PROP_SET_UNSUPPORTED;
    }
    if (dwPropID != AMPROPERTY_PIN_CATEGORY) {
        return E_PROP_ID_UNSUPPORTED;
    }
    if (pTypeSupport) {
        *pTypeSupport = KSPROPERTY_SUPPORT_GET;
    }
    return S_OK;
}
