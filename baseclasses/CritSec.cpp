#include "baseclasses/CritSec.h"

CCritSec::CCritSec() : m_ownerThread(0), m_lockCount(0) {
    InitializeCriticalSection(&m_section);
}

CCritSec::~CCritSec() {
    DeleteCriticalSection(&m_section);
}

void CCritSec::Lock() {
    EnterCriticalSection(&m_section);
    m_ownerThread = GetCurrentThreadId();
    ++m_lockCount;
}

void CCritSec::Unlock() {
    if (--m_lockCount == 0) {
        m_ownerThread = 0;
    }
    LeaveCriticalSection(&m_section);
}

bool CCritSec::IsOwnedByCurrentThread() const {
    return m_ownerThread == GetCurrentThreadId();
}

BOOL WINAPI CritCheckIn(const CCritSec* pcCrit) {
    return pcCrit && pcCrit->IsOwnedByCurrentThread() ? TRUE : FALSE;
}

BOOL WINAPI CritCheckOut(const CCritSec* pcCrit) {
    return pcCrit && pcCrit->IsOwnedByCurrentThread() ? FALSE : TRUE;
}
