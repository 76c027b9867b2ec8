// Self-registration of every class in g_Templates.
#pragma once

#include <windows.h>

#include "baseclasses/ServerRegistration.h"

// TRUE: writes the in-process server keys of every template (its name as
// the default value, InprocServer32 = this module's path, ThreadingModel
// "Both"), then registers every template that has setup data through
// IFilterMapper2 in the "DirectShow Filters" category; stops at the first
// failure and returns it.
// FALSE: removes those filter registrations, then the server keys; goes on
// past failures and returns the first one. Absent entries are not failures.
STDAPI AMovieDllRegisterServer2(BOOL bRegister);
