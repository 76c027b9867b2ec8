// Helpers of the filter tests. The module is loaded from beside the tests and
// its class object registered with COM for the process, so that the cases
// create the filter with CoCreateInstance without touching the registry that
// the registration tests use. Emulated cameras are chosen through the SDK's
// in-process control: the module loads the same SDK DLL as the tests.
#pragma once

#include <windows.h>
#include <dshow.h>

#include <string>

#include <gtest/gtest.h>

#include "KorvelGenICamSource_h.h"

// Three monochrome cameras on one transport layer, serials C1, C2, C3; the
// keys of a [camera] block may follow each serial's line through extraC1..3.
std::string ThreeCameraProfile(const std::string& extraC1 = std::string(),
                               const std::string& extraC2 = std::string(),
                               const std::string& extraC3 = std::string());
// A transport layer that lists no camera.
extern const char kNoCameraProfile[];

// The full name (camera ID) the SDK gives an emulated monochrome camera.
std::wstring MonoCameraId(const char* serial);

// Wine's Null Renderer; the symbol is in strmiids but no header declares it.
inline constexpr CLSID kNullRenderer = {
    0xc1f400a4, 0x3f08, 0x11d3, {0x9f, 0x0b, 0x00, 0x60, 0x08, 0x03, 0x9e, 0x37}};

class FilterTest : public ::testing::Test {
  protected:
    void SetUp() override;
    // Checks that the module has no object left, and that the SDK holds no
    // device: every reference the case took has been given back.
    void TearDown() override;

    // Replaces the emulated cameras.
    void LoadCameras(const std::string& profile);

    // A new filter through COM; fails the case unless it is created.
    IBaseFilter* CreateFilter();
    HRESULT TryCreateFilter(IBaseFilter** filter);
    // The module's DllCanUnloadNow: S_OK when no object of it is alive.
    HRESULT ModuleCanUnloadNow() const;
    // Devices the emulated cameras have handed out and not yet destroyed.
    size_t LiveDevices() const;

  private:
    HMODULE m_module = nullptr;
    IClassFactory* m_factory = nullptr;
    DWORD m_registration = 0;
    bool m_comInitialised = false;
};

template <typename T>
HRESULT Query(IUnknown* object, REFIID iid, T** out) {
    *out = nullptr;
    return object->QueryInterface(iid, reinterpret_cast<void**>(out));
}

// The object's IUnknown, compared by address for COM identity.
IUnknown* IdentityOf(IUnknown* object);

// The reference count an object reports, without changing it.
ULONG RefCount(IUnknown* object);

// A BSTR that frees itself.
class Bstr {
  public:
    Bstr() = default;
    explicit Bstr(const wchar_t* text) : m_text(SysAllocString(text)) {}
    ~Bstr() { SysFreeString(m_text); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;

    BSTR* Out() {
        SysFreeString(m_text);
        m_text = nullptr;
        return &m_text;
    }
    BSTR Get() const { return m_text; }
    std::wstring Text() const { return m_text ? m_text : L"<null>"; }

  private:
    BSTR m_text = nullptr;
};
