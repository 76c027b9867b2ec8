// The environment bootstrap at load time. The environment is the process's,
// so every case loads the module into a fresh probe process whose environment
// the case prepares, and reads back what the process saw after the load. The
// probe runs under a small debugger, which collects the trace lines.
#include "ModuleTestSupport.h"

#include <shlobj.h>

namespace {

const WCHAR* const kBootstrapVariables[] = {
    L"QUILL_ROOT",
    L"QUILL_GENICAM_ROOT",
    L"QUILL_LOCAL_ENVIRONMENT_IS_SETUP",
    L"GENICAM_LOCAL_ENVIRONMENT_IS_SETUP",
    L"GENICAM_ROOT_V2_0",
    L"GENICAM_CACHE_V2_0",
};

// What one load of the module left behind.
struct LoadResult {
    ChildRun run;
    std::map<std::string, std::string> variables;

    const std::string& operator[](const char* name) { return variables[name]; }
};

class EnvironmentBootstrap : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const WCHAR* name : kBootstrapVariables) {
            m_environment.Remove(name);
        }
        m_environment.Set(L"PATH", L"C:\\W");
    }

    LoadResult Load(bool scrollLock = false) {
        ScratchDirectory scratch;
        const std::wstring resultFile = scratch.Path() + L"environment.txt";
        LoadResult result;
        result.run = RunChild(Quoted(ProbePath()) + L" environment " + Quoted(SourceModulePath()) + L" " +
                                  Quoted(resultFile) + (scrollLock ? L" scroll-lock" : L""),
                              &m_environment);
        EXPECT_FALSE(result.run.crashed);
        EXPECT_EQ(0u, result.run.exitCode);
        result.variables = ReadResultFile(resultFile);
        EXPECT_EQ("00000000", result.variables["LOAD"]);
        EXPECT_EQ(scrollLock ? "on" : "off", result.variables["SCROLL"]);
        return result;
    }

    // The common application data folder followed by the cache's suffix.
    static std::string ExpectedCache() {
        char folder[MAX_PATH];
        EXPECT_EQ(S_OK, SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder));
        return std::string(folder) + "\\genicam\\xml\\cache";
    }

    EnvironmentBlock m_environment;
};

}  // namespace

TEST_F(EnvironmentBootstrap, SdkRootGoesInFrontOfPath) {
    m_environment.Set(L"QUILL_ROOT", L"C:\\Q");
    LoadResult result = Load();
    EXPECT_EQ("C:\\Q\\bin\\x64;C:\\W", result["PATH"]);
    EXPECT_EQ("YES", result["QUILL_LOCAL_ENVIRONMENT_IS_SETUP"]);
    // No GenICam root: that step is skipped and leaves no marker, so that a
    // later load tries again.
    EXPECT_EQ("<unset>", result["GENICAM_LOCAL_ENVIRONMENT_IS_SETUP"]);
    EXPECT_EQ("<unset>", result["GENICAM_ROOT_V2_0"]);
    EXPECT_EQ("<unset>", result["GENICAM_CACHE_V2_0"]);
}

TEST_F(EnvironmentBootstrap, BothStepsWithTheSdkFirstInPath) {
    m_environment.Set(L"QUILL_ROOT", L"C:\\Q");
    m_environment.Set(L"QUILL_GENICAM_ROOT", L"C:\\G");
    LoadResult result = Load();
    EXPECT_EQ("C:\\Q\\bin\\x64;C:\\G\\bin\\Win64_x64;C:\\W", result["PATH"]);
    EXPECT_EQ("C:\\G", result["GENICAM_ROOT_V2_0"]);
    EXPECT_EQ(ExpectedCache(), result["GENICAM_CACHE_V2_0"]);
    EXPECT_EQ("YES", result["GENICAM_LOCAL_ENVIRONMENT_IS_SETUP"]);
    EXPECT_EQ("YES", result["QUILL_LOCAL_ENVIRONMENT_IS_SETUP"]);
}

TEST_F(EnvironmentBootstrap, MarkersMakeTheStepsSkip) {
    m_environment.Set(L"QUILL_ROOT", L"C:\\Q");
    m_environment.Set(L"QUILL_GENICAM_ROOT", L"C:\\G");
    m_environment.Set(L"GENICAM_LOCAL_ENVIRONMENT_IS_SETUP", L"anything");
    LoadResult result = Load();
    // The GenICam step changes nothing; the SDK step still runs.
    EXPECT_EQ("anything", result["GENICAM_LOCAL_ENVIRONMENT_IS_SETUP"]);
    EXPECT_EQ("<unset>", result["GENICAM_ROOT_V2_0"]);
    EXPECT_EQ("<unset>", result["GENICAM_CACHE_V2_0"]);
    EXPECT_EQ("C:\\Q\\bin\\x64;C:\\W", result["PATH"]);

    // A process that inherited both markers (a child of one that loaded the
    // module) changes nothing at all.
    m_environment.Set(L"QUILL_LOCAL_ENVIRONMENT_IS_SETUP", L"MAYBE");
    result = Load();
    EXPECT_EQ("C:\\W", result["PATH"]);
    EXPECT_EQ("MAYBE", result["QUILL_LOCAL_ENVIRONMENT_IS_SETUP"]);
}

TEST_F(EnvironmentBootstrap, MissingPathIsMadeFromTheRootAlone) {
    m_environment.Remove(L"PATH");
    m_environment.Set(L"QUILL_ROOT", L"C:\\Q");
    LoadResult result = Load();
    EXPECT_EQ("C:\\Q\\bin\\x64;", result["PATH"]);
    EXPECT_EQ("YES", result["QUILL_LOCAL_ENVIRONMENT_IS_SETUP"]);
}

TEST_F(EnvironmentBootstrap, MissingRootsLeaveEverythingAsItWas) {
    LoadResult result = Load();
    EXPECT_EQ("C:\\W", result["PATH"]);
    EXPECT_EQ("<unset>", result["QUILL_LOCAL_ENVIRONMENT_IS_SETUP"]);
    EXPECT_EQ("<unset>", result["GENICAM_LOCAL_ENVIRONMENT_IS_SETUP"]);
}

TEST_F(EnvironmentBootstrap, PathThatDoesNotFitStaysAndTheMarkerSaysMaybe) {
    // PATH and the new directory together exceed what an environment value
    // can hold: PATH is left alone. (Compared by hand: a failure message
    // would print 32 KB.)
    const std::string longPath(32700, 'p');
    m_environment.Set(L"PATH", std::wstring(longPath.begin(), longPath.end()));
    m_environment.Set(L"QUILL_ROOT", L"C:\\" + std::wstring(100, L'q'));
    LoadResult result = Load();
    EXPECT_TRUE(longPath == result["PATH"]) << result["PATH"].size() << " characters";
    EXPECT_EQ("MAYBE", result["QUILL_LOCAL_ENVIRONMENT_IS_SETUP"]);

    // The GenICam step fails on PATH alone; its other variables are set.
    m_environment.Remove(L"QUILL_ROOT");
    m_environment.Set(L"QUILL_GENICAM_ROOT", L"C:\\" + std::wstring(100, L'g'));
    result = Load();
    EXPECT_TRUE(longPath == result["PATH"]) << result["PATH"].size() << " characters";
    EXPECT_EQ("MAYBE", result["GENICAM_LOCAL_ENVIRONMENT_IS_SETUP"]);
    EXPECT_EQ("C:\\" + std::string(100, 'g'), result["GENICAM_ROOT_V2_0"]);
    EXPECT_EQ(ExpectedCache(), result["GENICAM_CACHE_V2_0"]);
}

TEST_F(EnvironmentBootstrap, TracesOnlyWhileScrollLockIsOn) {
    m_environment.Set(L"QUILL_ROOT", L"C:\\Q");
    m_environment.Set(L"QUILL_GENICAM_ROOT", L"C:\\G");
    LoadResult quiet = Load(false);
    EXPECT_EQ("", quiet.run.DebugText());

    LoadResult traced = Load(true);
    const std::string cacheLine = "set GENICAM_CACHE_V2_0=" + ExpectedCache() + "\n";
    const std::string genICamLines =
        "set GENICAM_ROOT_V2_0=C:\\G\n"
        "set PATH=C:\\G\\bin\\Win64_x64;C:\\W\n" +
        cacheLine + "set GENICAM_LOCAL_ENVIRONMENT_IS_SETUP=YES\n";
    const std::string sdkLines =
        "set PATH=C:\\Q\\bin\\x64;C:\\G\\bin\\Win64_x64;C:\\W\n"
        "set QUILL_LOCAL_ENVIRONMENT_IS_SETUP=YES\n";
    EXPECT_EQ(genICamLines + sdkLines, traced.run.DebugText());
    // Each line goes out in pieces, the variable's name apart from its value.
    EXPECT_EQ("set ", traced.run.debugOutput.front());
}

TEST_F(EnvironmentBootstrap, TracesTheSkippedSteps) {
    LoadResult traced = Load(true);
    EXPECT_EQ(
        "Environment variable QUILL_GENICAM_ROOTis not set. Skipping GenICam bootstrapping.\n"
        "Environment variable QUILL_ROOTis not set. Skipping quill bootstrapping.\n",
        traced.run.DebugText());
}
