#include "Camera/RemovalWatch.h"

#include <algorithm>
#include <new>

namespace {

class WatchLock {
  public:
    explicit WatchLock(CRITICAL_SECTION& section) : m_section(section) { EnterCriticalSection(&m_section); }
    ~WatchLock() { LeaveCriticalSection(&m_section); }
    WatchLock(const WatchLock&) = delete;
    WatchLock& operator=(const WatchLock&) = delete;

  private:
    CRITICAL_SECTION& m_section;
};

}  // namespace

CRemovalWatch& CRemovalWatch::Instance() {
    // Never destroyed: an SDK thread may still report while the process ends.
    static CRemovalWatch* const watch = new CRemovalWatch();
    return *watch;
}

CRemovalWatch::CRemovalWatch() {
    InitializeCriticalSection(&m_lock);
    InitializeConditionVariable(&m_reported);
}

HRESULT CRemovalWatch::Arm(const void* owner, Quill::IQuillDevice* device) {
    WatchLock lock(m_lock);
    Entry* entry = FindLocked(owner, device);
    if (entry != nullptr) {
        entry->reported = false;
        return S_OK;
    }
    try {
        m_entries.push_back(Entry{owner, device, false});
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

void CRemovalWatch::Disarm(const void* owner, Quill::IQuillDevice* device) {
    WatchLock lock(m_lock);
    EraseLocked(FindLocked(owner, device));
}

void CRemovalWatch::Release(const void* owner, Quill::IQuillDevice* device) {
    WatchLock lock(m_lock);
    Entry* entry = FindLocked(owner, device);
    if (entry != nullptr && entry->reported) {
        EraseLocked(entry);
    }
}

bool CRemovalWatch::Report(const void* owner, Quill::IQuillDevice* device,
                           const std::function<void()>& action) {
    WatchLock lock(m_lock);
    Entry* entry = FindLocked(owner, device);
    if (entry == nullptr || entry->reported) {
        return false;
    }
    if (action) {
        action();
    }
    entry->reported = true;
    WakeAllConditionVariable(&m_reported);
    return true;
}

bool CRemovalWatch::IsReported(const void* owner, Quill::IQuillDevice* device) {
    WatchLock lock(m_lock);
    const Entry* entry = FindLocked(owner, device);
    return entry != nullptr && entry->reported;
}

size_t CRemovalWatch::PendingCount(const void* owner) {
    WatchLock lock(m_lock);
    return PendingCountLocked(owner);
}

bool CRemovalWatch::WaitUntilQuiet(const void* owner, DWORD timeoutMs) {
    WatchLock lock(m_lock);
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (PendingCountLocked(owner) != 0) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) {
            break;
        }
        // Wakes on every report and on time-out; the loop looks again either way.
        SleepConditionVariableCS(&m_reported, &m_lock, static_cast<DWORD>(deadline - now));
    }
    const bool quiet = PendingCountLocked(owner) == 0;
    m_entries.erase(std::remove_if(m_entries.begin(), m_entries.end(),
                                   [owner](const Entry& entry) { return entry.owner == owner; }),
                    m_entries.end());
    return quiet;
}

CRemovalWatch::Entry* CRemovalWatch::FindLocked(const void* owner, Quill::IQuillDevice* device) {
    for (Entry& entry : m_entries) {
        if (entry.owner == owner && entry.device == device) {
            return &entry;
        }
    }
    return nullptr;
}

size_t CRemovalWatch::PendingCountLocked(const void* owner) const {
    return static_cast<size_t>(std::count_if(m_entries.begin(), m_entries.end(), [owner](const Entry& entry) {
        return entry.owner == owner && !entry.reported;
    }));
}

void CRemovalWatch::EraseLocked(const Entry* entry) {
    if (entry != nullptr) {
        m_entries.erase(m_entries.begin() + (entry - m_entries.data()));
    }
}
