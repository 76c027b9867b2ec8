// The device value handed out by GetActiveDevice and DeviceValid is a handle
// into this module's table, so a component outside the module (the GenICam
// feature dialog) turns it back into the SDK device through this export. The
// component finds the export in the module that implements the filter's
// interfaces; the device it gets is the one the SDK shares with the filter and
// is usable until the component is told DeviceInvalid.
#include <windows.h>

#include "Camera/DeviceHandleTable.h"

extern "C" HRESULT WINAPI KorvelResolveDeviceValue(long value, Quill::IQuillDevice** device) {
    return ResolveDeviceValue(value, device);
}
