// CDialogDeviceCallback: the feature dialog's configuration callback, and the
// one place that holds the device the dialog edits.
//
// The filter calls DeviceValid and DeviceInvalid on any thread (the
// application's when it selects a camera, the SDK's when a camera is
// unplugged) with its camera lock and callback lock held. So both only swap
// the device under this object's small lock and post a message to the
// dialog's window; they never wait for the window's thread.
//
// The window's thread reaches the device only through a Lease, which holds
// the same lock for the duration of a feature access: a DeviceInvalid waits
// until that access ends, and nothing touches the device afterwards. While a
// lease is held the filter must not be called (its locks come first).
//
// The object is reference counted because the filter holds it between
// SetConfigCallback and RemoveCallback and may, if the filter goes first,
// never give it back before the dialog ends.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "KorvelGenICamSource_h.h"

namespace GenApi {
class INodeMap;
}  // namespace GenApi
namespace Quill {
class IQuillDevice;
}  // namespace Quill

// The source module's export that turns a device value into the SDK device.
typedef HRESULT(WINAPI* KorvelDeviceResolver)(long value, Quill::IQuillDevice** device);

class CDialogDeviceCallback final : public IKorvelGenICamConfigCallback {
  public:
    // A new object holding one reference (the caller's).
    CDialogDeviceCallback();

    CDialogDeviceCallback(const CDialogDeviceCallback&) = delete;
    CDialogDeviceCallback& operator=(const CDialogDeviceCallback&) = delete;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IKorvelGenICamConfigCallback. A value the resolver does not know leaves
    // the dialog without a device (E_INVALIDARG).
    STDMETHODIMP DeviceValid(LONG Device) override;
    STDMETHODIMP DeviceInvalid() override;

    // The window told (with message) whenever the device changes; null stops it.
    void SetNotifyWindow(HWND window, UINT message);
    // The window has taken the last notification; the next change posts again.
    void NotificationTaken();
    // The function that turns device values into devices; null forgets the
    // device as well.
    void SetResolver(KorvelDeviceResolver resolver);
    // Counts every change of the device, so that the window can tell whether
    // what it shows belongs to the device it would touch.
    uint32_t Generation();
    // Takes the value that GetActiveDevice gave, unless a callback has
    // changed the device since Generation() returned generationSeen (then
    // the callback's word is newer).
    void AdoptActiveDevice(long value, uint32_t generationSeen);
    // No device from now on.
    void Forget();

    // Holds the lock for a feature access; see the header comment.
    class Lease {
      public:
        explicit Lease(CDialogDeviceCallback& owner);
        ~Lease();
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;

        // The device's feature tree, or null when there is no usable device.
        // Valid only while the lease is held.
        GenApi::INodeMap* NodeMap();
        uint32_t Generation() const { return m_owner.m_generation; }

      private:
        CDialogDeviceCallback& m_owner;
    };

  private:
    ~CDialogDeviceCallback();

    // With the lock held: the new device, a new generation, and whether the
    // window is to be told (and which).
    void ChangeDeviceLocked(long value, Quill::IQuillDevice* device);
    // Posts the change to the window, once until NotificationTaken.
    void Notify();

    std::atomic<ULONG> m_references{1};
    CRITICAL_SECTION m_lock;
    KorvelDeviceResolver m_resolver = nullptr;
    long m_deviceValue = 0;  // 0: no device
    Quill::IQuillDevice* m_device = nullptr;
    uint32_t m_generation = 0;
    HWND m_window = nullptr;
    UINT m_message = 0;
    bool m_notificationPending = false;
};
