// CEnumMediaTypes: IEnumMediaTypes over the types a CBasePin offers through
// its GetMediaType. It holds a reference on the pin (that is, on its filter)
// and goes out of sync (VFW_E_ENUM_OUT_OF_SYNC until Reset) when the pin's
// media-type version changes.
#pragma once

#include <windows.h>
#include <strmif.h>

#include "baseclasses/Unknown.h"

class CBasePin;

class CEnumMediaTypes : public CUnknown, public IEnumMediaTypes {
  public:
    // A new enumerator at the start, or a copy of pEnumMediaTypes's position.
    CEnumMediaTypes(CBasePin* pPin, const CEnumMediaTypes* pEnumMediaTypes);
    ~CEnumMediaTypes() override;

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // Each type is a CreateMediaType copy for the caller to DeleteMediaType.
    STDMETHODIMP Next(ULONG cMediaTypes, AM_MEDIA_TYPE** ppMediaTypes, ULONG* pcFetched) override;
    STDMETHODIMP Skip(ULONG cMediaTypes) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumMediaTypes** ppEnum) override;

  private:
    bool IsOutOfSync() const;

    CBasePin* const m_pPin;
    int m_Position;
    LONG m_Version;
};
