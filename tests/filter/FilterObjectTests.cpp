// The filter object as IBaseFilter sees it: its interface table and COM
// identity, aggregation, reference counts, the pins and FindPin, and the
// state a live source reports while paused.
#include "FilterTestSupport.h"

#include <vfwmsgs.h>

namespace {

// An object that aggregates the filter: it answers IUnknown itself and hands
// every other request to the filter's non-delegating IUnknown.
class Outer : public IUnknown {
  public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) {
            return E_POINTER;
        }
        if (riid == IID_IUnknown) {
            *ppv = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        if (!inner) {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        return inner->QueryInterface(riid, ppv);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
    STDMETHODIMP_(ULONG) Release() override { return --references; }

    ULONG references = 1;
    IUnknown* inner = nullptr;
};

std::wstring PinId(IPin* pin) {
    LPWSTR id = nullptr;
    if (FAILED(pin->QueryId(&id)) || !id) {
        return L"<none>";
    }
    std::wstring text = id;
    CoTaskMemFree(id);
    return text;
}

// The pin FindPin gives for id, released at once (the filter keeps it).
IPin* FoundPin(IBaseFilter* filter, const wchar_t* id, HRESULT expected = S_OK) {
    IPin* pin = reinterpret_cast<IPin*>(1);
    EXPECT_EQ(expected, filter->FindPin(id, &pin)) << "FindPin(\"" << (id ? id : L"<null>") << "\")";
    if (pin) {
        pin->Release();
    }
    return pin;
}

}  // namespace

using FilterObject = FilterTest;

TEST_F(FilterObject, AnswersItsInterfacesWithOneIdentity) {
    IBaseFilter* filter = CreateFilter();
    ASSERT_NE(nullptr, filter);
    IUnknown* identity = IdentityOf(filter);
    ASSERT_NE(nullptr, identity);

    const IID* const answered[] = {&IID_IKorvelGenICamSource,
                                   &IID_IKorvelGenICamConfigControl,
                                   &IID_IBaseFilter,
                                   &IID_IMediaFilter,
                                   &IID_IPersist,
                                   &IID_IAMovieSetup,
                                   &IID_IUnknown};
    for (const IID* iid : answered) {
        IUnknown* answer = nullptr;
        ASSERT_EQ(S_OK, Query(filter, *iid, &answer));
        EXPECT_EQ(identity, IdentityOf(answer));
        answer->Release();
    }
    // Nothing that belongs to a pin or to a COM object of another kind.
    const IID* const refused[] = {&IID_IPin, &IID_IKorvelGenICamConfigCallback, &IID_IClassFactory};
    for (const IID* iid : refused) {
        IUnknown* answer = reinterpret_cast<IUnknown*>(1);
        EXPECT_EQ(E_NOINTERFACE, Query(filter, *iid, &answer));
        EXPECT_EQ(nullptr, answer);
    }
    EXPECT_EQ(E_POINTER, filter->QueryInterface(IID_IBaseFilter, nullptr));

    // The module registers the filter itself: IAMovieSetup has nothing to do.
    IAMovieSetup* setup = nullptr;
    ASSERT_EQ(S_OK, Query(filter, IID_IAMovieSetup, &setup));
    EXPECT_EQ(S_FALSE, setup->Register());
    EXPECT_EQ(S_FALSE, setup->Unregister());
    setup->Release();

    EXPECT_EQ(1u, RefCount(filter));
    EXPECT_EQ(0u, filter->Release());
}

TEST_F(FilterObject, CanBeAggregated) {
    Outer outer;
    // An outer object may ask for the inner IUnknown only.
    IUnknown* refused = reinterpret_cast<IUnknown*>(1);
    EXPECT_TRUE(FAILED(CoCreateInstance(CLSID_CKorvelGenICamSource, &outer, CLSCTX_INPROC_SERVER,
                                        IID_IBaseFilter, reinterpret_cast<void**>(&refused))));
    EXPECT_EQ(nullptr, refused);
    EXPECT_EQ(1u, outer.references);

    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_CKorvelGenICamSource, &outer, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                     reinterpret_cast<void**>(&outer.inner)));
    ASSERT_NE(nullptr, outer.inner);
    EXPECT_EQ(1u, outer.references);

    // The filter's interfaces count on the outer object and name it as
    // their identity.
    IBaseFilter* filter = nullptr;
    ASSERT_EQ(S_OK, Query(&outer, IID_IBaseFilter, &filter));
    EXPECT_EQ(2u, outer.references);
    EXPECT_EQ(static_cast<IUnknown*>(&outer), IdentityOf(filter));
    IKorvelGenICamSource* source = nullptr;
    ASSERT_EQ(S_OK, Query(filter, IID_IKorvelGenICamSource, &source));
    EXPECT_EQ(3u, outer.references);
    LONG count = 0;
    EXPECT_EQ(S_OK, source->GetCameraCount(&count));
    EXPECT_EQ(3, count);
    source->Release();
    // So do its pins.
    IPin* pin = nullptr;
    ASSERT_EQ(S_OK, filter->FindPin(L"Capture", &pin));
    EXPECT_EQ(3u, outer.references);
    pin->Release();
    filter->Release();
    EXPECT_EQ(1u, outer.references);

    // The inner IUnknown owns the filter's own count.
    EXPECT_EQ(0u, outer.inner->Release());
    outer.inner = nullptr;
    EXPECT_EQ(0u, LiveDevices());
}

TEST_F(FilterObject, HasTwoOutputPinsOfferingVideoTypes) {
    IBaseFilter* filter = CreateFilter();
    ASSERT_NE(nullptr, filter);

    IEnumPins* pins = nullptr;
    ASSERT_EQ(S_OK, filter->EnumPins(&pins));
    IPin* found[3] = {};
    ULONG fetched = 0;
    EXPECT_EQ(S_FALSE, pins->Next(3, found, &fetched));
    EXPECT_EQ(2u, fetched);
    pins->Release();

    const wchar_t* const names[] = {L"Capture", L"Preview"};
    for (ULONG index = 0; index < fetched; ++index) {
        IPin* pin = found[index];
        SCOPED_TRACE(names[index]);
        EXPECT_EQ(names[index], PinId(pin));
        PIN_INFO info = {};
        ASSERT_EQ(S_OK, pin->QueryPinInfo(&info));
        EXPECT_STREQ(names[index], info.achName);
        EXPECT_EQ(PINDIR_OUTPUT, info.dir);
        EXPECT_EQ(filter, info.pFilter);
        if (info.pFilter) {
            info.pFilter->Release();
        }
        PIN_DIRECTION direction = PINDIR_INPUT;
        EXPECT_EQ(S_OK, pin->QueryDirection(&direction));
        EXPECT_EQ(PINDIR_OUTPUT, direction);
        EXPECT_EQ(E_POINTER, pin->QueryId(nullptr));

        // The first type offered is video with a complete format block; a
        // video type without a format block is not accepted.
        IEnumMediaTypes* types = nullptr;
        ASSERT_EQ(S_OK, pin->EnumMediaTypes(&types));
        AM_MEDIA_TYPE* type = nullptr;
        ASSERT_EQ(S_OK, types->Next(1, &type, nullptr));
        ASSERT_NE(nullptr, type);
        EXPECT_EQ(MEDIATYPE_Video, type->majortype);
        EXPECT_EQ(FORMAT_VideoInfo, type->formattype);
        EXPECT_GE(type->cbFormat, sizeof(VIDEOINFOHEADER));
        EXPECT_EQ(S_OK, pin->QueryAccept(type));
        if (type->pbFormat != nullptr) {
            CoTaskMemFree(type->pbFormat);
        }
        CoTaskMemFree(type);
        types->Release();
        AM_MEDIA_TYPE video = {};
        video.majortype = MEDIATYPE_Video;
        video.subtype = MEDIASUBTYPE_RGB24;
        EXPECT_EQ(S_FALSE, pin->QueryAccept(&video));
        IPin* peer = reinterpret_cast<IPin*>(1);
        EXPECT_EQ(VFW_E_NOT_CONNECTED, pin->ConnectedTo(&peer));
        EXPECT_EQ(nullptr, peer);

        // A pin counts on its filter.
        EXPECT_EQ(1u + fetched, RefCount(filter));
    }
    for (ULONG index = 0; index < fetched; ++index) {
        found[index]->Release();
    }
    EXPECT_EQ(0u, filter->Release());
}

TEST_F(FilterObject, FindPinByNameAndByNumber) {
    IBaseFilter* filter = CreateFilter();
    ASSERT_NE(nullptr, filter);
    IPin* capture = FoundPin(filter, L"Capture");
    IPin* preview = FoundPin(filter, L"Preview");
    ASSERT_NE(nullptr, capture);
    ASSERT_NE(nullptr, preview);
    EXPECT_NE(capture, preview);
    EXPECT_EQ(L"Capture", PinId(capture));
    EXPECT_EQ(L"Preview", PinId(preview));

    // An identifier that names no pin is read as a number.
    EXPECT_EQ(capture, FoundPin(filter, L"0"));
    EXPECT_EQ(preview, FoundPin(filter, L"1"));
    EXPECT_EQ(preview, FoundPin(filter, L"  +1"));
    EXPECT_EQ(preview, FoundPin(filter, L"1st"));
    EXPECT_EQ(nullptr, FoundPin(filter, L"2", VFW_E_NOT_FOUND));
    EXPECT_EQ(nullptr, FoundPin(filter, L"-1", VFW_E_NOT_FOUND));
    EXPECT_EQ(nullptr, FoundPin(filter, L"99999999999999999999", VFW_E_NOT_FOUND));
    // No digits at all read as 0: names are compared exactly, so "preview"
    // is not "Preview" and finds the capture pin.
    EXPECT_EQ(capture, FoundPin(filter, L"Output"));
    EXPECT_EQ(capture, FoundPin(filter, L"preview"));
    EXPECT_EQ(capture, FoundPin(filter, L""));

    EXPECT_EQ(E_POINTER, filter->FindPin(L"Capture", nullptr));
    EXPECT_EQ(nullptr, FoundPin(filter, nullptr, E_POINTER));

    EXPECT_EQ(1u, RefCount(filter));
    EXPECT_EQ(0u, filter->Release());
}

TEST_F(FilterObject, PausedLiveSourceCannotCue) {
    IBaseFilter* filter = CreateFilter();
    ASSERT_NE(nullptr, filter);
    FILTER_STATE state = State_Running;
    EXPECT_EQ(S_OK, filter->GetState(0, &state));
    EXPECT_EQ(State_Stopped, state);
    EXPECT_EQ(E_POINTER, filter->GetState(0, nullptr));

    ASSERT_EQ(S_OK, filter->Pause());
    EXPECT_EQ(VFW_S_CANT_CUE, filter->GetState(0, &state));
    EXPECT_EQ(State_Paused, state);
    EXPECT_EQ(VFW_S_CANT_CUE, filter->GetState(INFINITE, &state));

    ASSERT_EQ(S_OK, filter->Run(0));
    EXPECT_EQ(S_OK, filter->GetState(0, &state));
    EXPECT_EQ(State_Running, state);

    ASSERT_EQ(S_OK, filter->Pause());
    EXPECT_EQ(VFW_S_CANT_CUE, filter->GetState(0, &state));
    ASSERT_EQ(S_OK, filter->Stop());
    EXPECT_EQ(S_OK, filter->GetState(0, &state));
    EXPECT_EQ(State_Stopped, state);
    EXPECT_EQ(0u, filter->Release());
}
