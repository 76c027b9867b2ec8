// CCritSec and CAutoLock: a re-entrant critical section and its scoped lock.
#pragma once

#include <windows.h>

class CCritSec {
  public:
    CCritSec();
    ~CCritSec();

    CCritSec(const CCritSec&) = delete;
    CCritSec& operator=(const CCritSec&) = delete;

    // Re-entrant: the owning thread may lock again and must unlock as often.
    void Lock();
    void Unlock();

    // True when the calling thread holds the lock (for checks in code that
    // must run under it).
    bool IsOwnedByCurrentThread() const;

  private:
    CRITICAL_SECTION m_section;
    // Written only by the owning thread while it holds the section; read by
    // any thread, which can only ever see its own id there when it owns it.
    volatile DWORD m_ownerThread;
    DWORD m_lockCount;
};

// Holds a CCritSec for the lifetime of the CAutoLock.
class CAutoLock {
  public:
    explicit CAutoLock(CCritSec* pLock) : m_pLock(pLock) { m_pLock->Lock(); }
    ~CAutoLock() { m_pLock->Unlock(); }

    CAutoLock(const CAutoLock&) = delete;
    CAutoLock& operator=(const CAutoLock&) = delete;

  private:
    CCritSec* const m_pLock;
};

// TRUE when the calling thread holds pcCrit (CritCheckOut: when it does not).
BOOL WINAPI CritCheckIn(const CCritSec* pcCrit);
BOOL WINAPI CritCheckOut(const CCritSec* pcCrit);
