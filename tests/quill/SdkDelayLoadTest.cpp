// The camera SDK loaded the way the filter module loads it: through the
// delay-load import library, on the first call, with a missing DLL answered by
// an exception instead of a crash.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "quill/Quill.h"

namespace {

const wchar_t kSdkDll[] = L"QuillBase_MD_VC80.dll";
const char kChildVariable[] = "KORVEL_SDK_CHILD";

std::wstring ModulePath() {
    std::vector<wchar_t> path(32768);
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    return std::wstring(path.data(), length);
}

bool IsChild() { return GetEnvironmentVariableA(kChildVariable, nullptr, 0) != 0; }

// Runs this test executable, copied alone into an empty folder, with one test
// selected; returns its exit code.
DWORD RunAloneInEmptyFolder(const std::wstring& filter) {
    wchar_t tempPath[MAX_PATH];
    EXPECT_NE(GetTempPathW(MAX_PATH, tempPath), 0u);
    const std::wstring folder = std::wstring(tempPath) + L"korvel-sdk-missing-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring copy = folder + L"\\sdk_alone.exe";
    EXPECT_TRUE(CopyFileW(ModulePath().c_str(), copy.c_str(), FALSE));

    std::wstring command = L"\"" + copy + L"\" --gtest_filter=" + filter;
    SetEnvironmentVariableA(kChildVariable, "1");
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    const BOOL started = CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                                        folder.c_str(), &startup, &process);
    SetEnvironmentVariableA(kChildVariable, nullptr);
    EXPECT_TRUE(started);
    DWORD exitCode = 0xFFFFFFFF;
    if (started) {
        EXPECT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
        GetExitCodeProcess(process.hProcess, &exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    DeleteFileW(copy.c_str());
    RemoveDirectoryW(folder.c_str());
    return exitCode;
}

}  // namespace

TEST(SdkDelayLoad, LoadsOnFirstCallAndWorksAcrossTheModuleBoundary) {
    if (IsChild()) {
        GTEST_SKIP() << "runs in the parent only";
    }
    // Nothing of this executable has called into the SDK yet.
    ASSERT_EQ(GetModuleHandleW(kSdkDll), nullptr);

    Quill::CTlFactory& factory = Quill::CTlFactory::GetInstance();
    EXPECT_NE(GetModuleHandleW(kSdkDll), nullptr);

    Quill::TlInfoList layers;
    ASSERT_GE(factory.EnumerateTls(layers), 1);
    int cameras = 0;
    for (const Quill::CTlInfo& layerInfo : layers) {
        Quill::ITransportLayer* layer = factory.CreateTl(layerInfo);
        ASSERT_NE(layer, nullptr);
        Quill::DeviceInfoList devices;
        cameras += layer->EnumerateDevices(devices);
        if (!devices.empty()) {
            Quill::IQuillDevice* device = layer->CreateDevice(devices[0]);
            ASSERT_NE(device, nullptr);
            device->Open(Quill::Stream + Quill::Control + Quill::Event);
            GenApi::INodeMap* nodeMap = device->GetNodeMap();
            ASSERT_NE(nodeMap, nullptr);

            // Cross-casts between interfaces of a node made inside the DLL.
            GenApi::CIntegerPtr width(nodeMap->GetNode("Width"));
            ASSERT_TRUE(width.IsValid());
            GenApi::CFloatPtr notAFloat(nodeMap->GetNode("Width"));
            EXPECT_FALSE(notAFloat.IsValid());
            try {
                notAFloat->GetValue();
                ADD_FAILURE() << "a null pointer was dereferenced";
            } catch (const GenICam::LogicalErrorException& error) {
                EXPECT_NE(std::string(error.GetDescription()).find("NULL pointer dereferenced"),
                          std::string::npos);
            }

            // An exception thrown inside the DLL is caught here by its type.
            bool refused = false;
            try {
                width->SetValue(width->GetMax() + width->GetInc());
            } catch (const GenICam::OutOfRangeException&) {
                refused = true;
            } catch (const GenICam::GenericException&) {
                refused = true;
            }
            EXPECT_TRUE(refused);
            device->Close();
            layer->DestroyDevice(device);
        }
        factory.ReleaseTl(layer);
    }
    EXPECT_GE(cameras, 2);
}

TEST(SdkDelayLoad, MissingSdkIsReportedAsAnException) {
    if (IsChild()) {
        // Alone in a folder without the DLL: the first call must throw, not crash.
        EXPECT_THROW(Quill::CTlFactory::GetInstance(), GenICam::RuntimeException);
        try {
            Quill::CTlFactory::GetInstance();
        } catch (const GenICam::GenericException& error) {
            EXPECT_NE(std::string(error.GetDescription()).find("QuillBase_MD_VC80.dll"), std::string::npos);
        }
        return;
    }
    EXPECT_EQ(RunAloneInEmptyFolder(L"SdkDelayLoad.MissingSdkIsReportedAsAnException"), 0u);
}
