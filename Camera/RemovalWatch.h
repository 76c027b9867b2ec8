// CRemovalWatch: keeps a camera object alive for the removal reports the SDK
// still owes it.
//
// The SDK keeps a copy of each removal callback, bound to the camera object by
// reference, and calls it on a thread of its own. Once a device is lost, its
// callbacks are on their way even if the camera object closes the device and
// is destroyed meanwhile (deregistering then fails, as every call on a lost
// device does). The camera object therefore arms an entry before registering,
// the callback reports through the entry, and the destructor waits until every
// entry of its own has reported or was disarmed.
//
// One process-wide lock, never destroyed, guards every entry, so a report that
// races the destructor never touches freed memory. The lock is a leaf: nothing
// is called while it is held except the short action of Report.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

namespace Quill {
class IQuillDevice;
}  // namespace Quill

class CRemovalWatch {
  public:
    static CRemovalWatch& Instance();

    // Before registering a removal callback for device. E_OUTOFMEMORY when the
    // entry cannot be made (then nothing must be registered).
    HRESULT Arm(const void* owner, Quill::IQuillDevice* device);
    // No report can come any more (deregistration succeeded, or it never
    // registered): forget the entry.
    void Disarm(const void* owner, Quill::IQuillDevice* device);
    // The owner is done with the device but a report may still come: the
    // entry stays until it reports (or is forgotten now if it already has).
    void Release(const void* owner, Quill::IQuillDevice* device);

    // From the removal callback: when the entry is armed and has not yet
    // reported, runs action under the watch's lock, marks the entry reported
    // and gives true. The action must be short and call nothing that locks.
    bool Report(const void* owner, Quill::IQuillDevice* device, const std::function<void()>& action);

    // True when the entry exists and has reported.
    bool IsReported(const void* owner, Quill::IQuillDevice* device);
    // Entries of owner that have not reported.
    size_t PendingCount(const void* owner);

    // Waits until no entry of owner is waiting for its report, at most
    // timeoutMs, then forgets every entry of owner. True when none was left
    // waiting. Called without any of the owner's locks held.
    bool WaitUntilQuiet(const void* owner, DWORD timeoutMs);

  private:
    struct Entry {
        const void* owner;
        Quill::IQuillDevice* device;
        bool reported;
    };

    CRemovalWatch();
    ~CRemovalWatch() = default;
    CRemovalWatch(const CRemovalWatch&) = delete;
    CRemovalWatch& operator=(const CRemovalWatch&) = delete;

    Entry* FindLocked(const void* owner, Quill::IQuillDevice* device);
    size_t PendingCountLocked(const void* owner) const;
    void EraseLocked(const Entry* entry);

    CRITICAL_SECTION m_lock;
    CONDITION_VARIABLE m_reported;
    std::vector<Entry> m_entries;
};
