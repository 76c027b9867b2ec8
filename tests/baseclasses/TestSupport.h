// Helpers shared by the base-class tests: loading the test filter module,
// COM set-up and small conveniences around interface pointers.
#pragma once

#include <string>
#include <vector>

#include <windows.h>
#include <dshow.h>

#include <gtest/gtest.h>

#include "TestFilterInterface.h"

// Full path of KorvelTestFilter.ax, which the build puts beside the tests.
std::wstring TestModulePath();

// The test filter module loaded with LoadLibrary and driven through its
// exports, without any registration.
class TestModule {
  public:
    TestModule();
    ~TestModule();
    TestModule(const TestModule&) = delete;
    TestModule& operator=(const TestModule&) = delete;

    HMODULE Handle() const { return m_module; }
    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** ppv) const;
    HRESULT CanUnloadNow() const;
    TestModuleState State() const;
    // A class factory for clsid (fails the test when there is none).
    IClassFactory* Factory(REFCLSID clsid) const;
    // A new filter of clsid through the module's class factory.
    HRESULT CreateFilter(REFCLSID clsid, IBaseFilter** filter) const;

  private:
    HMODULE m_module;
    HRESULT(STDAPICALLTYPE* m_getClassObject)(REFCLSID, REFIID, void**);
    HRESULT(STDAPICALLTYPE* m_canUnloadNow)();
    KorvelTestModuleStateFunction m_state;
};

// COM on the calling thread for the lifetime of a test.
class ComTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

  private:
    bool m_initialised = false;
};

// QueryInterface into a typed pointer.
template <typename T>
HRESULT Query(IUnknown* object, REFIID iid, T** out) {
    *out = nullptr;
    return object->QueryInterface(iid, reinterpret_cast<void**>(out));
}

// The object's IUnknown, compared by address for COM identity; the
// reference taken to find it is dropped again.
IUnknown* IdentityOf(IUnknown* object);

// The reference count an object reports, without changing it.
ULONG RefCount(IUnknown* object);

// Wine's Null Renderer; the symbol is in strmiids but no header declares it.
inline constexpr CLSID kNullRenderer = {
    0xc1f400a4, 0x3f08, 0x11d3, {0x9f, 0x0b, 0x00, 0x60, 0x08, 0x03, 0x9e, 0x37}};

// The first (input) pin of a filter, with a reference.
IPin* FirstPin(IBaseFilter* filter);
