// The pins' COM surface: their interface tables, the pin category that
// capture graph builders look for, the property page and the dropped-frame
// statistics of an unconnected pin.
#include "PinTestSupport.h"

#include <uuids.h>
#include <vfwmsgs.h>

using PinInterfaces = PinTest;

TEST_F(PinInterfaces, CaptureAnswersFourInterfacesAndPreviewOnlyItsCategory) {
    IBaseFilter* source = CreateSource();
    ASSERT_NE(nullptr, source);
    IPin* capture = PinOf(source, L"Capture");
    IPin* preview = PinOf(source, L"Preview");
    ASSERT_NE(nullptr, capture);
    ASSERT_NE(nullptr, preview);

    for (REFIID iid : {IID_IKsPropertySet, IID_ISpecifyPropertyPages, IID_IAMStreamConfig,
                       IID_IAMDroppedFrames, IID_IQualityControl}) {
        IUnknown* answer = nullptr;
        EXPECT_EQ(S_OK, Query(capture, iid, &answer));
        ASSERT_NE(nullptr, answer);
        // Every interface leads back to the same pin.
        IPin* back = nullptr;
        EXPECT_EQ(S_OK, Query(answer, IID_IPin, &back));
        EXPECT_EQ(capture, back);
        back->Release();
        answer->Release();
    }
    IKsPropertySet* properties = nullptr;
    EXPECT_EQ(S_OK, Query(preview, IID_IKsPropertySet, &properties));
    properties->Release();
    for (REFIID iid : {IID_ISpecifyPropertyPages, IID_IAMStreamConfig, IID_IAMDroppedFrames}) {
        IUnknown* answer = nullptr;
        EXPECT_EQ(E_NOINTERFACE, Query(preview, iid, &answer));
        EXPECT_EQ(nullptr, answer);
    }

    LPWSTR id = nullptr;
    ASSERT_EQ(S_OK, preview->QueryId(&id));
    EXPECT_STREQ(L"Preview", id);
    CoTaskMemFree(id);

    preview->Release();
    capture->Release();
    EXPECT_EQ(0u, source->Release());
}

TEST_F(PinInterfaces, ReportTheirCategoryThroughIKsPropertySet) {
    IBaseFilter* source = CreateSource();
    ASSERT_NE(nullptr, source);
    const struct {
        const wchar_t* pin;
        GUID category;
    } cases[] = {{L"Capture", PIN_CATEGORY_CAPTURE}, {L"Preview", PIN_CATEGORY_PREVIEW}};
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.pin);
        IPin* pin = PinOf(source, entry.pin);
        IKsPropertySet* properties = nullptr;
        ASSERT_EQ(S_OK, Query(pin, IID_IKsPropertySet, &properties));

        DWORD returned = 0;
        EXPECT_EQ(S_OK, properties->Get(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0, nullptr, 0,
                                        &returned));
        EXPECT_EQ(16u, returned);
        GUID category = GUID_NULL;
        EXPECT_EQ(E_UNEXPECTED, properties->Get(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0,
                                                &category, 15, &returned));
        EXPECT_EQ(S_OK, properties->Get(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0, &category,
                                        sizeof(category), &returned));
        EXPECT_EQ(entry.category, category);
        EXPECT_EQ(E_POINTER,
                  properties->Get(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0, nullptr, 0, nullptr));
        EXPECT_EQ(E_PROP_ID_UNSUPPORTED, properties->Get(AMPROPSETID_Pin, AMPROPERTY_PIN_MEDIUM, nullptr, 0,
                                                         &category, 16, &returned));
        EXPECT_EQ(E_PROP_SET_UNSUPPORTED, properties->Get(PIN_CATEGORY_CAPTURE, AMPROPERTY_PIN_CATEGORY,
                                                          nullptr, 0, &category, 16, &returned));
        EXPECT_EQ(E_NOTIMPL,
                  properties->Set(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0, &category, 16));
        DWORD support = 0;
        EXPECT_EQ(S_OK, properties->QuerySupported(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, &support));
        EXPECT_EQ(static_cast<DWORD>(KSPROPERTY_SUPPORT_GET), support);
        EXPECT_EQ(E_PROP_ID_UNSUPPORTED, properties->QuerySupported(AMPROPSETID_Pin, 7, &support));
        properties->Release();
        pin->Release();
    }

    // Capture graph builders find the pins by category.
    ICaptureGraphBuilder2* builder = nullptr;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_ICaptureGraphBuilder2, reinterpret_cast<void**>(&builder)));
    for (const auto& entry : cases) {
        IPin* found = nullptr;
        EXPECT_EQ(S_OK, builder->FindPin(source, PINDIR_OUTPUT, &entry.category, &MEDIATYPE_Video, FALSE, 0,
                                         &found));
        IPin* expected = PinOf(source, entry.pin);
        EXPECT_EQ(expected, found);
        expected->Release();
        if (found) {
            found->Release();
        }
    }
    builder->Release();
    EXPECT_EQ(0u, source->Release());
}

TEST_F(PinInterfaces, CapturePinNamesItsPageAndCountsNothingUnconnected) {
    IBaseFilter* source = CreateSource();
    ASSERT_NE(nullptr, source);
    IPin* capture = PinOf(source, L"Capture");

    ISpecifyPropertyPages* pages = nullptr;
    ASSERT_EQ(S_OK, Query(capture, IID_ISpecifyPropertyPages, &pages));
    CAUUID list = {};
    ASSERT_EQ(S_OK, pages->GetPages(&list));
    ASSERT_EQ(1u, list.cElems);
    EXPECT_EQ(CLSID_VideoStreamConfigPropertyPage, list.pElems[0]);
    CoTaskMemFree(list.pElems);
    EXPECT_EQ(E_POINTER, pages->GetPages(nullptr));
    pages->Release();

    IAMDroppedFrames* dropped = nullptr;
    ASSERT_EQ(S_OK, Query(capture, IID_IAMDroppedFrames, &dropped));
    LONG count = -1;
    EXPECT_EQ(S_OK, dropped->GetNumDropped(&count));
    EXPECT_EQ(0, count);
    EXPECT_EQ(S_OK, dropped->GetNumNotDropped(&count));
    EXPECT_EQ(0, count);
    EXPECT_EQ(E_UNEXPECTED, dropped->GetAverageFrameSize(&count));
    EXPECT_EQ(E_NOTIMPL, dropped->GetDroppedInfo(4, &count, &count));
    EXPECT_EQ(E_POINTER, dropped->GetNumDropped(nullptr));
    EXPECT_EQ(E_POINTER, dropped->GetAverageFrameSize(nullptr));
    dropped->Release();

    capture->Release();
    EXPECT_EQ(0u, source->Release());
}
