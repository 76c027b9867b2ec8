// CKorvelCamera: frame receivers, configuration callbacks, the device value
// and the removal report.
#include <new>

#include "Camera/KorvelCamera.h"
#include "Camera/RemovalWatch.h"
#include "KorvelGenICamSource_h.h"

HRESULT CKorvelCamera::RegisterSampleOutputCallback(ISampleOutputCallback* receiver) {
    CCameraAutoLock lock(m_objectLock);
    if (receiver == nullptr) {
        return S_FALSE;
    }
    try {
        m_receivers.push_back(receiver);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT CKorvelCamera::GetDeviceValue(long* deviceValue) {
    if (deviceValue == nullptr) {
        return E_POINTER;
    }
    CCameraAutoLock callbackLock(m_callbackLock);
    *deviceValue = m_deviceValue;
    return m_deviceValue != 0 ? S_OK : E_FAIL;
}

HRESULT CKorvelCamera::AddConfigCallback(IUnknown* callback, uint32_t* cookie) {
    if (callback == nullptr || cookie == nullptr) {
        return E_POINTER;
    }
    CCameraAutoLock callbackLock(m_callbackLock);
    try {
        IKorvelGenICamConfigCallback* configCallback = nullptr;
        const HRESULT hr = callback->QueryInterface(__uuidof(IKorvelGenICamConfigCallback),
                                                    reinterpret_cast<void**>(&configCallback));
        if (FAILED(hr) || configCallback == nullptr) {
            return E_FAIL;
        }
        try {
            m_configCallbacks.push_back(ConfigCallbackEntry{configCallback, m_nextCookie});
        } catch (const std::bad_alloc&) {
            configCallback->Release();
            return E_OUTOFMEMORY;
        }
    } catch (const GenICam::GenericException&) {
        return E_FAIL;
    }
    *cookie = m_nextCookie++;
    return S_OK;
}

HRESULT CKorvelCamera::RemoveConfigCallback(uint32_t cookie) {
    CCameraAutoLock callbackLock(m_callbackLock);
    for (auto entry = m_configCallbacks.begin(); entry != m_configCallbacks.end(); ++entry) {
        if (entry->cookie != cookie) {
            continue;
        }
        IKorvelGenICamConfigCallback* configCallback = entry->callback;
        // Out of the list before the release, which may call back into this object.
        m_configCallbacks.erase(entry);
        try {
            if (configCallback != nullptr) {
                configCallback->Release();
            }
        } catch (const GenICam::GenericException&) {
            return E_FAIL;
        }
        return S_OK;
    }
    return E_INVALIDARG;
}

bool CKorvelCamera::IsConfigCallbackSet(uint32_t cookie) {
    CCameraAutoLock callbackLock(m_callbackLock);
    for (const ConfigCallbackEntry& entry : m_configCallbacks) {
        if (entry.cookie == cookie) {
            return entry.callback != nullptr;
        }
    }
    return false;
}

namespace {

// Calls every callback that was registered when the pass began, in list order.
// A callback may add or remove registrations (on this thread: the lock is
// re-entrant), so the pass walks by cookie, which grows along the list, rather
// than by position; each callback is held while it runs.
template <class Entries, class Call>
void ForEachConfigCallback(Entries& entries, uint32_t endCookie, Call call) {
    uint32_t nextCookie = 0;
    for (;;) {
        IKorvelGenICamConfigCallback* configCallback = nullptr;
        for (const auto& entry : entries) {
            if (entry.cookie >= nextCookie && entry.cookie < endCookie && entry.callback != nullptr) {
                configCallback = entry.callback;
                nextCookie = entry.cookie + 1;
                break;
            }
        }
        if (configCallback == nullptr) {
            return;
        }
        configCallback->AddRef();
        call(configCallback);
        configCallback->Release();
    }
}

}  // namespace

void CKorvelCamera::NotifyDeviceValid(long deviceValue) {
    CCameraAutoLock callbackLock(m_callbackLock);
    ForEachConfigCallback(m_configCallbacks, m_nextCookie,
                          [deviceValue](IKorvelGenICamConfigCallback* configCallback) {
                              configCallback->DeviceValid(deviceValue);
                          });
}

void CKorvelCamera::NotifyDeviceInvalid() {
    CCameraAutoLock callbackLock(m_callbackLock);
    ForEachConfigCallback(m_configCallbacks, m_nextCookie, [](IKorvelGenICamConfigCallback* configCallback) {
        configCallback->DeviceInvalid();
    });
}

void CKorvelCamera::ReleaseConfigCallbacks() {
    CCameraAutoLock callbackLock(m_callbackLock);
    std::vector<ConfigCallbackEntry> entries;
    entries.swap(m_configCallbacks);
    for (const ConfigCallbackEntry& entry : entries) {
        if (entry.callback != nullptr) {
            entry.callback->Release();
        }
    }
}

bool CKorvelCamera::IsDeviceLossReported() {
    CCameraAutoLock lock(m_objectLock);
    return m_device != nullptr && CRemovalWatch::Instance().IsReported(this, m_device);
}
