// The GUIDs of the type library's header, defined for the stress program.
#include <initguid.h>

#include "KorvelGenICamSource_h.h"
