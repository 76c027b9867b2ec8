// CControlDeviceLink: what the camera control and the video proc amp share,
// the tie between one control object, its filter and the active device.
//
// The control registers itself with the filter as a configuration callback
// and keeps the device value it is told; every feature access resolves that
// value through the device handle table under the link's lock, so a value
// that outlived its device reaches nothing. The camera object takes the same
// lock (through DeviceInvalid) before it lets a device go, so a device found
// under the lock stays usable until the lock is left.
//
// The filter detaches the link when it is destroyed: the callback is removed,
// the filter pointer forgotten and the device cleared, so calls that a client
// makes later through an interface it still holds find no device and fail
// cleanly.
#pragma once

#include <windows.h>

#include "baseclasses/CritSec.h"
#include "quill/GenApi.h"

class CControlDeviceLink {
  public:
    // filterOwner is the filter's owning IUnknown; not counted.
    explicit CControlDeviceLink(IUnknown* filterOwner);
    ~CControlDeviceLink() = default;

    CControlDeviceLink(const CControlDeviceLink&) = delete;
    CControlDeviceLink& operator=(const CControlDeviceLink&) = delete;

    // Registers self (the control's own IUnknown) as the filter's
    // configuration callback and takes the device that is active now.
    void Register(IUnknown* self);
    // Removes the callback and forgets the filter and the device. Call without
    // the lock held; later calls find no device.
    void Detach();

    // IKorvelGenICamConfigCallback. A value that names no device (stale or
    // 0) leaves the link without one and gives E_INVALIDARG.
    HRESULT DeviceValid(long deviceValue);
    HRESULT DeviceInvalid();

    // The lock that serialises the device with every feature access.
    CCritSec* Lock() { return &m_lock; }
    // The node map of the active device, or null when there is none (never
    // registered, told DeviceInvalid, detached, or the value is stale). Only
    // with Lock() held, and usable only while it is held.
    GenApi::INodeMap* NodeMapLocked();

  private:
    CCritSec m_lock;
    IUnknown* m_filterOwner;  // null once detached
    long m_deviceValue;       // 0: no device
    long m_cookie;            // -1: not registered
};
