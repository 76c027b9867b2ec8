// CEnumPins: IEnumPins over the pins of a CBaseFilter (GetPinCount/GetPin).
// It holds a reference on the filter and goes out of sync
// (VFW_E_ENUM_OUT_OF_SYNC until Reset) when the filter's pin version changes.
#pragma once

#include <windows.h>
#include <strmif.h>

#include "baseclasses/Unknown.h"

class CBaseFilter;

class CEnumPins : public CUnknown, public IEnumPins {
  public:
    // A new enumerator at the start, or a copy of pEnumPins's position.
    CEnumPins(CBaseFilter* pFilter, const CEnumPins* pEnumPins);
    ~CEnumPins() override;

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // Each pin comes with a reference for the caller to release.
    STDMETHODIMP Next(ULONG cPins, IPin** ppPins, ULONG* pcFetched) override;
    STDMETHODIMP Skip(ULONG cPins) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumPins** ppEnum) override;

  private:
    bool IsOutOfSync() const;

    CBaseFilter* const m_pFilter;
    int m_Position;
    int m_PinCount;
    LONG m_Version;
};
