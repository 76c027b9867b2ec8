#include "configdialog/SourceLink.h"

void CSourceLink::Hold(IKorvelGenICamSource* source) {
    Unregister();
    if (source) {
        source->AddRef();
    }
    if (m_source) {
        m_source->Release();
    }
    m_source = source;
}

HRESULT CSourceLink::CheckSource() const {
    if (!m_source) {
        return S_FALSE;
    }
    IKorvelGenICamConfigControl* control = ControlOf();
    if (!control) {
        return E_NOINTERFACE;
    }
    control->Release();
    return FindResolver(m_source) ? S_OK : E_NOINTERFACE;
}

HRESULT CSourceLink::Register() {
    if (!m_source) {
        return S_FALSE;
    }
    if (m_cookie >= 0) {
        return S_OK;
    }
    IKorvelGenICamConfigControl* control = ControlOf();
    if (!control) {
        return E_NOINTERFACE;
    }
    const KorvelDeviceResolver resolver = FindResolver(m_source);
    if (!resolver) {
        control->Release();
        return E_NOINTERFACE;
    }
    m_callback->SetResolver(resolver);

    // Any callback after this point is newer than what GetActiveDevice
    // reports below, and wins.
    const uint32_t generation = m_callback->Generation();
    LONG cookie = -1;
    HRESULT hr = control->SetConfigCallback(m_callback, &cookie);
    if (hr == S_OK && cookie >= 0) {
        m_cookie = cookie;
        LONG deviceValue = 0;
        if (control->GetActiveDevice(&deviceValue) == S_OK && deviceValue != 0) {
            m_callback->AdoptActiveDevice(deviceValue, generation);
        }
    } else {
        m_callback->SetResolver(nullptr);
        hr = FAILED(hr) ? hr : E_FAIL;
    }
    control->Release();
    return hr;
}

void CSourceLink::Unregister() {
    // The device goes first, so that nothing is touched once the filter
    // stops telling us about it.
    m_callback->SetResolver(nullptr);
    if (m_source && m_cookie >= 0) {
        if (IKorvelGenICamConfigControl* control = ControlOf()) {
            // Gives back the filter's reference on the callback.
            control->RemoveCallback(m_cookie);
            control->Release();
        }
    }
    m_cookie = -1;
}

IKorvelGenICamConfigControl* CSourceLink::ControlOf() const {
    IKorvelGenICamConfigControl* control = nullptr;
    if (!m_source || FAILED(m_source->QueryInterface(__uuidof(IKorvelGenICamConfigControl),
                                                     reinterpret_cast<void**>(&control)))) {
        return nullptr;
    }
    return control;
}

KorvelDeviceResolver CSourceLink::FindResolver(IUnknown* object) {
    if (!object) {
        return nullptr;
    }
    // The object's first word is its interface table, which lies in the
    // module that implements it. The reference the link holds keeps that
    // module loaded, so its count is left alone.
    HMODULE module = nullptr;
    const void* table = *reinterpret_cast<void* const*>(object);
    if (!GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCWSTR>(table), &module) ||
        !module) {
        return nullptr;
    }
    return reinterpret_cast<KorvelDeviceResolver>(
        reinterpret_cast<void*>(GetProcAddress(module, "KorvelResolveDeviceValue")));
}
