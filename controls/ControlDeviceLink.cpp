#include "controls/ControlDeviceLink.h"

#include "Camera/DeviceHandleTable.h"
#include "KorvelGenICamSource_h.h"
#include "quill/GCException.h"
#include "quill/QuillDevice.h"

CControlDeviceLink::CControlDeviceLink(IUnknown* filterOwner)
    : m_filterOwner(filterOwner), m_deviceValue(0), m_cookie(-1) {}

void CControlDeviceLink::Register(IUnknown* self) {
    IUnknown* owner = nullptr;
    {
        CAutoLock lock(&m_lock);
        owner = m_filterOwner;
    }
    if (!owner || !self) {
        return;
    }
    IKorvelGenICamConfigControl* control = nullptr;
    HRESULT hr =
        owner->QueryInterface(__uuidof(IKorvelGenICamConfigControl), reinterpret_cast<void**>(&control));
    if (FAILED(hr) || !control) {
        return;
    }
    // The camera object calls DeviceValid and DeviceInvalid with its own locks
    // held and then takes ours, so ours is not held across these calls.
    LONG cookie = -1;
    hr = control->SetConfigCallback(self, &cookie);
    if (hr == S_OK) {
        {
            CAutoLock lock(&m_lock);
            m_cookie = cookie;
        }
        LONG deviceValue = 0;
        if (control->GetActiveDevice(&deviceValue) == S_OK && deviceValue != 0) {
            DeviceValid(deviceValue);
        }
    }
    control->Release();
}

void CControlDeviceLink::Detach() {
    IUnknown* owner = nullptr;
    long cookie = -1;
    {
        CAutoLock lock(&m_lock);
        owner = m_filterOwner;
        cookie = m_cookie;
        m_filterOwner = nullptr;
        m_cookie = -1;
        m_deviceValue = 0;
    }
    if (!owner || cookie < 0) {
        return;
    }
    IKorvelGenICamConfigControl* control = nullptr;
    const HRESULT hr =
        owner->QueryInterface(__uuidof(IKorvelGenICamConfigControl), reinterpret_cast<void**>(&control));
    if (SUCCEEDED(hr) && control) {
        // Releases the reference the callback list held on the control.
        control->RemoveCallback(cookie);
        control->Release();
    }
}

HRESULT CControlDeviceLink::DeviceValid(long deviceValue) {
    CAutoLock lock(&m_lock);
    Quill::IQuillDevice* device = nullptr;
    if (!m_filterOwner || FAILED(ResolveDeviceValue(deviceValue, &device)) || !device) {
        m_deviceValue = 0;
        return E_INVALIDARG;
    }
    m_deviceValue = deviceValue;
    return S_OK;
}

HRESULT CControlDeviceLink::DeviceInvalid() {
    CAutoLock lock(&m_lock);
    m_deviceValue = 0;
    return S_OK;
}

GenApi::INodeMap* CControlDeviceLink::NodeMapLocked() {
    if (m_deviceValue == 0) {
        return nullptr;
    }
    Quill::IQuillDevice* device = nullptr;
    if (FAILED(ResolveDeviceValue(m_deviceValue, &device)) || !device) {
        // The device went without telling us; the value is of no further use.
        m_deviceValue = 0;
        return nullptr;
    }
    try {
        return device->GetNodeMap();
    } catch (const GenICam::GenericException&) {
        return nullptr;
    }
}
