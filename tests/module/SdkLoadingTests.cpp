// The camera SDK is delay-loaded. Without it the module still loads, and
// creating the filter fails cleanly: E_FAIL, no object, no crash. The probe
// and the module are copied into a folder of their own, where the SDK DLL
// cannot be found; the same probe beside the SDK creates the filter, with
// cameras chosen by a profile file named in QUILL_EMULATION_PROFILE.
#include "ModuleTestSupport.h"

#include <cstdio>

namespace {

std::map<std::string, std::string> CreateFilterIn(const std::wstring& directory,
                                                  const EnvironmentBlock& environment, ChildRun* run) {
    ScratchDirectory results;
    const std::wstring resultFile = results.Path() + L"create.txt";
    *run = RunChild(Quoted(directory + L"korvel_module_probe.exe") + L" create " +
                        Quoted(directory + L"KorvelGenICamSource.ax") + L" " + Quoted(resultFile),
                    &environment, directory);
    return ReadResultFile(resultFile);
}

bool WriteTextFile(const std::wstring& path, const char* text) {
    FILE* file = _wfopen(path.c_str(), L"w");
    if (!file) {
        return false;
    }
    std::fputs(text, file);
    std::fclose(file);
    return true;
}

}  // namespace

TEST(CameraSdkLoading, CreationFailsCleanlyWithoutTheSdk) {
    ScratchDirectory alone;
    ASSERT_TRUE(alone.CopyIn(SourceModulePath(), L"KorvelGenICamSource.ax"));
    ASSERT_TRUE(alone.CopyIn(ProbePath(), L"korvel_module_probe.exe"));
    EnvironmentBlock environment;
    environment.Set(L"PATH", L"C:\\windows\\system32;C:\\windows");
    environment.Remove(L"QUILL_ROOT");
    environment.Remove(L"QUILL_LOCAL_ENVIRONMENT_IS_SETUP");

    ChildRun run;
    auto values = CreateFilterIn(alone.Path(), environment, &run);
    EXPECT_FALSE(run.crashed);
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_EQ("00000000", values["FACTORY"]);
    EXPECT_EQ("80004005", values["CREATE"]);
    EXPECT_EQ("no", values["OBJECT"]);
    // Nothing of the failed filter is left alive.
    EXPECT_EQ("00000000", values["CANUNLOAD"]);
}

TEST(CameraSdkLoading, CamerasFromAProfileFile) {
    ScratchDirectory profiles;
    EnvironmentBlock environment;
    environment.Remove(L"QUILL_ROOT");
    environment.Remove(L"QUILL_LOCAL_ENVIRONMENT_IS_SETUP");

    // The SDK beside the module, with its built-in cameras: a filter.
    environment.Remove(L"QUILL_EMULATION_PROFILE");
    ChildRun run;
    auto values = CreateFilterIn(BinaryDirectory(), environment, &run);
    EXPECT_FALSE(run.crashed);
    EXPECT_EQ("00000000", values["CREATE"]);
    EXPECT_EQ("yes", values["OBJECT"]);
    EXPECT_EQ("0", values["RELEASE"]);
    EXPECT_EQ("00000000", values["CANUNLOAD"]);

    // A transport layer without cameras: E_FAIL and nothing left.
    const std::wstring empty = profiles.Path() + L"empty.ini";
    ASSERT_TRUE(WriteTextFile(empty, "[transport]\nname = Empty\ndevice_class = Empty\n"));
    environment.Set(L"QUILL_EMULATION_PROFILE", empty);
    values = CreateFilterIn(BinaryDirectory(), environment, &run);
    EXPECT_FALSE(run.crashed);
    EXPECT_EQ("80004005", values["CREATE"]);
    EXPECT_EQ("no", values["OBJECT"]);
    EXPECT_EQ("00000000", values["CANUNLOAD"]);
}
