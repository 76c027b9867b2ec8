// The module entry points and the class factory, through the test module's
// own exports: DllGetClassObject, DllCanUnloadNow, the class factory's
// creation and locking, DllEntryPoint's init routines, and the reference
// counting and QueryInterface rules of the objects created.
#include "TestSupport.h"

#include <vfwmsgs.h>

namespace {

// {00000000-0000-0000-0000-0000000000AB}: no class of the module.
constexpr CLSID kUnknownClass = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0xab}};

}  // namespace

TEST(BaseClassesModule, DllGetClassObjectAnswersTheTemplatesOnly) {
    TestModule module;
    const TestModuleState initial = module.State();
    EXPECT_EQ(0, initial.objectsActive);

    for (const CLSID* clsid : {&CLSID_KorvelTestSource, &CLSID_KorvelTestPinless, &CLSID_KorvelTestFailing,
                               &CLSID_KorvelTestNoMemory}) {
        IClassFactory* factory = nullptr;
        EXPECT_EQ(S_OK, module.GetClassObject(*clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
        ASSERT_NE(nullptr, factory);
        IUnknown* unknown = nullptr;
        EXPECT_EQ(S_OK, module.GetClassObject(*clsid, IID_IUnknown, reinterpret_cast<void**>(&unknown)));
        ASSERT_NE(nullptr, unknown);
        // Two calls, two class objects, each counted as a live object.
        EXPECT_EQ(2, module.State().objectsActive);
        EXPECT_EQ(0u, unknown->Release());
        EXPECT_EQ(0u, factory->Release());
    }

    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, module.GetClassObject(kUnknownClass, IID_IClassFactory, &object));
    EXPECT_EQ(nullptr, object);
    object = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, module.GetClassObject(CLSID_KorvelTestSource, IID_IBaseFilter, &object));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(E_POINTER, module.GetClassObject(CLSID_KorvelTestSource, IID_IClassFactory, nullptr));

    EXPECT_EQ(0, module.State().objectsActive);
    EXPECT_EQ(S_OK, module.CanUnloadNow());
}

TEST(BaseClassesModule, DllCanUnloadNowCountsObjectsAndServerLocks) {
    TestModule module;
    EXPECT_EQ(S_OK, module.CanUnloadNow());

    IClassFactory* factory = module.Factory(CLSID_KorvelTestSource);
    ASSERT_NE(nullptr, factory);
    // A class object that is still held keeps the module.
    EXPECT_EQ(S_FALSE, module.CanUnloadNow());

    IBaseFilter* filter = nullptr;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&filter)));
    // Factory, filter and its one pin.
    EXPECT_EQ(3, module.State().objectsActive);

    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    EXPECT_EQ(0u, factory->Release());
    EXPECT_EQ(2, module.State().objectsActive);
    EXPECT_TRUE(module.State().serverLocked);

    EXPECT_EQ(0u, filter->Release());
    EXPECT_EQ(0, module.State().objectsActive);
    // No object is left, but two locks are.
    EXPECT_EQ(S_FALSE, module.CanUnloadNow());

    factory = module.Factory(CLSID_KorvelTestSource);
    ASSERT_NE(nullptr, factory);
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    EXPECT_FALSE(module.State().serverLocked);
    EXPECT_EQ(S_FALSE, module.CanUnloadNow());
    EXPECT_EQ(0u, factory->Release());
    EXPECT_EQ(S_OK, module.CanUnloadNow());
}

TEST(BaseClassesModule, ClassFactoryReportsCreationFailures) {
    TestModule module;

    // A creation function that reports a failure after building its object:
    // the code reaches the caller and no object is left behind.
    IClassFactory* failing = module.Factory(CLSID_KorvelTestFailing);
    ASSERT_NE(nullptr, failing);
    IBaseFilter* filter = reinterpret_cast<IBaseFilter*>(1);
    EXPECT_EQ(E_FAIL, failing->CreateInstance(nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&filter)));
    EXPECT_EQ(nullptr, filter);
    EXPECT_EQ(1, module.State().objectsActive);
    EXPECT_EQ(0u, failing->Release());

    // No object and no code: out of memory.
    IClassFactory* noMemory = module.Factory(CLSID_KorvelTestNoMemory);
    ASSERT_NE(nullptr, noMemory);
    filter = reinterpret_cast<IBaseFilter*>(1);
    EXPECT_EQ(E_OUTOFMEMORY,
              noMemory->CreateInstance(nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&filter)));
    EXPECT_EQ(nullptr, filter);
    EXPECT_EQ(0u, noMemory->Release());

    IClassFactory* source = module.Factory(CLSID_KorvelTestSource);
    ASSERT_NE(nullptr, source);
    // An interface the object does not have: the new object is destroyed.
    IUnknown* object = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(E_NOINTERFACE, source->CreateInstance(nullptr, IID_IPin, reinterpret_cast<void**>(&object)));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(1, module.State().objectsActive);
    EXPECT_EQ(E_POINTER, source->CreateInstance(nullptr, IID_IBaseFilter, nullptr));
    EXPECT_EQ(0u, source->Release());

    EXPECT_EQ(0, module.State().objectsActive);
    EXPECT_EQ(S_OK, module.CanUnloadNow());
}

TEST(BaseClassesModule, DllEntryPointRunsTheInitRoutines) {
    SetEnvironmentVariableW(kDetachVariable, nullptr);
    {
        TestModule module;
        const TestModuleState state = module.State();
        EXPECT_EQ(1, state.initAttachCalls);
        EXPECT_EQ(module.Handle(), state.moduleHandle);
        EXPECT_EQ(0u, GetEnvironmentVariableW(kDetachVariable, nullptr, 0));
    }
    if (GetModuleHandleW(TestModulePath().c_str())) {
        GTEST_SKIP() << "the module is still loaded by an earlier test of this process";
    }
    WCHAR value[4] = {};
    EXPECT_EQ(1u, GetEnvironmentVariableW(kDetachVariable, value, 4));
    EXPECT_STREQ(L"1", value);
}

TEST(BaseClassesIdentity, QueryInterfaceFollowsTheComRules) {
    TestModule module;
    IBaseFilter* filter = nullptr;
    ASSERT_EQ(S_OK, module.CreateFilter(CLSID_KorvelTestSource, &filter));
    EXPECT_EQ(1u, RefCount(filter));

    IMediaFilter* mediaFilter = nullptr;
    IPersist* persist = nullptr;
    IAMovieSetup* setup = nullptr;
    ITestFilterProbe* probe = nullptr;
    ASSERT_EQ(S_OK, Query(filter, IID_IMediaFilter, &mediaFilter));
    ASSERT_EQ(S_OK, Query(filter, IID_IPersist, &persist));
    ASSERT_EQ(S_OK, Query(filter, IID_IAMovieSetup, &setup));
    ASSERT_EQ(S_OK, Query(filter, IID_ITestFilterProbe, &probe));
    EXPECT_EQ(5u, RefCount(filter));

    // One identity from every interface.
    IUnknown* identity = IdentityOf(filter);
    ASSERT_NE(nullptr, identity);
    EXPECT_EQ(identity, IdentityOf(mediaFilter));
    EXPECT_EQ(identity, IdentityOf(persist));
    EXPECT_EQ(identity, IdentityOf(setup));
    EXPECT_EQ(identity, IdentityOf(probe));

    // Reflexive, symmetric and transitive.
    IBaseFilter* again = nullptr;
    ASSERT_EQ(S_OK, Query(filter, IID_IBaseFilter, &again));
    EXPECT_EQ(filter, again);
    again->Release();
    IBaseFilter* back = nullptr;
    ASSERT_EQ(S_OK, Query(setup, IID_IBaseFilter, &back));
    EXPECT_EQ(filter, back);
    back->Release();
    IAMovieSetup* through = nullptr;
    ASSERT_EQ(S_OK, Query(persist, IID_IAMovieSetup, &through));
    EXPECT_EQ(setup, through);
    through->Release();

    // Interfaces the filter does not have.
    IPin* pin = reinterpret_cast<IPin*>(1);
    EXPECT_EQ(E_NOINTERFACE, Query(filter, IID_IPin, &pin));
    EXPECT_EQ(nullptr, pin);
    EXPECT_EQ(E_POINTER, filter->QueryInterface(IID_IBaseFilter, nullptr));

    // A pin has an identity of its own but counts on its filter.
    pin = FirstPin(filter);
    ASSERT_NE(nullptr, pin);
    EXPECT_EQ(6u, RefCount(filter));
    IQualityControl* quality = nullptr;
    ASSERT_EQ(S_OK, Query(pin, IID_IQualityControl, &quality));
    IUnknown* pinIdentity = IdentityOf(pin);
    EXPECT_NE(identity, pinIdentity);
    EXPECT_EQ(pinIdentity, IdentityOf(quality));
    EXPECT_EQ(7u, RefCount(filter));
    IBaseFilter* notAFilter = reinterpret_cast<IBaseFilter*>(1);
    EXPECT_EQ(E_NOINTERFACE, Query(pin, IID_IBaseFilter, &notAFilter));
    EXPECT_EQ(nullptr, notAFilter);
    EXPECT_EQ(6u, quality->Release());
    EXPECT_EQ(5u, pin->Release());

    EXPECT_EQ(4u, probe->Release());
    EXPECT_EQ(3u, setup->Release());
    EXPECT_EQ(2u, persist->Release());
    EXPECT_EQ(1u, mediaFilter->Release());
    EXPECT_EQ(0u, filter->Release());
    EXPECT_EQ(0, module.State().objectsActive);
    EXPECT_EQ(S_OK, module.CanUnloadNow());
}
