#include "filter/SourceFilter.h"

#include <vfwmsgs.h>

#include <cwchar>
#include <new>

#include "pins/CapturePin.h"
#include "pins/FormatNegotiator.h"
#include "pins/PreviewPin.h"

namespace {

const WCHAR kCapturePinName[] = L"Capture";
const WCHAR kPreviewPinName[] = L"Preview";

enum PinIndex { kCapturePin = 0, kPreviewPin = 1, kPinCount = 2 };

// An identifier read as a signed decimal number: leading white space, an
// optional sign, the digits up to the first non-digit; 0 without digits. A
// number beyond the range of long reads as its limit, which names no pin.
int PinNumber(LPCWSTR id) {
    static_assert(sizeof(long) == sizeof(int), "long and int have one width on Windows");
    return static_cast<int>(std::wcstol(id, nullptr, 10));
}

}  // namespace

CUnknown* WINAPI CKorvelGenICamSourceFilter::CreateInstance(LPUNKNOWN outer, HRESULT* result) {
    // Without a place for the result a failed construction would go unseen
    // and a half-built filter be handed out.
    HRESULT localResult = S_OK;
    HRESULT* const constructionResult = result ? result : &localResult;

    CKorvelGenICamSourceFilter* filter = nullptr;
    try {
        filter = new (std::nothrow) CKorvelGenICamSourceFilter(
            outer, constructionResult, NAME("Korvel GenICam Source"), CLSID_CKorvelGenICamSource);
    } catch (const std::bad_alloc&) {
        // The camera object's constructor raises a failed allocation; no
        // exception may leave through the class factory.
        *constructionResult = E_OUTOFMEMORY;
        return nullptr;
    }
    if (!filter) {
        return nullptr;
    }
    // Any code a constructor wrote, even a success code, ends the object.
    if (*constructionResult != S_OK) {
        delete filter;
        return nullptr;
    }
    return filter;
}

CKorvelGenICamSourceFilter::CKorvelGenICamSourceFilter(LPUNKNOWN outer, HRESULT* result, const TCHAR* name,
                                                       REFCLSID clsid)
    : CBaseFilter(name, outer, &m_stateLock, clsid),
      CPersistStream(clsid),
      m_capturePin(nullptr),
      m_previewPin(nullptr),
      m_negotiator(nullptr) {
    CAutoLock cameraLock(&m_cameraLock);

    m_negotiator = new (std::nothrow) FormatNegotiator(&m_camera);
    if (!m_negotiator) {
        *result = E_OUTOFMEMORY;
        return;
    }
    try {
        const HRESULT hr = OpenFirstCamera();
        if (FAILED(hr)) {
            *result = hr;
            return;
        }
        if (FAILED(CreatePins(result))) {
            return;
        }
        // Frames go to both pins, capture first.
        m_camera.RegisterSampleOutputCallback(m_capturePin);
        m_camera.RegisterSampleOutputCallback(m_previewPin);
    } catch (const std::bad_alloc&) {
        // Caught here rather than in CreateInstance: the object is whole, so
        // its destructor gives back the negotiator and any pin already made.
        *result = E_OUTOFMEMORY;
    }
}

HRESULT CKorvelGenICamSourceFilter::OpenFirstCamera() {
    CCameraAutoLock objectLock(m_camera.ObjectLock());
    const int32_t count = m_camera.GetCameraCount();
    if (count == 0) {
        return E_FAIL;
    }
    // A camera that is open elsewhere or offers no format we know is passed
    // over for the next one.
    for (int32_t index = 0; index < count; ++index) {
        if (m_camera.OpenCamera(index) == S_OK) {
            return S_OK;
        }
    }
    return E_FAIL;
}

HRESULT CKorvelGenICamSourceFilter::CreatePins(HRESULT* result) {
    m_capturePin = new (std::nothrow) CKorvelGenICamCapturePin(nullptr, result, this, &m_stateLock,
                                                               kCapturePinName, m_negotiator, &m_cameraLock);
    if (!m_capturePin) {
        *result = E_OUTOFMEMORY;
        return E_OUTOFMEMORY;
    }
    m_previewPin = new (std::nothrow) CKorvelGenICamPreviewPin(nullptr, result, this, &m_stateLock,
                                                               kPreviewPinName, m_negotiator, &m_cameraLock);
    if (!m_previewPin) {
        *result = E_OUTOFMEMORY;
        return E_OUTOFMEMORY;
    }
    // A pin that could not copy its name has said so through *result.
    return *result == S_OK ? S_OK : E_FAIL;
}

CKorvelGenICamSourceFilter::~CKorvelGenICamSourceFilter() {
    {
        // An empty identifier closes the camera; configuration callbacks
        // still registered are told DeviceInvalid now.
        CAutoLock cameraLock(&m_cameraLock);
        m_camera.SelectCameraByID(L"");
    }
    ReleaseControls();
    delete m_capturePin;
    m_capturePin = nullptr;
    delete m_previewPin;
    m_previewPin = nullptr;
    delete m_negotiator;
    m_negotiator = nullptr;
    // The camera object, the locks and CBaseFilter go with the members.
}

STDMETHODIMP CKorvelGenICamSourceFilter::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    if (riid == IID_IKorvelGenICamSource) {
        return GetInterface(static_cast<IKorvelGenICamSource*>(this), ppv);
    }
    if (riid == IID_IKorvelGenICamConfigControl) {
        return GetInterface(static_cast<IKorvelGenICamConfigControl*>(this), ppv);
    }
    if (riid == IID_IAMVideoProcAmp || riid == IID_IAMCameraControl) {
        return QueryControl(riid, ppv);
    }
    if (riid == IID_ISpecifyPropertyPages) {
        return GetInterface(static_cast<ISpecifyPropertyPages*>(this), ppv);
    }
    if (riid == IID_IPersistStream) {
        return GetInterface(static_cast<IPersistStream*>(this), ppv);
    }
    if (riid == IID_IAMVideoControl) {
        return GetInterface(static_cast<IAMVideoControl*>(this), ppv);
    }
    return CBaseFilter::NonDelegatingQueryInterface(riid, ppv);
}

int CKorvelGenICamSourceFilter::GetPinCount() {
    return kPinCount;
}

CBasePin* CKorvelGenICamSourceFilter::GetPin(int n) {
    switch (n) {
        case kCapturePin:
            return m_capturePin;
        case kPreviewPin:
            return m_previewPin;
        default:
            return nullptr;
    }
}

LPAMOVIESETUP_FILTER CKorvelGenICamSourceFilter::GetSetupData() {
    return nullptr;
}

STDMETHODIMP CKorvelGenICamSourceFilter::GetState(DWORD dwMSecs, FILTER_STATE* State) {
    if (!State) {
        return E_POINTER;
    }
    const HRESULT hr = CBaseFilter::GetState(dwMSecs, State);
    if (SUCCEEDED(hr) && *State == State_Paused) {
        return VFW_S_CANT_CUE;
    }
    return hr;
}

STDMETHODIMP CKorvelGenICamSourceFilter::FindPin(LPCWSTR Id, IPin** ppPin) {
    if (!ppPin) {
        return E_POINTER;
    }
    *ppPin = nullptr;
    if (!Id) {
        return E_POINTER;
    }

    CBasePin* found = nullptr;
    for (int index = 0; index < GetPinCount(); ++index) {
        CBasePin* pin = GetPin(index);
        if (!pin) {
            continue;
        }
        LPWSTR pinId = nullptr;
        if (SUCCEEDED(pin->QueryId(&pinId)) && pinId) {
            if (std::wcscmp(pinId, Id) == 0) {
                found = pin;
            }
            CoTaskMemFree(pinId);
        }
    }
    if (!found) {
        found = GetPin(PinNumber(Id));
        if (!found) {
            return VFW_E_NOT_FOUND;
        }
    }
    return GetInterface(static_cast<IPin*>(found), reinterpret_cast<void**>(ppPin));
}
