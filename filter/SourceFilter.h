// CKorvelGenICamSourceFilter: the live source filter a graph sees, with the
// output pins "Capture" and "Preview".
//
// It owns the camera object (embedded), the FormatNegotiator both pins share
// and the two pins. It exists only with a camera open: construction opens the
// first listed camera that opens and CreateInstance gives no object when none
// does.
//
// Locks, in this order: the state lock (the CBaseFilter lock, shared with both
// pins), the camera lock (every use of the camera object made through the
// filter), then the negotiator's and the camera object's own locks.
#pragma once

#include <windows.h>

#include <atomic>

#include "Camera/KorvelCamera.h"
#include "baseclasses/BaseClasses.h"
#include "baseclasses/PersistStream.h"
#include "KorvelGenICamSource_h.h"

class CAMCameraControl;
class CAMVideoProcAmp;
class CKorvelGenICamCapturePin;
class CKorvelGenICamPreviewPin;
class FormatNegotiator;

class CKorvelGenICamSourceFilter : public CBaseFilter,
                                   public IKorvelGenICamSource,
                                   public IKorvelGenICamConfigControl,
                                   public ISpecifyPropertyPages,
                                   public CPersistStream,
                                   public IAMVideoControl {
  public:
    // The class factory's creation function: a new filter, or NULL with the
    // failure in *result (no object at all when memory runs out).
    static CUnknown* WINAPI CreateInstance(LPUNKNOWN outer, HRESULT* result);

    ~CKorvelGenICamSourceFilter() override;

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // CBaseFilter
    int GetPinCount() override;
    CBasePin* GetPin(int n) override;
    // NULL: the module registers the filter itself, as a capture device.
    LPAMOVIESETUP_FILTER GetSetupData() override;

    // IMediaFilter: VFW_S_CANT_CUE while paused, since a live source sends
    // nothing then.
    STDMETHODIMP GetState(DWORD dwMSecs, FILTER_STATE* State) override;
    // IBaseFilter: by identifier, else by the number the identifier reads as.
    STDMETHODIMP FindPin(LPCWSTR Id, IPin** ppPin) override;

    // IKorvelGenICamSource
    STDMETHODIMP GetCameraCount(LONG* Count) override;
    STDMETHODIMP GetCameraID(LONG Index, BSTR* CameraID) override;
    STDMETHODIMP GetSelectedCamera(BSTR* CameraID) override;
    STDMETHODIMP SelectCamera(BSTR CameraID) override;

    // IKorvelGenICamConfigControl
    STDMETHODIMP GetActiveDevice(LONG* Device) override;
    STDMETHODIMP SetConfigCallback(IUnknown* pUnknown, LONG* Cookie) override;
    STDMETHODIMP RemoveCallback(LONG Cookie) override;
    STDMETHODIMP IsConfigCallbackSet(LONG Cookie, VARIANT_BOOL* IsSet) override;

    // IPersist, reached through both IBaseFilter and IPersistStream.
    STDMETHODIMP GetClassID(CLSID* pClsid) override;

    // ISpecifyPropertyPages (PropertyPages.cpp)
    STDMETHODIMP GetPages(CAUUID* pPages) override;

    // CPersistStream: the selected camera's identifier (PersistedState.cpp).
    int SizeMax() override;
    HRESULT WriteToStream(IStream* pStream) override;
    HRESULT ReadFromStream(IStream* pStream) override;

    // IAMVideoControl (VideoControl.cpp)
    STDMETHODIMP GetCaps(IPin* pPin, LONG* pCapsFlags) override;
    STDMETHODIMP SetMode(IPin* pPin, LONG Mode) override;
    STDMETHODIMP GetMode(IPin* pPin, LONG* Mode) override;
    STDMETHODIMP GetCurrentActualFrameRate(IPin* pPin, LONGLONG* ActualFrameRate) override;
    STDMETHODIMP GetMaxAvailableFrameRate(IPin* pPin, LONG iIndex, SIZE Dimensions,
                                          LONGLONG* MaxAvailableFrameRate) override;
    STDMETHODIMP GetFrameRateList(IPin* pPin, LONG iIndex, SIZE Dimensions, LONG* ListSize,
                                  LONGLONG** FrameRates) override;

  private:
    // Writes *result only on failure; a failed filter is for CreateInstance
    // to destroy.
    CKorvelGenICamSourceFilter(LPUNKNOWN outer, HRESULT* result, const TCHAR* name, REFCLSID clsid);

    // Steps of the construction under the camera lock.
    HRESULT OpenFirstCamera();
    HRESULT CreatePins(HRESULT* result);
    // Whether the open camera's TriggerMode reads "On"; call with the camera
    // lock held (VideoControl.cpp).
    bool IsTriggerModeOn();
    // The state the graph last set, read without the state lock.
    FILTER_STATE StateWithoutLock() const;

    CCritSec m_stateLock;
    CKorvelGenICamCapturePin* m_capturePin;
    CKorvelGenICamPreviewPin* m_previewPin;
    FormatNegotiator* m_negotiator;
    CCritSec m_cameraLock;
    CKorvelCamera m_camera;

    // The camera and video-processing controls (FilterControls.cpp): made on
    // the first request for their interface, one reference held by the filter,
    // detached and released when it is destroyed. The lock guards only their
    // creation.
    HRESULT QueryControl(REFIID riid, void** ppv);
    void ReleaseControls();
    CCritSec m_controlsLock;
    std::atomic<CAMVideoProcAmp*> m_videoProcAmp{nullptr};
    std::atomic<CAMCameraControl*> m_cameraControl{nullptr};
};
