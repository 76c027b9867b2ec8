// Aggregation: an outer object of the test's own holds the test filter as its
// inner object, the way a COM client aggregates a DirectShow filter.
#include "TestSupport.h"

namespace {

// Exposes IBaseFilter (and its bases) from the inner filter, and nothing of
// the inner filter's other interfaces.
class OuterObject final : public IUnknown {
  public:
    OuterObject() = default;
    virtual ~OuterObject() = default;

    HRESULT Aggregate(IClassFactory* factory) {
        return factory->CreateInstance(this, IID_IUnknown, reinterpret_cast<void**>(&m_inner));
    }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) {
            return E_POINTER;
        }
        if (riid == IID_IUnknown) {
            *ppv = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        if (m_inner && (riid == IID_IBaseFilter || riid == IID_IMediaFilter || riid == IID_IPersist)) {
            return m_inner->QueryInterface(riid, ppv);
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_refs)); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG refs = InterlockedDecrement(&m_refs);
        if (refs == 0) {
            // Guard the count while the inner object goes: it may call back.
            m_refs = 1;
            if (m_inner) {
                m_inner->Release();
                m_inner = nullptr;
            }
            delete this;
        }
        return static_cast<ULONG>(refs);
    }

    IUnknown* Inner() const { return m_inner; }
    LONG Refs() const { return m_refs; }

  private:
    volatile LONG m_refs = 1;
    IUnknown* m_inner = nullptr;
};

}  // namespace

TEST(BaseClassesAggregation, InnerFilterDelegatesToItsOuterObject) {
    TestModule module;
    IClassFactory* factory = module.Factory(CLSID_KorvelTestSource);
    ASSERT_NE(nullptr, factory);

    // Aggregated creation hands out only the inner object's IUnknown.
    auto* refused = new OuterObject;
    IUnknown* none = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(E_NOINTERFACE,
              factory->CreateInstance(refused, IID_IBaseFilter, reinterpret_cast<void**>(&none)));
    EXPECT_EQ(nullptr, none);
    EXPECT_EQ(0u, refused->Release());
    EXPECT_EQ(1, module.State().objectsActive);

    auto* outer = new OuterObject;
    ASSERT_EQ(S_OK, outer->Aggregate(factory));
    ASSERT_NE(nullptr, outer->Inner());
    EXPECT_EQ(0u, factory->Release());
    // The inner object was made for this outer object alone: creating it
    // took no reference on the outer one.
    EXPECT_EQ(1, outer->Refs());

    IBaseFilter* filter = nullptr;
    ASSERT_EQ(S_OK, Query(outer, IID_IBaseFilter, &filter));
    // The inner filter's interfaces count on the outer object.
    EXPECT_EQ(2, outer->Refs());
    EXPECT_EQ(3u, filter->AddRef());
    EXPECT_EQ(3, outer->Refs());
    EXPECT_EQ(2u, filter->Release());

    // Its IUnknown is the outer object's, and so is every other answer.
    IUnknown* identity = nullptr;
    ASSERT_EQ(S_OK, Query(filter, IID_IUnknown, &identity));
    EXPECT_EQ(static_cast<IUnknown*>(outer), identity);
    identity->Release();
    ITestFilterProbe* probe = reinterpret_cast<ITestFilterProbe*>(1);
    EXPECT_EQ(E_NOINTERFACE, Query(filter, IID_ITestFilterProbe, &probe));
    EXPECT_EQ(nullptr, probe);
    IPersist* persist = nullptr;
    ASSERT_EQ(S_OK, Query(filter, IID_IPersist, &persist));
    CLSID clsid = {};
    EXPECT_EQ(S_OK, persist->GetClassID(&clsid));
    EXPECT_TRUE(IsEqualCLSID(CLSID_KorvelTestSource, clsid));
    persist->Release();

    // The inner object's own IUnknown still answers its whole table.
    ASSERT_EQ(S_OK, Query(outer->Inner(), IID_ITestFilterProbe, &probe));
    EXPECT_EQ(3, outer->Refs());
    probe->Release();

    // Pins count on the outer object too: they keep the whole aggregate.
    IPin* pin = FirstPin(filter);
    ASSERT_NE(nullptr, pin);
    EXPECT_EQ(3, outer->Refs());
    PIN_INFO info = {};
    ASSERT_EQ(S_OK, pin->QueryPinInfo(&info));
    EXPECT_EQ(filter, info.pFilter);
    EXPECT_EQ(4, outer->Refs());
    info.pFilter->Release();
    pin->Release();

    EXPECT_EQ(2, module.State().objectsActive);
    EXPECT_EQ(1u, filter->Release());
    EXPECT_EQ(0u, outer->Release());
    EXPECT_EQ(0, module.State().objectsActive);
    EXPECT_EQ(S_OK, module.CanUnloadNow());
}
