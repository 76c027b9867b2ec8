// The module's COM plumbing: the factory templates, the setup data and
// DllMain. DllGetClassObject and DllCanUnloadNow are the base classes'.
#include <windows.h>
#include <uuids.h>

#include "baseclasses/BaseClasses.h"
#include "filter/SourceFilter.h"
#include "proppage/PropPage.h"
#include "KorvelGenICamSource_h.h"
#include "module/ModuleSetup.h"

const char kSourceFilterNameA[] = "Korvel GenICam Source";
const WCHAR kSourceFilterName[] = L"Korvel GenICam Source";
const char kModuleFileName[] = "KorvelGenICamSource.ax";

namespace {

// Any media type: the pin's types depend on the camera that is open.
const AMOVIESETUP_MEDIATYPE g_capturePinTypes[] = {
    {&GUID_NULL, &GUID_NULL},
};

}  // namespace

const AMOVIESETUP_PIN g_capturePinSetup = {
    const_cast<LPWSTR>(L"Capture"),  // name
    FALSE,                           // rendered
    TRUE,                            // output
    FALSE,                           // zero instances allowed
    FALSE,                           // many instances
    &CLSID_NULL,                     // connects to filter
    L"Input",                        // connects to pin
    1,                               // media types
    g_capturePinTypes,
};

const AMOVIESETUP_FILTER g_sourceFilterSetup = {
    &CLSID_CKorvelGenICamSource, kSourceFilterName, MERIT_DO_NOT_USE, 1, &g_capturePinSetup,
};

// The filter, then its "Camera Setup" property page.
CFactoryTemplate g_Templates[] = {
    {kSourceFilterName, &CLSID_CKorvelGenICamSource, CKorvelGenICamSourceFilter::CreateInstance, nullptr,
     &g_sourceFilterSetup},
    {L"Camera Setup", &CLSID_KorvelCameraSetupPage, CPropPage::CreateInstance, nullptr, nullptr},
};
int g_cTemplates = sizeof(g_Templates) / sizeof(g_Templates[0]);

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    return DllEntryPoint(instance, reason, reserved);
}
