// The feature list and the editor on the filter's active camera: user-level
// filtering, what is shown of a feature, and values written, refused and
// changed elsewhere.
#include "DialogTestSupport.h"

#include <algorithm>
#include <cstdio>

#include "quill/Quill.h"

namespace {

bool Contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool IsSubset(const std::vector<std::string>& part, const std::vector<std::string>& whole) {
    for (const std::string& name : part) {
        if (!Contains(whole, name)) {
            return false;
        }
    }
    return true;
}

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

TEST_F(DialogTest, ListsFeaturesByUserLevelWithValuesRangesAndUnits) {
    IBaseFilter* filter = CreateSource();
    ASSERT_NE(nullptr, filter);
    IOrelGenICamConfigDialog* dialog = OpenDialog(filter, 0);
    ASSERT_NE(nullptr, dialog);
    DialogView view(dialog->GetWindow());

    std::vector<std::vector<std::string>> levels;
    for (int32_t level : {0, 1, 2}) {
        ASSERT_EQ(0, dialog->SetUserLevel(level));
        levels.push_back(view.FeatureNames());
        EXPECT_FALSE(Contains(levels.back(), "TLParamsLocked")) << "invisible features never show";
    }
    const std::vector<std::string>& beginner = levels[0];
    const std::vector<std::string>& expert = levels[1];
    const std::vector<std::string>& guru = levels[2];
    EXPECT_TRUE(IsSubset(beginner, expert));
    EXPECT_TRUE(IsSubset(expert, guru));
    EXPECT_LT(beginner.size(), expert.size());
    EXPECT_LT(expert.size(), guru.size());
    for (const char* name : {"ExposureTimeAbs", "GainRaw", "Width", "Height", "PixelFormat", "TriggerMode",
                             "AcquisitionStart", "AcquisitionFrameRateEnable", "DeviceSerialNumber"}) {
        EXPECT_TRUE(Contains(beginner, name)) << name;
    }
    EXPECT_FALSE(Contains(beginner, "ExposureTimeRaw"));
    EXPECT_TRUE(Contains(expert, "ExposureTimeRaw"));
    EXPECT_TRUE(Contains(expert, "TriggerSource"));
    EXPECT_FALSE(Contains(expert, "PayloadSize"));
    EXPECT_TRUE(Contains(guru, "PayloadSize"));
    EXPECT_TRUE(Contains(guru, "ExposureTimeBaseAbs"));

    // Grouped by category: each category row comes before its features.
    const std::vector<ListRow> rows = view.Rows();
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(kCategoryRowParam, rows.front().param);
    int acquisition = -1, exposure = -1, analog = -1, gain = -1;
    for (size_t index = 0; index < rows.size(); ++index) {
        if (rows[index].param == kCategoryRowParam && rows[index].name == "[Acquisition Control]") {
            acquisition = static_cast<int>(index);
        } else if (rows[index].param == kCategoryRowParam && rows[index].name == "[Analog Control]") {
            analog = static_cast<int>(index);
        } else if (rows[index].name == "ExposureTimeAbs") {
            exposure = static_cast<int>(index);
        } else if (rows[index].name == "GainRaw") {
            gain = static_cast<int>(index);
        }
    }
    EXPECT_LE(0, acquisition);
    EXPECT_LT(acquisition, exposure);
    EXPECT_LT(exposure, analog);
    EXPECT_LT(analog, gain);

    // ExposureTimeAbs: value, range, unit, access and description.
    EXPECT_EQ("10000", view.ValueOf("ExposureTimeAbs"));
    ASSERT_TRUE(view.Select("ExposureTimeAbs"));
    const std::string info = view.Text(kIdInfoText);
    EXPECT_TRUE(Has(info, "Float")) << info;
    EXPECT_TRUE(Has(info, "Range: 20 .. 1000000")) << info;
    EXPECT_TRUE(Has(info, "Unit: us")) << info;
    EXPECT_TRUE(Has(info, "Access: RW")) << info;
    EXPECT_TRUE(Has(info, "Exposure time in microseconds.")) << info;
    EXPECT_EQ("10000", view.Text(kIdValueEdit));
    EXPECT_TRUE(IsWindowVisible(view.Control(kIdValueEdit)));
    EXPECT_FALSE(IsWindowVisible(view.Control(kIdEnumCombo)));
    EXPECT_TRUE(view.Enabled(kIdApplyButton));
    EXPECT_EQ("Apply", view.Text(kIdApplyButton));

    // Width: an integer with its increment and unit; the selection survives a
    // change of level.
    ASSERT_TRUE(view.Select("Width"));
    EXPECT_TRUE(Has(view.Text(kIdInfoText), "Range: 16 .. 640, increment 4")) << view.Text(kIdInfoText);
    EXPECT_TRUE(Has(view.Text(kIdInfoText), "Unit: px")) << view.Text(kIdInfoText);
    EXPECT_EQ("640", view.Text(kIdValueEdit));
    ASSERT_EQ(0, dialog->SetUserLevel(0));
    EXPECT_EQ("640", view.Text(kIdValueEdit));

    DestroyDialog(dialog);
    EXPECT_EQ(0u, filter->Release());
}

TEST_F(DialogTest, AppliesValuesAndShowsTheCamerasReasonForARefusedOne) {
    IBaseFilter* filter = CreateSource();
    ASSERT_NE(nullptr, filter);
    IAMCameraControl* cameraControl = nullptr;
    ASSERT_EQ(S_OK, Query(filter, IID_IAMCameraControl, &cameraControl));
    IOrelGenICamConfigDialog* dialog = OpenDialog(filter, 0);
    ASSERT_NE(nullptr, dialog);
    DialogView view(dialog->GetWindow());
    ASSERT_TRUE(view.Select("ExposureTimeAbs"));

    // 125000 microseconds is 2^-3 seconds.
    view.SetEditText("125000");
    view.ClickApply();
    EXPECT_EQ("", view.Text(kIdStatusText));
    EXPECT_EQ("125000", view.ValueOf("ExposureTimeAbs"));
    long exposure = 0, flags = 0;
    EXPECT_EQ(S_OK, cameraControl->Get(CameraControl_Exposure, &exposure, &flags));
    EXPECT_EQ(-3, exposure);
    Quill::IQuillDevice* device = ActiveDevice(filter);
    ASSERT_NE(nullptr, device);
    GenApi::CFloatPtr exposureNode = device->GetNodeMap()->GetNode("ExposureTimeAbs");
    ASSERT_TRUE(exposureNode.IsValid());
    EXPECT_EQ(125000.0, exposureNode->GetValue());
    // A feature that follows the written one is shown anew at once.
    GenApi::CIntegerPtr rawNode = device->GetNodeMap()->GetNode("ExposureTimeRaw");
    ASSERT_EQ(0, dialog->SetUserLevel(1));
    char raw[32];
    snprintf(raw, sizeof(raw), "%lld", static_cast<long long>(rawNode->GetValue()));
    EXPECT_EQ(raw, view.ValueOf("ExposureTimeRaw"));

    // Above the maximum: the camera's own reason, and its value stays.
    std::string reason;
    try {
        exposureNode->SetValue(5000000.0, true);
    } catch (const GenICam::GenericException& error) {
        reason = error.GetDescription();
    }
    ASSERT_FALSE(reason.empty());
    ASSERT_TRUE(view.Select("ExposureTimeAbs"));
    view.SetEditText("5000000");
    view.ClickApply();
    EXPECT_EQ(reason, view.Text(kIdStatusText));
    EXPECT_EQ("125000", view.Text(kIdValueEdit));
    EXPECT_EQ("125000", view.ValueOf("ExposureTimeAbs"));
    EXPECT_EQ(125000.0, exposureNode->GetValue());

    // Not a number: refused before the camera is asked.
    view.SetEditText("fast");
    view.ClickApply();
    EXPECT_NE("", view.Text(kIdStatusText));
    EXPECT_EQ("125000", view.Text(kIdValueEdit));

    // An integer off its increment (Width steps by 4 from 16).
    ASSERT_TRUE(view.Select("Width"));
    view.SetEditText("333");
    view.ClickApply();
    EXPECT_NE("", view.Text(kIdStatusText));
    EXPECT_EQ("640", view.ValueOf("Width"));
    view.SetEditText("320");
    view.ClickApply();
    EXPECT_EQ("", view.Text(kIdStatusText));
    EXPECT_EQ("320", view.ValueOf("Width"));
    GenApi::CIntegerPtr width = device->GetNodeMap()->GetNode("Width");
    EXPECT_EQ(320, width->GetValue());

    DestroyDialog(dialog);
    cameraControl->Release();
    EXPECT_EQ(0u, filter->Release());
}

TEST_F(DialogTest, EditsEnumerationsAndBooleansAndExecutesCommands) {
    IBaseFilter* filter = CreateSource();
    ASSERT_NE(nullptr, filter);
    IOrelGenICamConfigDialog* dialog = OpenDialog(filter, 1);
    ASSERT_NE(nullptr, dialog);
    DialogView view(dialog->GetWindow());
    Quill::IQuillDevice* device = ActiveDevice(filter);
    ASSERT_NE(nullptr, device);
    GenApi::INodeMap* features = device->GetNodeMap();
    Quill::Emulation::CameraCounters counters;

    // TriggerSoftware is not available until the trigger comes from software:
    // shown so, and a forced click is refused by the dialog itself.
    ASSERT_TRUE(view.Select("TriggerSoftware"));
    EXPECT_EQ("Execute", view.Text(kIdApplyButton));
    EXPECT_FALSE(view.Enabled(kIdApplyButton));
    view.ClickApply();
    EXPECT_NE("", view.Text(kIdStatusText));
    ASSERT_TRUE(Quill::Emulation::GetEmulationControl().GetCounters("P1", counters));
    EXPECT_EQ(0u, counters.triggersAccepted);

    // Enumerations through the combo.
    ASSERT_TRUE(view.Select("TriggerMode"));
    EXPECT_TRUE(IsWindowVisible(view.Control(kIdEnumCombo)));
    EXPECT_FALSE(IsWindowVisible(view.Control(kIdValueEdit)));
    EXPECT_EQ("Off", view.Text(kIdEnumCombo));
    ASSERT_TRUE(view.PickEntry("On"));
    EXPECT_EQ("", view.Text(kIdStatusText));
    EXPECT_EQ("On", view.ValueOf("TriggerMode"));
    EXPECT_EQ("On", GenApi::CEnumerationPtr(features->GetNode("TriggerMode"))->ToString().str());
    ASSERT_TRUE(view.Select("TriggerSource"));
    ASSERT_TRUE(view.PickEntry("Software"));
    EXPECT_EQ("Software", GenApi::CEnumerationPtr(features->GetNode("TriggerSource"))->ToString().str());

    // A boolean through the check box.
    ASSERT_TRUE(view.Select("AcquisitionFrameRateEnable"));
    HWND check = view.Control(kIdBoolCheck);
    EXPECT_TRUE(IsWindowVisible(check));
    EXPECT_EQ(BST_CHECKED, SendMessageW(check, BM_GETCHECK, 0, 0));
    SendMessageW(check, BM_SETCHECK, BST_UNCHECKED, 0);
    view.ClickApply();
    EXPECT_EQ("", view.Text(kIdStatusText));
    EXPECT_EQ("False", view.ValueOf("AcquisitionFrameRateEnable"));
    EXPECT_FALSE(GenApi::CBooleanPtr(features->GetNode("AcquisitionFrameRateEnable"))->GetValue());

    // Commands: the camera acquires, then takes one software trigger.
    ASSERT_TRUE(view.Select("AcquisitionStart"));
    EXPECT_EQ("Execute", view.Text(kIdApplyButton));
    view.ClickApply();
    EXPECT_EQ("", view.Text(kIdStatusText));
    ASSERT_TRUE(view.Select("TriggerSoftware"));
    EXPECT_TRUE(view.Enabled(kIdApplyButton));
    view.ClickApply();
    EXPECT_EQ("", view.Text(kIdStatusText));
    ASSERT_TRUE(Quill::Emulation::GetEmulationControl().GetCounters("P1", counters));
    EXPECT_EQ(1u, counters.triggersAccepted);
    ASSERT_TRUE(view.Select("AcquisitionStop"));
    view.ClickApply();

    DestroyDialog(dialog);
    EXPECT_EQ(0u, filter->Release());
}

TEST_F(DialogTest, ShowsAGainChangedThroughTheVideoProcAmp) {
    IBaseFilter* filter = CreateSource();
    ASSERT_NE(nullptr, filter);
    IAMVideoProcAmp* procAmp = nullptr;
    ASSERT_EQ(S_OK, Query(filter, IID_IAMVideoProcAmp, &procAmp));
    IOrelGenICamConfigDialog* dialog = OpenDialog(filter, 0);
    ASSERT_NE(nullptr, dialog);
    DialogView view(dialog->GetWindow());
    ASSERT_TRUE(view.Select("GainRaw"));
    EXPECT_EQ("0", view.ValueOf("GainRaw"));

    ASSERT_EQ(S_OK, procAmp->Set(VideoProcAmp_Gain, 321, VideoProcAmp_Flags_Manual));
    EXPECT_TRUE(PumpUntil([&] { return view.ValueOf("GainRaw") == "321"; }, 3000)) << view.ValueOf("GainRaw");
    EXPECT_EQ("321", view.Text(kIdValueEdit));

    // Refresh reads at once, without waiting for the timer.
    ASSERT_EQ(S_OK, procAmp->Set(VideoProcAmp_Brightness, 654, VideoProcAmp_Flags_Manual));
    EXPECT_EQ(0, dialog->Refresh());
    EXPECT_EQ("654", view.ValueOf("GainRaw"));

    // A value the user is typing is left alone by the refresh.
    view.SetEditText("77");
    SendMessageW(view.Control(kIdValueEdit), EM_SETMODIFY, TRUE, 0);
    ASSERT_EQ(S_OK, procAmp->Set(VideoProcAmp_Gain, 655, VideoProcAmp_Flags_Manual));
    EXPECT_TRUE(PumpUntil([&] { return view.ValueOf("GainRaw") == "655"; }, 3000));
    EXPECT_EQ("77", view.Text(kIdValueEdit));
    view.ClickApply();
    long gain = 0, flags = 0;
    EXPECT_EQ(S_OK, procAmp->Get(VideoProcAmp_Gain, &gain, &flags));
    EXPECT_EQ(77, gain);

    DestroyDialog(dialog);
    procAmp->Release();
    EXPECT_EQ(0u, filter->Release());
}
