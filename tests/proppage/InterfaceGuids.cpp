// The GUIDs of the type library's header, defined for the tests.
#include <initguid.h>

#include "KorvelGenICamSource_h.h"
