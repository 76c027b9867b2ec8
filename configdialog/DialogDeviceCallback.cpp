#include "configdialog/DialogDeviceCallback.h"

#include "quill/GCException.h"
#include "quill/QuillDevice.h"

CDialogDeviceCallback::CDialogDeviceCallback() {
    InitializeCriticalSection(&m_lock);
}

CDialogDeviceCallback::~CDialogDeviceCallback() {
    DeleteCriticalSection(&m_lock);
}

STDMETHODIMP CDialogDeviceCallback::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    if (riid == IID_IUnknown || riid == __uuidof(IKorvelGenICamConfigCallback)) {
        *ppv = static_cast<IKorvelGenICamConfigCallback*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CDialogDeviceCallback::AddRef() {
    return ++m_references;
}

STDMETHODIMP_(ULONG) CDialogDeviceCallback::Release() {
    const ULONG references = --m_references;
    if (references == 0) {
        delete this;
    }
    return references;
}

STDMETHODIMP CDialogDeviceCallback::DeviceValid(LONG Device) {
    KorvelDeviceResolver resolver = nullptr;
    EnterCriticalSection(&m_lock);
    resolver = m_resolver;
    LeaveCriticalSection(&m_lock);

    // The value is resolved now, while the filter that called us guarantees
    // it names the device it has just opened.
    Quill::IQuillDevice* device = nullptr;
    const bool known = resolver && Device != 0 && SUCCEEDED(resolver(Device, &device)) && device;

    EnterCriticalSection(&m_lock);
    // The resolver may have been taken away meanwhile (SetSource(null)).
    if (known && m_resolver == resolver) {
        ChangeDeviceLocked(Device, device);
    } else {
        ChangeDeviceLocked(0, nullptr);
    }
    LeaveCriticalSection(&m_lock);
    Notify();
    return known ? S_OK : E_INVALIDARG;
}

STDMETHODIMP CDialogDeviceCallback::DeviceInvalid() {
    // Waits here while the window's thread finishes a feature access.
    EnterCriticalSection(&m_lock);
    ChangeDeviceLocked(0, nullptr);
    LeaveCriticalSection(&m_lock);
    Notify();
    return S_OK;
}

void CDialogDeviceCallback::SetNotifyWindow(HWND window, UINT message) {
    EnterCriticalSection(&m_lock);
    m_window = window;
    m_message = message;
    m_notificationPending = false;
    LeaveCriticalSection(&m_lock);
}

void CDialogDeviceCallback::NotificationTaken() {
    EnterCriticalSection(&m_lock);
    m_notificationPending = false;
    LeaveCriticalSection(&m_lock);
}

void CDialogDeviceCallback::SetResolver(KorvelDeviceResolver resolver) {
    EnterCriticalSection(&m_lock);
    if (resolver != m_resolver) {
        m_resolver = resolver;
        ChangeDeviceLocked(0, nullptr);
    }
    LeaveCriticalSection(&m_lock);
}

uint32_t CDialogDeviceCallback::Generation() {
    EnterCriticalSection(&m_lock);
    const uint32_t generation = m_generation;
    LeaveCriticalSection(&m_lock);
    return generation;
}

void CDialogDeviceCallback::AdoptActiveDevice(long value, uint32_t generationSeen) {
    KorvelDeviceResolver resolver = nullptr;
    EnterCriticalSection(&m_lock);
    resolver = m_resolver;
    LeaveCriticalSection(&m_lock);

    Quill::IQuillDevice* device = nullptr;
    if (!resolver || value == 0 || FAILED(resolver(value, &device)) || !device) {
        return;
    }
    EnterCriticalSection(&m_lock);
    // Any callback since generationSeen (in particular a DeviceInvalid for
    // this very device) is newer than the value and wins.
    if (m_generation == generationSeen && m_resolver == resolver) {
        ChangeDeviceLocked(value, device);
    }
    LeaveCriticalSection(&m_lock);
}

void CDialogDeviceCallback::Forget() {
    EnterCriticalSection(&m_lock);
    ChangeDeviceLocked(0, nullptr);
    LeaveCriticalSection(&m_lock);
}

void CDialogDeviceCallback::ChangeDeviceLocked(long value, Quill::IQuillDevice* device) {
    m_deviceValue = device ? value : 0;
    m_device = device;
    ++m_generation;
}

void CDialogDeviceCallback::Notify() {
    HWND window = nullptr;
    UINT message = 0;
    EnterCriticalSection(&m_lock);
    if (m_window && !m_notificationPending) {
        window = m_window;
        message = m_message;
        m_notificationPending = true;
    }
    LeaveCriticalSection(&m_lock);
    // Posted, never sent: the caller holds the filter's locks, and the
    // window's thread may be waiting for them.
    if (window && !PostMessageW(window, message, 0, 0)) {
        NotificationTaken();
    }
}

CDialogDeviceCallback::Lease::Lease(CDialogDeviceCallback& owner) : m_owner(owner) {
    EnterCriticalSection(&m_owner.m_lock);
}

CDialogDeviceCallback::Lease::~Lease() {
    LeaveCriticalSection(&m_owner.m_lock);
}

GenApi::INodeMap* CDialogDeviceCallback::Lease::NodeMap() {
    if (!m_owner.m_device || !m_owner.m_resolver) {
        return nullptr;
    }
    // A value whose device has been let go resolves no more: the device is
    // then not touched even if its DeviceInvalid has not arrived yet.
    Quill::IQuillDevice* device = nullptr;
    if (FAILED(m_owner.m_resolver(m_owner.m_deviceValue, &device)) || device != m_owner.m_device) {
        m_owner.ChangeDeviceLocked(0, nullptr);
        return nullptr;
    }
    try {
        return device->GetNodeMap();
    } catch (const GenICam::GenericException&) {
        return nullptr;
    }
}
