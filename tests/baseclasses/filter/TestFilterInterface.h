// What the tests and the test filter module share: the class ids, the
// probe interface through which a test steers and observes a test filter,
// and the module-state export.
#pragma once

#include <windows.h>
#include <strmif.h>

// {6B1E5C10-3A5F-4C1B-9C7E-2D1F0A000001}: one output pin "Output", setup
// data, registered in the default category and as a video input device.
inline constexpr CLSID CLSID_KorvelTestSource = {
    0x6b1e5c10, 0x3a5f, 0x4c1b, {0x9c, 0x7e, 0x2d, 0x1f, 0x0a, 0x00, 0x00, 0x01}};
// No pins, no setup data (server keys only).
inline constexpr CLSID CLSID_KorvelTestPinless = {
    0x6b1e5c10, 0x3a5f, 0x4c1b, {0x9c, 0x7e, 0x2d, 0x1f, 0x0a, 0x00, 0x00, 0x02}};
// Its creation function builds the object and reports E_FAIL.
inline constexpr CLSID CLSID_KorvelTestFailing = {
    0x6b1e5c10, 0x3a5f, 0x4c1b, {0x9c, 0x7e, 0x2d, 0x1f, 0x0a, 0x00, 0x00, 0x03}};
// Its creation function returns no object and no error (out of memory).
inline constexpr CLSID CLSID_KorvelTestNoMemory = {
    0x6b1e5c10, 0x3a5f, 0x4c1b, {0x9c, 0x7e, 0x2d, 0x1f, 0x0a, 0x00, 0x00, 0x04}};

inline constexpr WCHAR kTestSourceName[] = L"Korvel Test Source";
inline constexpr WCHAR kTestPinlessName[] = L"Korvel Test Pinless";
inline constexpr WCHAR kTestOutputPinName[] = L"Output";

// {6B1E5C10-3A5F-4C1B-9C7E-2D1F0A0000F0}
inline constexpr IID IID_ITestFilterProbe = {
    0x6b1e5c10, 0x3a5f, 0x4c1b, {0x9c, 0x7e, 0x2d, 0x1f, 0x0a, 0x00, 0x00, 0xf0}};

struct TestPinCounters {
    LONG activeCalls;
    LONG inactiveCalls;
    LONG runCalls;
    LONG completeConnectCalls;
    LONG breakConnectCalls;
    // Active, Inactive and Run calls made with the filter's state lock held.
    LONG callsUnderStateLock;
    // What DecideBufferSize was asked for and what the allocator granted.
    ALLOCATOR_PROPERTIES requested;
    ALLOCATOR_PROPERTIES granted;
};

struct ITestFilterProbe : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetPinCounters(int pin, TestPinCounters* counters) = 0;
    // Replaces the output pins by count new ones (only while stopped and
    // unconnected), bumping the pin version.
    virtual HRESULT STDMETHODCALLTYPE SetPinCount(int count) = 0;
    // The next Active of that pin fails with hr.
    virtual HRESULT STDMETHODCALLTYPE FailNextActive(int pin, HRESULT hr) = 0;
    // GetDeliveryBuffer, fill, Deliver, release; returns Deliver's result.
    virtual HRESULT STDMETHODCALLTYPE DeliverSample(int pin) = 0;
    virtual HRESULT STDMETHODCALLTYPE SendEvent(long code, LONG_PTR param1, LONG_PTR param2) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetStreamTime(REFERENCE_TIME* streamTime) = 0;
    virtual HRESULT STDMETHODCALLTYPE BumpMediaTypeVersion(int pin) = 0;
};

// Exported by the test module as KorvelTestModuleState.
struct TestModuleState {
    LONG objectsActive;      // CBaseObject::ObjectsActive() inside the module
    BOOL serverLocked;       // CClassFactory::IsLocked()
    LONG initAttachCalls;    // init routine calls with TRUE
    HINSTANCE moduleHandle;  // g_hInst
};
typedef void(WINAPI* KorvelTestModuleStateFunction)(TestModuleState* state);

// Set by the init routine when it is called with FALSE (module unloading).
inline constexpr WCHAR kDetachVariable[] = L"KORVEL_TEST_FILTER_DETACHED";
