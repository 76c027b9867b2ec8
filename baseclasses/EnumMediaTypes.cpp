#include "baseclasses/EnumMediaTypes.h"

#include <new>

#include <vfwmsgs.h>

#include "baseclasses/BasePin.h"
#include "baseclasses/MediaType.h"

CEnumMediaTypes::CEnumMediaTypes(CBasePin* pPin, const CEnumMediaTypes* pEnumMediaTypes)
    : CUnknown(NAME("Media type enumerator"), nullptr),
      m_pPin(pPin),
      m_Position(pEnumMediaTypes ? pEnumMediaTypes->m_Position : 0),
      m_Version(pEnumMediaTypes ? pEnumMediaTypes->m_Version : pPin->GetMediaTypeVersion()) {
    m_pPin->AddRef();
}

CEnumMediaTypes::~CEnumMediaTypes() {
    m_pPin->Release();
}

STDMETHODIMP CEnumMediaTypes::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    if (riid == IID_IEnumMediaTypes) {
        return GetInterface(static_cast<IEnumMediaTypes*>(this), ppv);
    }
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

bool CEnumMediaTypes::IsOutOfSync() const {
    return m_Version != m_pPin->GetMediaTypeVersion();
}

STDMETHODIMP CEnumMediaTypes::Next(ULONG cMediaTypes, AM_MEDIA_TYPE** ppMediaTypes, ULONG* pcFetched) {
    if (!ppMediaTypes) {
        return E_POINTER;
    }
    if (!pcFetched && cMediaTypes != 1) {
        return E_INVALIDARG;
    }
    if (pcFetched) {
        *pcFetched = 0;
    }
    if (IsOutOfSync()) {
        return VFW_E_ENUM_OUT_OF_SYNC;
    }

    ULONG fetched = 0;
    while (fetched < cMediaTypes) {
        CMediaType type;
        if (m_pPin->GetMediaType(m_Position, &type) != S_OK) {
            break;
        }
        AM_MEDIA_TYPE* copy = CreateMediaType(&type);
        if (!copy) {
            // Nothing is handed out from a call that could not finish.
            for (ULONG i = 0; i < fetched; ++i) {
                DeleteMediaType(ppMediaTypes[i]);
                ppMediaTypes[i] = nullptr;
            }
            return E_OUTOFMEMORY;
        }
        ppMediaTypes[fetched++] = copy;
        ++m_Position;
    }
    if (pcFetched) {
        *pcFetched = fetched;
    }
    return fetched == cMediaTypes ? S_OK : S_FALSE;
}

STDMETHODIMP CEnumMediaTypes::Skip(ULONG cMediaTypes) {
    if (IsOutOfSync()) {
        return VFW_E_ENUM_OUT_OF_SYNC;
    }
    if (cMediaTypes == 0) {
        return S_OK;
    }
    // The pin has no count of its types: ask for the last one skipped.
    CMediaType last;
    const int target = m_Position + static_cast<int>(cMediaTypes);
    const bool exists = m_pPin->GetMediaType(target - 1, &last) == S_OK;
    m_Position = target;
    return exists ? S_OK : S_FALSE;
}

STDMETHODIMP CEnumMediaTypes::Reset() {
    m_Position = 0;
    m_Version = m_pPin->GetMediaTypeVersion();
    return S_OK;
}

STDMETHODIMP CEnumMediaTypes::Clone(IEnumMediaTypes** ppEnum) {
    if (!ppEnum) {
        return E_POINTER;
    }
    *ppEnum = nullptr;
    if (IsOutOfSync()) {
        return VFW_E_ENUM_OUT_OF_SYNC;
    }
    auto* copy = new (std::nothrow) CEnumMediaTypes(m_pPin, this);
    if (!copy) {
        return E_OUTOFMEMORY;
    }
    return copy->NonDelegatingQueryInterface(IID_IEnumMediaTypes, reinterpret_cast<void**>(ppEnum));
}
