// ISpecifyPropertyPages and the IPersist identity the filter shares between
// IBaseFilter and IPersistStream.
#include "filter/SourceFilter.h"

namespace {

// Our own "Camera Setup" page first, then the system's stock pages for
// IAMVideoProcAmp and IAMCameraControl.
const GUID* const kPages[] = {&CLSID_KorvelCameraSetupPage, &CLSID_VideoProcAmpPropertyPage,
                              &CLSID_CameraControlPropertyPage};
constexpr ULONG kPageCount = sizeof(kPages) / sizeof(kPages[0]);

}  // namespace

STDMETHODIMP CKorvelGenICamSourceFilter::GetPages(CAUUID* pPages) {
    if (!pPages) {
        return E_POINTER;
    }
    pPages->pElems = static_cast<GUID*>(CoTaskMemAlloc(kPageCount * sizeof(GUID)));
    if (!pPages->pElems) {
        // No count without an array, so that a caller that walks it anyway
        // walks nothing.
        pPages->cElems = 0;
        return E_OUTOFMEMORY;
    }
    pPages->cElems = kPageCount;
    for (ULONG index = 0; index < kPageCount; ++index) {
        pPages->pElems[index] = *kPages[index];
    }
    return S_OK;
}

STDMETHODIMP CKorvelGenICamSourceFilter::GetClassID(CLSID* pClsid) {
    return CBaseFilter::GetClassID(pClsid);
}
