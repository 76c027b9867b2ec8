#include "ModuleTestSupport.h"

#include <objbase.h>

#include <cstdio>

std::wstring BinaryDirectory() {
    WCHAR path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring directory(path, length);
    const size_t slash = directory.find_last_of(L"\\/");
    directory.resize(slash == std::wstring::npos ? 0 : slash + 1);
    return directory;
}

std::wstring SourceModulePath() {
    return BinaryDirectory() + L"KorvelGenICamSource.ax";
}

std::wstring ProbePath() {
    return BinaryDirectory() + L"korvel_module_probe.exe";
}

std::string ChildRun::DebugText() const {
    std::string text;
    for (const std::string& line : debugOutput) {
        text += line;
    }
    return text;
}

EnvironmentBlock::EnvironmentBlock() {
    WCHAR* strings = GetEnvironmentStringsW();
    for (const WCHAR* entry = strings; entry && *entry; entry += wcslen(entry) + 1) {
        // Entries such as "=C:=C:\" belong to the drive's current folder.
        const WCHAR* equals = wcschr(entry + 1, L'=');
        if (equals) {
            m_variables[std::wstring(entry, equals)] = equals + 1;
        }
    }
    FreeEnvironmentStringsW(strings);
}

void EnvironmentBlock::Set(const std::wstring& name, const std::wstring& value) {
    m_variables[name] = value;
}

void EnvironmentBlock::Remove(const std::wstring& name) {
    m_variables.erase(name);
}

std::wstring EnvironmentBlock::Block() const {
    std::wstring block;
    for (const auto& variable : m_variables) {
        block += variable.first + L"=" + variable.second;
        block.push_back(L'\0');
    }
    block.push_back(L'\0');
    return block;
}

namespace {

std::string ReadDebugString(HANDLE process, const OUTPUT_DEBUG_STRING_INFO& info) {
    if (info.fUnicode || info.nDebugStringLength == 0) {
        return std::string();
    }
    std::string text(info.nDebugStringLength, '\0');
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, info.lpDebugStringData, &text[0], text.size(), &read)) {
        return std::string();
    }
    text.resize(read);
    // The length counts the terminator.
    while (!text.empty() && text.back() == '\0') {
        text.pop_back();
    }
    return text;
}

}  // namespace

ChildRun RunChild(const std::wstring& commandLine, const EnvironmentBlock* environment,
                  const std::wstring& workingDirectory) {
    ChildRun run;
    std::wstring command = commandLine;
    std::wstring block = environment ? environment->Block() : std::wstring();
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE,
                        DEBUG_ONLY_THIS_PROCESS | CREATE_UNICODE_ENVIRONMENT,
                        environment ? &block[0] : nullptr,
                        workingDirectory.empty() ? nullptr : workingDirectory.c_str(), &startup, &process)) {
        ADD_FAILURE() << "cannot start the child process, error " << GetLastError();
        return run;
    }
    run.started = true;

    for (bool ended = false; !ended;) {
        DEBUG_EVENT event = {};
        if (!WaitForDebugEvent(&event, INFINITE)) {
            ADD_FAILURE() << "lost the child process, error " << GetLastError();
            break;
        }
        DWORD continueStatus = DBG_CONTINUE;
        switch (event.dwDebugEventCode) {
            case OUTPUT_DEBUG_STRING_EVENT:
                run.debugOutput.push_back(ReadDebugString(process.hProcess, event.u.DebugString));
                break;
            case EXCEPTION_DEBUG_EVENT: {
                const EXCEPTION_RECORD& record = event.u.Exception.ExceptionRecord;
                // The loader's breakpoint is ours to swallow; every other
                // exception goes back to the child's own handlers first.
                if (record.ExceptionCode != EXCEPTION_BREAKPOINT) {
                    continueStatus = DBG_EXCEPTION_NOT_HANDLED;
                    if (!event.u.Exception.dwFirstChance) {
                        run.crashed = true;
                    }
                }
                break;
            }
            case CREATE_PROCESS_DEBUG_EVENT:
                if (event.u.CreateProcessInfo.hFile) {
                    CloseHandle(event.u.CreateProcessInfo.hFile);
                }
                break;
            case LOAD_DLL_DEBUG_EVENT:
                if (event.u.LoadDll.hFile) {
                    CloseHandle(event.u.LoadDll.hFile);
                }
                break;
            case EXIT_PROCESS_DEBUG_EVENT:
                ended = true;
                break;
            default:
                break;
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, continueStatus);
    }

    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return run;
}

ScratchDirectory::ScratchDirectory() {
    WCHAR temp[MAX_PATH];
    const DWORD length = GetTempPathW(MAX_PATH, temp);
    std::wstring base(temp, length);
    if (!base.empty() && base.back() != L'\\') {
        base.push_back(L'\\');
    }
    for (unsigned attempt = 0; attempt < 1000; ++attempt) {
        WCHAR name[64];
        swprintf(name, 64, L"korvel-module-%lu-%u\\", GetCurrentProcessId(), attempt);
        if (CreateDirectoryW((base + name).c_str(), nullptr)) {
            m_path = base + name;
            return;
        }
    }
    ADD_FAILURE() << "cannot make a scratch folder";
}

ScratchDirectory::~ScratchDirectory() {
    if (m_path.empty()) {
        return;
    }
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((m_path + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                DeleteFileW((m_path + found.cFileName).c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(m_path.c_str());
}

bool ScratchDirectory::CopyIn(const std::wstring& source, const std::wstring& newName) {
    return CopyFileW(source.c_str(), (m_path + newName).c_str(), FALSE) != FALSE;
}

std::map<std::string, std::string> ReadResultFile(const std::wstring& path) {
    std::map<std::string, std::string> values;
    FILE* file = _wfopen(path.c_str(), L"r");
    if (!file) {
        return values;
    }
    char line[40000];
    while (std::fgets(line, sizeof(line), file)) {
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
            text.pop_back();
        }
        const size_t equals = text.find('=');
        if (equals != std::string::npos) {
            values[text.substr(0, equals)] = text.substr(equals + 1);
        }
    }
    std::fclose(file);
    return values;
}

std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

std::wstring GuidText(REFGUID guid) {
    WCHAR text[40];
    StringFromGUID2(guid, text, 40);
    return text;
}

bool KeyExists(const std::wstring& key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(handle);
    return true;
}

std::wstring ReadString(const std::wstring& key, const WCHAR* value) {
    WCHAR text[MAX_PATH * 2];
    DWORD bytes = sizeof(text);
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), value, RRF_RT_REG_SZ, nullptr, text, &bytes) !=
        ERROR_SUCCESS) {
        return L"<missing>";
    }
    return text;
}

void ComTest::SetUp() {
    const HRESULT hr = CoInitialize(nullptr);
    ASSERT_TRUE(SUCCEEDED(hr)) << std::hex << hr;
    m_initialised = true;
}

void ComTest::TearDown() {
    if (m_initialised) {
        CoUninitialize();
    }
}
