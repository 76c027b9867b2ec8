#include "baseclasses/BaseObject.h"

volatile LONG CBaseObject::m_cObjects = 0;

CBaseObject::CBaseObject(const TCHAR* pName) : m_pName(pName) {
    InterlockedIncrement(&m_cObjects);
}

CBaseObject::~CBaseObject() {
    InterlockedDecrement(&m_cObjects);
}

LONG CBaseObject::ObjectsActive() {
    return InterlockedCompareExchange(&m_cObjects, 0, 0);
}
