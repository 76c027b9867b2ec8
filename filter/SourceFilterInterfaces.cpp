// IKorvelGenICamSource and IKorvelGenICamConfigControl: thin fronts for the
// camera object, each run under the filter's camera lock.
#include <new>

#include "filter/SourceFilter.h"
#include "pins/CapturePin.h"

namespace {

// The camera object raises a failed allocation; a COM method answers it.
template <typename Operation>
HRESULT Guarded(Operation operation) {
    try {
        return operation();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace

STDMETHODIMP CKorvelGenICamSourceFilter::GetCameraCount(LONG* Count) {
    if (!Count) {
        return E_POINTER;
    }
    CAutoLock cameraLock(&m_cameraLock);
    *Count = m_camera.GetCameraCount();
    return S_OK;
}

STDMETHODIMP CKorvelGenICamSourceFilter::GetCameraID(LONG Index, BSTR* CameraID) {
    if (!CameraID) {
        return E_POINTER;
    }
    CAutoLock cameraLock(&m_cameraLock);
    return Guarded([&] { return m_camera.GetCameraID(Index, CameraID); });
}

STDMETHODIMP CKorvelGenICamSourceFilter::GetSelectedCamera(BSTR* CameraID) {
    if (!CameraID) {
        return E_POINTER;
    }
    CAutoLock cameraLock(&m_cameraLock);
    return Guarded([&] { return m_camera.GetSelectedCameraID(CameraID); });
}

STDMETHODIMP CKorvelGenICamSourceFilter::SelectCamera(BSTR CameraID) {
    // Tested before any lock: while the capture pin is connected its format
    // belongs to the open camera. A connected preview pin alone does not
    // block the change.
    if (m_capturePin && m_capturePin->IsCameraConnected()) {
        return E_UNEXPECTED;
    }
    CAutoLock cameraLock(&m_cameraLock);
    return Guarded([&] { return m_camera.SelectCameraByID(CameraID ? CameraID : L""); });
}

STDMETHODIMP CKorvelGenICamSourceFilter::GetActiveDevice(LONG* Device) {
    if (!Device) {
        return E_POINTER;
    }
    CAutoLock cameraLock(&m_cameraLock);
    long deviceValue = 0;
    const HRESULT hr = m_camera.GetDeviceValue(&deviceValue);
    *Device = deviceValue;
    return hr;
}

STDMETHODIMP CKorvelGenICamSourceFilter::SetConfigCallback(IUnknown* pUnknown, LONG* Cookie) {
    if (!pUnknown || !Cookie) {
        return E_POINTER;
    }
    CAutoLock cameraLock(&m_cameraLock);
    uint32_t cookie = 0;
    const HRESULT hr = Guarded([&] { return m_camera.AddConfigCallback(pUnknown, &cookie); });
    if (SUCCEEDED(hr)) {
        *Cookie = static_cast<LONG>(cookie);
    }
    return hr;
}

STDMETHODIMP CKorvelGenICamSourceFilter::RemoveCallback(LONG Cookie) {
    CAutoLock cameraLock(&m_cameraLock);
    return m_camera.RemoveConfigCallback(static_cast<uint32_t>(Cookie));
}

STDMETHODIMP CKorvelGenICamSourceFilter::IsConfigCallbackSet(LONG Cookie, VARIANT_BOOL* IsSet) {
    if (!IsSet) {
        return E_POINTER;
    }
    CAutoLock cameraLock(&m_cameraLock);
    *IsSet = m_camera.IsConfigCallbackSet(static_cast<uint32_t>(Cookie)) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}
