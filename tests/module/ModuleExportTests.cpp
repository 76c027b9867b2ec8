// What the module file carries and answers without registration: its
// exports, the class objects of its template table, the type library
// resource and the string table.
#include "ModuleTestSupport.h"

#include <dshow.h>
#include <oleauto.h>

#include "KorvelGenICamSource_h.h"

namespace {

using GetClassObjectEntryPoint = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using CanUnloadNowEntryPoint = HRESULT(STDAPICALLTYPE*)();

template <typename T>
T Export(HMODULE module, const char* name) {
    return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

TEST(ModuleFile, CarriesTheTypeLibraryAndTheStringTable) {
    // As a data file: nothing of the module runs.
    HMODULE module = LoadLibraryExW(SourceModulePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, module);
    WCHAR text[64] = {};
    EXPECT_EQ(13, LoadStringW(module, 1, text, 64));
    EXPECT_STREQ(L"Camera Source", text);
    EXPECT_NE(nullptr, FindResourceW(module, MAKEINTRESOURCEW(1), L"TYPELIB"));
    // The "Camera Setup" page's dialog.
    EXPECT_NE(nullptr, FindResourceW(module, MAKEINTRESOURCEW(101), MAKEINTRESOURCEW(5)));  // RT_DIALOG
    FreeLibrary(module);

    ITypeLib* library = nullptr;
    ASSERT_EQ(S_OK, LoadTypeLibEx(SourceModulePath().c_str(), REGKIND_NONE, &library));
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(S_OK, library->GetLibAttr(&attributes));
    EXPECT_TRUE(IsEqualGUID(LIBID_KorvelGenICamSource, attributes->guid));
    EXPECT_EQ(1, attributes->wMajorVerNum);
    EXPECT_EQ(0, attributes->wMinorVerNum);
    library->ReleaseTLibAttr(attributes);
    EXPECT_EQ(4u, library->GetTypeInfoCount());  // three interfaces and the coclass
    library->Release();
}

TEST(ModuleFile, ServesTheFilterAndItsPropertyPage) {
    HMODULE module = LoadLibraryW(SourceModulePath().c_str());
    ASSERT_NE(nullptr, module);
    auto getClassObject = Export<GetClassObjectEntryPoint>(module, "DllGetClassObject");
    auto canUnloadNow = Export<CanUnloadNowEntryPoint>(module, "DllCanUnloadNow");
    ASSERT_NE(nullptr, getClassObject);
    ASSERT_NE(nullptr, canUnloadNow);
    EXPECT_NE(nullptr, Export<CanUnloadNowEntryPoint>(module, "DllRegisterServer"));
    EXPECT_NE(nullptr, Export<CanUnloadNowEntryPoint>(module, "DllUnregisterServer"));

    IClassFactory* factory = nullptr;
    ASSERT_EQ(S_OK, getClassObject(CLSID_CKorvelGenICamSource, IID_IClassFactory,
                                   reinterpret_cast<void**>(&factory)));
    EXPECT_EQ(S_FALSE, canUnloadNow());
    EXPECT_EQ(0u, factory->Release());
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, getClassObject(CLSID_CKorvelGenICamSource, IID_IBaseFilter, &object));
    EXPECT_EQ(nullptr, object);
    // The "Camera Setup" page is the second class; no other class is served.
    ASSERT_EQ(S_OK, getClassObject(CLSID_KorvelCameraSetupPage, IID_IClassFactory,
                                   reinterpret_cast<void**>(&factory)));
    IPropertyPage* page = nullptr;
    EXPECT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IPropertyPage, reinterpret_cast<void**>(&page)));
    EXPECT_EQ(0u, factory->Release());
    ASSERT_NE(nullptr, page);
    EXPECT_EQ(S_FALSE, canUnloadNow());
    EXPECT_EQ(0u, page->Release());
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, getClassObject(CLSID_FilterGraph, IID_IClassFactory, &object));
    EXPECT_EQ(S_OK, canUnloadNow());
    FreeLibrary(module);
}
