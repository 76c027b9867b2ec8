// What the module registers: the filter's setup record, its names and the
// identity of the embedded type library.
#pragma once

#include <windows.h>

#include "baseclasses/BaseClasses.h"

// The filter's name, as a narrow string (turned into the instance name with
// the thread's ANSI code page) and as the wide display name.
extern const char kSourceFilterNameA[];
extern const WCHAR kSourceFilterName[];

// The one pin that is registered ("Capture"); the preview pin exists only at
// run time.
extern const AMOVIESETUP_PIN g_capturePinSetup;
extern const AMOVIESETUP_FILTER g_sourceFilterSetup;

// The module's file name, by which registration finds its own path.
extern const char kModuleFileName[];
