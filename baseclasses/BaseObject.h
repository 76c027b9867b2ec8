// CBaseObject: the root of every object the base classes create. It carries a
// name for diagnostics and keeps the process-wide count of live objects that
// DllCanUnloadNow consults.
#pragma once

#include <windows.h>

// Object names are plain TCHAR strings; NAME() marks them as such.
#ifndef NAME
#define NAME(x) TEXT(x)
#endif

class CBaseObject {
  public:
    explicit CBaseObject(const TCHAR* pName);
    virtual ~CBaseObject();

    CBaseObject(const CBaseObject&) = delete;
    CBaseObject& operator=(const CBaseObject&) = delete;

    // Objects of this module that are alive right now (class factories,
    // filters, pins, enumerators, ...).
    static LONG ObjectsActive();

    const TCHAR* ObjectName() const { return m_pName; }

  private:
    const TCHAR* const m_pName;
    static volatile LONG m_cObjects;
};
