// The GUIDs the type library's header declares (the custom interfaces, the
// filter's CLSID, the LIBID and the property page's CLSID), defined once for
// every module that links the filter.
#include <initguid.h>

#include "KorvelGenICamSource_h.h"
