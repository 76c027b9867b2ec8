#include "baseclasses/EnumPins.h"

#include <new>

#include <vfwmsgs.h>

#include "baseclasses/BaseFilter.h"
#include "baseclasses/BasePin.h"

CEnumPins::CEnumPins(CBaseFilter* pFilter, const CEnumPins* pEnumPins)
    : CUnknown(NAME("Pin enumerator"), nullptr),
      m_pFilter(pFilter),
      m_Position(pEnumPins ? pEnumPins->m_Position : 0),
      m_PinCount(pEnumPins ? pEnumPins->m_PinCount : pFilter->GetPinCount()),
      m_Version(pEnumPins ? pEnumPins->m_Version : pFilter->GetPinVersion()) {
    m_pFilter->AddRef();
}

CEnumPins::~CEnumPins() {
    m_pFilter->Release();
}

STDMETHODIMP CEnumPins::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    if (riid == IID_IEnumPins) {
        return GetInterface(static_cast<IEnumPins*>(this), ppv);
    }
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

bool CEnumPins::IsOutOfSync() const {
    return m_Version != m_pFilter->GetPinVersion();
}

STDMETHODIMP CEnumPins::Next(ULONG cPins, IPin** ppPins, ULONG* pcFetched) {
    if (!ppPins) {
        return E_POINTER;
    }
    if (!pcFetched && cPins != 1) {
        return E_INVALIDARG;
    }
    if (pcFetched) {
        *pcFetched = 0;
    }
    if (IsOutOfSync()) {
        return VFW_E_ENUM_OUT_OF_SYNC;
    }

    ULONG fetched = 0;
    while (fetched < cPins && m_Position < m_PinCount) {
        CBasePin* pin = m_pFilter->GetPin(m_Position++);
        if (!pin) {
            // A hole in the filter's pin list is skipped, not handed out.
            continue;
        }
        IPin* pinInterface = static_cast<IPin*>(pin);
        pinInterface->AddRef();
        ppPins[fetched++] = pinInterface;
    }
    if (pcFetched) {
        *pcFetched = fetched;
    }
    return fetched == cPins ? S_OK : S_FALSE;
}

STDMETHODIMP CEnumPins::Skip(ULONG cPins) {
    if (IsOutOfSync()) {
        return VFW_E_ENUM_OUT_OF_SYNC;
    }
    const ULONG left = static_cast<ULONG>(m_PinCount - m_Position);
    if (cPins > left) {
        m_Position = m_PinCount;
        return S_FALSE;
    }
    m_Position += static_cast<int>(cPins);
    return S_OK;
}

STDMETHODIMP CEnumPins::Reset() {
    m_Position = 0;
    m_PinCount = m_pFilter->GetPinCount();
    m_Version = m_pFilter->GetPinVersion();
    return S_OK;
}

STDMETHODIMP CEnumPins::Clone(IEnumPins** ppEnum) {
    if (!ppEnum) {
        return E_POINTER;
    }
    *ppEnum = nullptr;
    if (IsOutOfSync()) {
        return VFW_E_ENUM_OUT_OF_SYNC;
    }
    auto* copy = new (std::nothrow) CEnumPins(m_pFilter, this);
    if (!copy) {
        return E_OUTOFMEMORY;
    }
    return copy->NonDelegatingQueryInterface(IID_IEnumPins, reinterpret_cast<void**>(ppEnum));
}
