// The dialog while the camera changes under it: locked while a pin streams,
// another camera selected elsewhere, the camera unplugged.
#include "DialogTestSupport.h"

#include <thread>

#include "quill/Quill.h"

namespace {

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

IPin* InputPinOf(IBaseFilter* filter) {
    IEnumPins* pins = nullptr;
    if (FAILED(filter->EnumPins(&pins))) {
        return nullptr;
    }
    IPin* pin = nullptr;
    while (pins->Next(1, &pin, nullptr) == S_OK) {
        PIN_DIRECTION direction = PINDIR_OUTPUT;
        if (SUCCEEDED(pin->QueryDirection(&direction)) && direction == PINDIR_INPUT) {
            break;
        }
        pin->Release();
        pin = nullptr;
    }
    pins->Release();
    return pin;
}

}  // namespace

TEST_F(DialogTest, ShowsTheImageFormatReadOnlyWhileAPinStreams) {
    IBaseFilter* filter = CreateSource();
    ASSERT_NE(nullptr, filter);
    IOrelGenICamConfigDialog* dialog = OpenDialog(filter, 0);
    ASSERT_NE(nullptr, dialog);
    DialogView view(dialog->GetWindow());
    ASSERT_TRUE(view.Select("Width"));
    EXPECT_TRUE(Has(view.Text(kIdInfoText), "Access: RW"));
    EXPECT_FALSE(view.EditReadOnly());

    {
        Graph graph;
        IBaseFilter* renderer = CreateSystemFilter(kNullRenderer);
        ASSERT_NE(nullptr, renderer);
        graph.Add(filter, L"Source");
        graph.Add(renderer, L"Renderer");
        IPin* capture = PinOf(filter, L"Capture");
        IPin* input = InputPinOf(renderer);
        ASSERT_NE(nullptr, capture);
        ASSERT_NE(nullptr, input);
        ASSERT_EQ(S_OK, graph.Builder()->ConnectDirect(capture, input, nullptr));
        ASSERT_TRUE(SUCCEEDED(graph.Control()->Run()));

        // Within a bounded wait the timer shows the lock.
        EXPECT_TRUE(PumpUntil([&] { return Has(view.Text(kIdInfoText), "Access: RO"); }, 3000))
            << view.Text(kIdInfoText);
        EXPECT_TRUE(view.EditReadOnly());
        EXPECT_FALSE(view.Enabled(kIdApplyButton));
        // A forced click is refused by the dialog, and the camera keeps its width.
        view.SetEditText("320");
        view.ClickApply();
        EXPECT_TRUE(Has(view.Text(kIdStatusText), "Width")) << view.Text(kIdStatusText);
        EXPECT_EQ("640", view.Text(kIdValueEdit));
        EXPECT_EQ("640", view.ValueOf("Width"));
        ASSERT_TRUE(view.Select("PixelFormat"));
        EXPECT_FALSE(view.Enabled(kIdEnumCombo));
        EXPECT_TRUE(Has(view.Text(kIdInfoText), "Access: RO"));
        // Features outside the image format stay writable while streaming.
        ASSERT_TRUE(view.Select("GainRaw"));
        EXPECT_TRUE(view.Enabled(kIdApplyButton));
        view.SetEditText("12");
        view.ClickApply();
        EXPECT_EQ("", view.Text(kIdStatusText));
        EXPECT_EQ("12", view.ValueOf("GainRaw"));

        ASSERT_TRUE(view.Select("Width"));
        graph.Clear();  // stops and disconnects
        capture->Release();
        input->Release();
        renderer->Release();
    }
    EXPECT_TRUE(PumpUntil([&] { return Has(view.Text(kIdInfoText), "Access: RW"); }, 3000))
        << view.Text(kIdInfoText);
    EXPECT_FALSE(view.EditReadOnly());
    EXPECT_TRUE(view.Enabled(kIdApplyButton));

    DestroyDialog(dialog);
    EXPECT_EQ(0u, filter->Release());
}

TEST_F(DialogTest, FollowsACameraSelectedElsewhere) {
    IBaseFilter* filter = CreateSource();
    ASSERT_NE(nullptr, filter);
    IOrelGenICamConfigDialog* dialog = OpenDialog(filter, 0);
    ASSERT_NE(nullptr, dialog);
    DialogView view(dialog->GetWindow());
    EXPECT_EQ("P1", view.ValueOf("DeviceSerialNumber"));
    ASSERT_TRUE(view.Select("ExposureTimeAbs"));

    IKorvelGenICamSource* source = SourceOf(filter);
    ASSERT_NE(nullptr, source);
    BSTR other = SysAllocString(DialogCameraId("P2").c_str());
    ASSERT_EQ(S_OK, source->SelectCamera(other));
    SysFreeString(other);
    EXPECT_TRUE(PumpUntil([&] { return view.ValueOf("DeviceSerialNumber") == "P2"; }, 3000))
        << view.ValueOf("DeviceSerialNumber");
    EXPECT_EQ("KV-M320", view.ValueOf("DeviceModelName"));
    EXPECT_EQ("2000", view.ValueOf("ExposureTimeAbs"));
    // The selection stays on the same feature, now the other camera's.
    EXPECT_TRUE(Has(view.Text(kIdInfoText), "Range: 50 .. 500000")) << view.Text(kIdInfoText);
    EXPECT_EQ("2000", view.Text(kIdValueEdit));
    // Edits reach the other camera.
    view.SetEditText("4000");
    view.ClickApply();
    EXPECT_EQ("", view.Text(kIdStatusText));
    Quill::IQuillDevice* device = ActiveDevice(filter);
    ASSERT_NE(nullptr, device);
    EXPECT_EQ(4000.0, GenApi::CFloatPtr(device->GetNodeMap()->GetNode("ExposureTimeAbs"))->GetValue());

    // An empty selection closes the camera: the dialog empties.
    BSTR none = SysAllocString(L"");
    EXPECT_EQ(E_INVALIDARG, source->SelectCamera(none));
    SysFreeString(none);
    EXPECT_TRUE(PumpUntil([&] { return view.Rows().empty(); }, 3000));

    source->Release();
    DestroyDialog(dialog);
    EXPECT_EQ(0u, filter->Release());
}

TEST_F(DialogTest, EmptiesWhenTheCameraIsUnpluggedAndEndsCleanly) {
    IBaseFilter* filter = CreateSource();
    ASSERT_NE(nullptr, filter);
    IOrelGenICamConfigDialog* dialog = OpenDialog(filter, 2);
    ASSERT_NE(nullptr, dialog);
    DialogView view(dialog->GetWindow());
    ASSERT_FALSE(view.Rows().empty());
    ASSERT_TRUE(view.Select("ExposureTimeAbs"));

    // The SDK reports the loss on a thread of its own while this thread keeps
    // reading every feature; neither waits for the other for long.
    std::thread unplug([] {
        Sleep(30);
        Quill::Emulation::GetEmulationControl().Unplug("P1");
    });
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 400) {
        EXPECT_EQ(0, dialog->Refresh());
        Pump(1);
    }
    unplug.join();
    EXPECT_TRUE(PumpUntil([&] { return view.Rows().empty(); }, 5000)) << view.Rows().size() << " rows left";
    EXPECT_EQ("The camera is not available.", view.Text(kIdStatusText));
    EXPECT_FALSE(view.Enabled(kIdApplyButton));
    // Edits find no camera.
    view.SetEditText("20000");
    view.ClickApply();
    Pump(600);  // at least one refresh tick on the empty list
    EXPECT_TRUE(view.Rows().empty());
    EXPECT_EQ(0, dialog->Refresh());
    EXPECT_EQ(0, dialog->SetUserLevel(0));
    EXPECT_TRUE(view.Rows().empty());

    // The camera comes back and is selected again: the dialog follows.
    ASSERT_TRUE(Quill::Emulation::GetEmulationControl().Replug("P1"));
    IKorvelGenICamSource* source = SourceOf(filter);
    ASSERT_NE(nullptr, source);
    BSTR id = SysAllocString(DialogCameraId("P1").c_str());
    EXPECT_EQ(S_OK, source->SelectCamera(id));
    SysFreeString(id);
    source->Release();
    EXPECT_TRUE(PumpUntil([&] { return view.ValueOf("DeviceSerialNumber") == "P1"; }, 3000));

    // Unplugged again and destroyed straight away, without pumping.
    ASSERT_TRUE(Quill::Emulation::GetEmulationControl().Unplug("P1"));
    EXPECT_EQ(0, dialog->SetSource(nullptr));
    EXPECT_EQ(0, dialog->AttachWindow(nullptr));
    DestroyDialog(dialog);
    Pump(50);
    EXPECT_EQ(0u, filter->Release());
}
