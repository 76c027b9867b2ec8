// Helpers of the module tests: paths of the build's programs, child
// processes run under a small debugger (so that their OutputDebugString
// lines are seen), environment blocks, scratch directories and the registry.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// The folder of the test executable, with a trailing backslash; the build
// puts the module, the SDK and the probe there.
std::wstring BinaryDirectory();
std::wstring SourceModulePath();  // KorvelGenICamSource.ax
std::wstring ProbePath();         // korvel_module_probe.exe

// What a child process did.
struct ChildRun {
    bool started = false;
    DWORD exitCode = ~0u;
    // An exception nobody in the child handled.
    bool crashed = false;
    // Every OutputDebugString text, in order.
    std::vector<std::string> debugOutput;

    // All debug output joined.
    std::string DebugText() const;
};

// The variables of this process, by name; changed and handed to a child.
class EnvironmentBlock {
  public:
    EnvironmentBlock();  // a copy of this process's environment
    void Set(const std::wstring& name, const std::wstring& value);
    void Remove(const std::wstring& name);
    // The block CreateProcessW takes with CREATE_UNICODE_ENVIRONMENT.
    std::wstring Block() const;

  private:
    struct NoCase {
        bool operator()(const std::wstring& a, const std::wstring& b) const {
            return _wcsicmp(a.c_str(), b.c_str()) < 0;
        }
    };
    std::map<std::wstring, std::wstring, NoCase> m_variables;
};

// Runs commandLine to its end as a debuggee. environment NULL inherits ours.
ChildRun RunChild(const std::wstring& commandLine, const EnvironmentBlock* environment = nullptr,
                  const std::wstring& workingDirectory = std::wstring());

// A fresh folder under the temporary folder, removed with its files.
class ScratchDirectory {
  public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::wstring& Path() const { return m_path; }  // with a trailing backslash
    // Copies a file of the build into the folder under newName.
    bool CopyIn(const std::wstring& source, const std::wstring& newName);

  private:
    std::wstring m_path;
};

// The "key=value" lines a probe wrote.
std::map<std::string, std::string> ReadResultFile(const std::wstring& path);

// Quoted for a command line.
std::wstring Quoted(const std::wstring& text);

// Registry, under HKEY_CLASSES_ROOT.
std::wstring GuidText(REFGUID guid);
bool KeyExists(const std::wstring& key);
// The string value, or "<missing>".
std::wstring ReadString(const std::wstring& key, const WCHAR* value);

// COM on the calling thread for the lifetime of a test.
class ComTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

  private:
    bool m_initialised = false;
};
