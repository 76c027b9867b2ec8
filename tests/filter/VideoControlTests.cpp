// IAMVideoControl of the filter: capabilities, trigger mode and software
// triggers delivering into a running graph, measured and listed frame rates.
#include "FilterTestSupport.h"

#include <vfwmsgs.h>

namespace {

using VideoControl = FilterTest;

IPin* FirstPinOf(IBaseFilter* filter) {
    IEnumPins* pins = nullptr;
    if (FAILED(filter->EnumPins(&pins))) {
        return nullptr;
    }
    IPin* pin = nullptr;
    if (pins->Next(1, &pin, nullptr) != S_OK) {
        pin = nullptr;
    }
    pins->Release();
    return pin;
}

long Delivered(IAMDroppedFrames* dropped) {
    long count = -1;
    EXPECT_EQ(S_OK, dropped->GetNumNotDropped(&count));
    return count;
}

// Waits up to timeoutMs for the delivered count to reach at least wanted.
long WaitForDelivered(IAMDroppedFrames* dropped, long wanted, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    long count = Delivered(dropped);
    while (count < wanted && GetTickCount() - start < timeoutMs) {
        Sleep(10);
        count = Delivered(dropped);
    }
    return count;
}

}  // namespace

TEST_F(VideoControl, CapsPointersAndFrameRateLists) {
    IBaseFilter* filter = CreateFilter();
    ASSERT_NE(nullptr, filter);
    IAMVideoControl* control = nullptr;
    ASSERT_EQ(S_OK, Query(filter, IID_IAMVideoControl, &control));
    EXPECT_EQ(IdentityOf(filter), IdentityOf(control));
    IPin* capture = nullptr;
    ASSERT_EQ(S_OK, filter->FindPin(L"Capture", &capture));
    IPin* preview = nullptr;
    ASSERT_EQ(S_OK, filter->FindPin(L"Preview", &preview));

    LONG flags = 0;
    EXPECT_EQ(S_OK, control->GetCaps(capture, &flags));
    EXPECT_EQ(12, flags);
    EXPECT_EQ(E_POINTER, control->GetCaps(nullptr, &flags));
    EXPECT_EQ(E_POINTER, control->GetCaps(capture, nullptr));
    EXPECT_EQ(E_POINTER, control->GetMode(capture, nullptr));
    EXPECT_EQ(E_POINTER, control->SetMode(nullptr, 0));
    LONGLONG duration = 0;
    EXPECT_EQ(E_POINTER, control->GetCurrentActualFrameRate(capture, nullptr));
    // Not one of the filter's pins.
    EXPECT_EQ(E_INVALIDARG, control->GetCurrentActualFrameRate(reinterpret_cast<IPin*>(control), &duration));
    // Never activated: 100 s.
    EXPECT_EQ(S_OK, control->GetCurrentActualFrameRate(preview, &duration));
    EXPECT_EQ(1000000000, duration);

    // Every capability that IAMStreamConfig lists has a frame-rate list that
    // ends with its own maximum.
    IAMStreamConfig* config = nullptr;
    ASSERT_EQ(S_OK, Query(capture, IID_IAMStreamConfig, &config));
    int count = 0;
    int size = 0;
    ASSERT_EQ(S_OK, config->GetNumberOfCapabilities(&count, &size));
    ASSERT_GT(count, 0);
    const SIZE dimensions = {640, 480};
    bool sawThirty = false;
    for (int index = 0; index < count; ++index) {
        SCOPED_TRACE(index);
        LONGLONG maximum = -1;
        ASSERT_EQ(S_OK, control->GetMaxAvailableFrameRate(capture, index, dimensions, &maximum));
        LONG listSize = 0;
        LONGLONG* list = nullptr;
        ASSERT_EQ(S_OK, control->GetFrameRateList(capture, index, dimensions, &listSize, &list));
        ASSERT_GE(listSize, 1);
        ASSERT_NE(nullptr, list);
        EXPECT_EQ(maximum, list[listSize - 1]);
        for (LONG entry = 1; entry + 1 < listSize; ++entry) {
            EXPECT_LT(list[entry], list[entry - 1]);
        }
        if (maximum == 333333) {
            sawThirty = true;
            const LONGLONG expected[] = {5333333, 2666666, 1333333, 666666, 416666,
                                         400000,  333667,  333333,  333333};
            ASSERT_EQ(9, listSize);
            for (int entry = 0; entry < 9; ++entry) {
                EXPECT_EQ(expected[entry], list[entry]);
            }
        }
        CoTaskMemFree(list);
    }
    RecordProperty("capability_at_30fps", sawThirty ? "yes" : "no");
    LONG listSize = 7;
    LONGLONG* list = reinterpret_cast<LONGLONG*>(1);
    EXPECT_EQ(E_INVALIDARG, control->GetFrameRateList(capture, count, dimensions, &listSize, &list));
    EXPECT_EQ(0, listSize);
    EXPECT_EQ(nullptr, list);
    EXPECT_EQ(E_INVALIDARG, control->GetFrameRateList(capture, -1, dimensions, &listSize, &list));
    EXPECT_EQ(E_INVALIDARG, control->GetMaxAvailableFrameRate(capture, count, dimensions, &duration));
    EXPECT_EQ(E_POINTER, control->GetFrameRateList(capture, 0, dimensions, nullptr, &list));
    EXPECT_EQ(E_POINTER, control->GetFrameRateList(nullptr, 0, dimensions, &listSize, &list));

    config->Release();
    preview->Release();
    capture->Release();
    control->Release();
    EXPECT_EQ(0u, filter->Release());
}

TEST_F(VideoControl, SoftwareTriggersAndMeasuredRateInARunningGraph) {
    IBaseFilter* filter = CreateFilter();
    ASSERT_NE(nullptr, filter);
    IAMVideoControl* control = nullptr;
    ASSERT_EQ(S_OK, Query(filter, IID_IAMVideoControl, &control));
    IPin* capture = nullptr;
    ASSERT_EQ(S_OK, filter->FindPin(L"Capture", &capture));

    // A software trigger needs trigger mode.
    LONG mode = -1;
    EXPECT_EQ(S_OK, control->GetMode(capture, &mode));
    EXPECT_EQ(0, mode);
    EXPECT_EQ(E_UNEXPECTED, control->SetMode(capture, VideoControlFlag_Trigger));

    IGraphBuilder* graph = nullptr;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                     reinterpret_cast<void**>(&graph)));
    ASSERT_EQ(S_OK, graph->AddFilter(filter, L"Korvel GenICam Source"));
    IBaseFilter* renderer = nullptr;
    ASSERT_EQ(S_OK, CoCreateInstance(kNullRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                     reinterpret_cast<void**>(&renderer)));
    ASSERT_EQ(S_OK, graph->AddFilter(renderer, L"Null Renderer"));
    IPin* input = FirstPinOf(renderer);
    ASSERT_NE(nullptr, input);
    ASSERT_EQ(S_OK, graph->ConnectDirect(capture, input, nullptr));
    IAMDroppedFrames* dropped = nullptr;
    ASSERT_EQ(S_OK, Query(capture, IID_IAMDroppedFrames, &dropped));
    IMediaControl* media = nullptr;
    ASSERT_EQ(S_OK, Query(graph, IID_IMediaControl, &media));

    // Free run: a measured rate, between 1 and 100 frames per second.
    ASSERT_TRUE(SUCCEEDED(media->Run()));
    EXPECT_GE(WaitForDelivered(dropped, 30, 5000), 30);
    LONGLONG duration = 0;
    EXPECT_EQ(S_OK, control->GetCurrentActualFrameRate(capture, &duration));
    EXPECT_GT(duration, 100000);
    EXPECT_LT(duration, 10000000);

    // Trigger mode switched on while running: each software trigger delivers
    // exactly one frame.
    ASSERT_EQ(S_OK, control->SetMode(capture, VideoControlFlag_ExternalTriggerEnable));
    EXPECT_EQ(S_OK, control->GetMode(capture, &mode));
    EXPECT_EQ(VideoControlFlag_ExternalTriggerEnable, mode);
    // Frames made before the switch drain; a loaded machine may hold one back
    // for a while, so give them time.
    Sleep(1000);
    long before = Delivered(dropped);
    Sleep(300);
    EXPECT_EQ(before, Delivered(dropped)) << "no frames without a trigger";
    for (int trigger = 1; trigger <= 3; ++trigger) {
        SCOPED_TRACE(trigger);
        ASSERT_EQ(S_OK, control->SetMode(capture,
                                         VideoControlFlag_ExternalTriggerEnable | VideoControlFlag_Trigger));
        EXPECT_EQ(before + 1, WaitForDelivered(dropped, before + 1, 5000));
        Sleep(200);
        EXPECT_EQ(before + 1, Delivered(dropped));
        before = Delivered(dropped);
    }

    // Back to free run while running.
    ASSERT_EQ(S_OK, control->SetMode(capture, 0));
    EXPECT_EQ(S_OK, control->GetMode(capture, &mode));
    EXPECT_EQ(0, mode);
    // The capture pin was restarted in free run: frames flow again.
    EXPECT_GE(WaitForDelivered(dropped, 3, 5000), 3);
    EXPECT_EQ(E_UNEXPECTED, control->SetMode(capture, VideoControlFlag_Trigger));
    EXPECT_EQ(S_OK, media->Stop());

    // Set while stopped, the mode holds once the graph runs.
    ASSERT_EQ(S_OK, control->SetMode(capture, VideoControlFlag_ExternalTriggerEnable));
    ASSERT_TRUE(SUCCEEDED(media->Run()));
    EXPECT_EQ(S_OK, control->GetMode(capture, &mode));
    EXPECT_EQ(VideoControlFlag_ExternalTriggerEnable, mode);
    Sleep(200);
    before = Delivered(dropped);
    ASSERT_EQ(S_OK,
              control->SetMode(capture, VideoControlFlag_ExternalTriggerEnable | VideoControlFlag_Trigger));
    EXPECT_EQ(before + 1, WaitForDelivered(dropped, before + 1, 3000));
    EXPECT_EQ(S_OK, media->Stop());
    ASSERT_EQ(S_OK, control->SetMode(capture, 0));

    media->Release();
    dropped->Release();
    EXPECT_EQ(S_OK, graph->Disconnect(capture));
    EXPECT_EQ(S_OK, graph->Disconnect(input));
    input->Release();
    EXPECT_EQ(S_OK, graph->RemoveFilter(renderer));
    renderer->Release();
    EXPECT_EQ(S_OK, graph->RemoveFilter(filter));
    graph->Release();
    capture->Release();
    control->Release();
    EXPECT_EQ(0u, filter->Release());
}
