// CFactoryTemplate: one entry of the module's table of creatable classes.
//
// The module defines the table, for example:
//
//   CFactoryTemplate g_Templates[] = {
//       {L"Some Filter", &CLSID_SomeFilter, CSomeFilter::CreateInstance, nullptr, &sudSomeFilter},
//   };
//   int g_cTemplates = sizeof(g_Templates) / sizeof(g_Templates[0]);
//
// DllGetClassObject, DllEntryPoint and AMovieDllRegisterServer2 walk it.
#pragma once

#include <windows.h>

#include "baseclasses/SetupTypes.h"
#include "baseclasses/Unknown.h"

// Creates one object, aggregated by pUnkOuter when it is not NULL. Returns
// NULL when it cannot; a constructor reports its failure through *phr.
typedef CUnknown*(CALLBACK* LPFNNewCOMObject)(LPUNKNOWN pUnkOuter, HRESULT* phr);

// Called from DllEntryPoint with TRUE when the module is loaded and FALSE
// when it is unloaded.
typedef void(CALLBACK* LPFNInitRoutine)(BOOL bLoading, const CLSID* rclsid);

// An aggregate, so that the table can be written with braces.
class CFactoryTemplate {
  public:
    const WCHAR* m_Name;
    const CLSID* m_ClsID;
    LPFNNewCOMObject m_lpfnNew;
    LPFNInitRoutine m_lpfnInit;
    const AMOVIESETUP_FILTER* m_pAMovieSetup_Filter;

    BOOL IsClassID(REFCLSID rclsid) const { return m_ClsID && IsEqualCLSID(*m_ClsID, rclsid); }
    CUnknown* CreateInstance(LPUNKNOWN pUnk, HRESULT* phr) const { return m_lpfnNew(pUnk, phr); }
};

extern CFactoryTemplate g_Templates[];
extern int g_cTemplates;
