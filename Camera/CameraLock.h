// CCameraLock and CCameraAutoLock: the re-entrant critical section of the
// camera layer and its scoped holder. The camera layer keeps its own so that it
// depends on nothing of the DirectShow base classes.
#pragma once

#include <windows.h>

class CCameraLock {
  public:
    CCameraLock() { InitializeCriticalSection(&m_section); }
    ~CCameraLock() { DeleteCriticalSection(&m_section); }

    CCameraLock(const CCameraLock&) = delete;
    CCameraLock& operator=(const CCameraLock&) = delete;

    // Re-entrant: the owning thread may lock again and must unlock as often.
    void Lock() { EnterCriticalSection(&m_section); }
    void Unlock() { LeaveCriticalSection(&m_section); }

  private:
    CRITICAL_SECTION m_section;
};

// Holds a CCameraLock for the lifetime of the CCameraAutoLock.
class CCameraAutoLock {
  public:
    explicit CCameraAutoLock(CCameraLock& lock) : m_lock(lock) { m_lock.Lock(); }
    ~CCameraAutoLock() { m_lock.Unlock(); }

    CCameraAutoLock(const CCameraAutoLock&) = delete;
    CCameraAutoLock& operator=(const CCameraAutoLock&) = delete;

  private:
    CCameraLock& m_lock;
};
