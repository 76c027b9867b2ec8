// The filter's camera and video-processing control objects: made on the first
// request for their interface, exactly one each even when threads ask at the
// same time, and detached from the filter when it goes.
#include <new>

#include "controls/AMCameraControl.h"
#include "controls/AMVideoProcAmp.h"
#include "filter/SourceFilter.h"

namespace {

// The object of slot, made under lock when it does not exist yet. Null when
// it cannot be made.
template <typename Control>
Control* ControlOf(std::atomic<Control*>& slot, CCritSec* lock, IUnknown* filterOwner) {
    Control* control = slot.load(std::memory_order_acquire);
    if (control) {
        return control;
    }
    // Construction registers the object as a configuration callback, which
    // takes the camera lock: the creation lock comes before it.
    CAutoLock creation(lock);
    control = slot.load(std::memory_order_acquire);
    if (!control) {
        control = new (std::nothrow) Control(filterOwner);
        slot.store(control, std::memory_order_release);
    }
    return control;
}

template <typename Control>
void ReleaseControl(std::atomic<Control*>& slot) {
    Control* control = slot.exchange(nullptr);
    if (control) {
        // A client may still hold the object; from now on it finds no filter
        // and no device, and its last Release frees it.
        control->Detach();
        control->NonDelegatingRelease();
    }
}

}  // namespace

HRESULT CKorvelGenICamSourceFilter::QueryControl(REFIID riid, void** ppv) {
    if (riid == IID_IAMVideoProcAmp) {
        if (CAMVideoProcAmp* control = ControlOf(m_videoProcAmp, &m_controlsLock, GetOwner())) {
            return control->NonDelegatingQueryInterface(riid, ppv);
        }
    } else if (riid == IID_IAMCameraControl) {
        if (CAMCameraControl* control = ControlOf(m_cameraControl, &m_controlsLock, GetOwner())) {
            return control->NonDelegatingQueryInterface(riid, ppv);
        }
    }
    return CBaseFilter::NonDelegatingQueryInterface(riid, ppv);
}

void CKorvelGenICamSourceFilter::ReleaseControls() {
    ReleaseControl(m_videoProcAmp);
    ReleaseControl(m_cameraControl);
}
