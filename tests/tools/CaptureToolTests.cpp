// korvel-capture run as a child process under Wine: argument handling, the
// error paths with their exit codes, and (when the filter is registered) a
// short recording whose AVI headers and snapshot are read back here.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct ChildResult {
    DWORD exitCode = 0xFFFFFFFF;
    std::string output;  // stdout and stderr together
};

std::wstring BinDirectory() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring directory(path, length);
    return directory.substr(0, directory.find_last_of(L"\\/") + 1);
}

std::wstring TempPath(const wchar_t* name) {
    wchar_t directory[MAX_PATH];
    GetTempPathW(MAX_PATH, directory);
    return std::wstring(directory) + name;
}

ChildResult Run(const std::wstring& commandLine, DWORD timeoutMs = 90000) {
    ChildResult result;
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        return result;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process = {};
    std::wstring mutableLine = commandLine;
    const BOOL started = CreateProcessW(nullptr, &mutableLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                        &startup, &process);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return result;
    }
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof(buffer), &got, nullptr) && got > 0) {
        result.output.append(buffer, got);
    }
    CloseHandle(readEnd);
    if (WaitForSingleObject(process.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 99);
    }
    GetExitCodeProcess(process.hProcess, &result.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}

ChildResult RunTool(const std::wstring& arguments) {
    return Run(L"\"" + BinDirectory() + L"korvel-capture.exe\" " + arguments);
}

bool FilterRegistered() {
    static int registered = -1;
    if (registered < 0) {
        const std::wstring module = BinDirectory() + L"KorvelGenICamSource.ax";
        Run(L"regsvr32.exe /s \"" + module + L"\"");
        const ChildResult list = RunTool(L"--list");
        registered = list.exitCode == 0 && list.output.find("Korvel GenICam Source") != std::string::npos;
    }
    return registered == 1;
}

std::vector<uint8_t> ReadAll(const std::wstring& path) {
    std::vector<uint8_t> bytes;
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return bytes;
    }
    LARGE_INTEGER size;
    GetFileSizeEx(file, &size);
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    bytes.resize(got);
    CloseHandle(file);
    return bytes;
}

uint32_t At32(const std::vector<uint8_t>& bytes, size_t offset) {
    uint32_t value = 0;
    if (offset + 4 <= bytes.size()) {
        std::memcpy(&value, &bytes[offset], 4);
    }
    return value;
}

size_t Find(const std::vector<uint8_t>& bytes, const char* tag) {
    for (size_t i = 0; i + 4 <= bytes.size(); ++i) {
        if (std::memcmp(&bytes[i], tag, 4) == 0) {
            return i;
        }
    }
    return std::string::npos;
}

TEST(CaptureTool, HelpPrintsUsageAndSucceeds) {
    const ChildResult result = RunTool(L"--help");
    EXPECT_EQ(0u, result.exitCode);
    EXPECT_NE(std::string::npos, result.output.find("Usage: korvel-capture"));
}

TEST(CaptureTool, BadArgumentsFailWithUsageCode) {
    const wchar_t* cases[] = {L"--bogus",    L"--seconds",     L"--seconds 0", L"--seconds abc",
                              L"--size 640", L"--size 0x480",  L"--fps -3",    L"--snapshot x.jpg",
                              L"--output",   L"--device \"\"", L"--list=yes"};
    for (const wchar_t* arguments : cases) {
        const ChildResult result = RunTool(arguments);
        EXPECT_EQ(2u, result.exitCode)
            << "arguments: " << std::string(arguments, arguments + wcslen(arguments));
        EXPECT_NE(std::string::npos, result.output.find("korvel-capture:")) << result.output;
    }
}

TEST(CaptureTool, UnwritableFileFailsBeforeTouchingTheDevice) {
    const ChildResult result = RunTool(L"--seconds 1 --output \"Z:\\nonexistent-korvel\\dir\\x.avi\"");
    EXPECT_EQ(5u, result.exitCode) << result.output;
    EXPECT_NE(std::string::npos, result.output.find("cannot write the file")) << result.output;
    const ChildResult snapshot = RunTool(L"--seconds 1 --snapshot \"Z:\\nonexistent-korvel\\dir\\x.bmp\"");
    EXPECT_EQ(5u, snapshot.exitCode) << snapshot.output;
}

TEST(CaptureTool, UnknownDeviceFailsWithNoDeviceCode) {
    // With the filter registered the tool has devices to look through, and
    // must name the one it did not find.
    ASSERT_TRUE(FilterRegistered()) << "KorvelGenICamSource.ax could not be registered in this prefix";
    const ChildResult byName = RunTool(L"--device \"No Such Camera\" --seconds 1");
    EXPECT_EQ(3u, byName.exitCode) << byName.output;
    EXPECT_NE(std::string::npos, byName.output.find("No Such Camera")) << byName.output;
    const ChildResult byIndex = RunTool(L"--device 4711 --seconds 1");
    EXPECT_EQ(3u, byIndex.exitCode) << byIndex.output;
}

TEST(CaptureTool, ListsTheRegisteredFilter) {
    ASSERT_TRUE(FilterRegistered()) << "KorvelGenICamSource.ax could not be registered in this prefix";
    const ChildResult result = RunTool(L"--list");
    EXPECT_EQ(0u, result.exitCode);
    EXPECT_NE(std::string::npos, result.output.find("Korvel GenICam Source")) << result.output;
    const ChildResult caps = RunTool(L"--caps");
    EXPECT_EQ(0u, caps.exitCode) << caps.output;
    EXPECT_NE(std::string::npos, caps.output.find("Device capabilities")) << caps.output;
    EXPECT_NE(std::string::npos, caps.output.find("RGB24")) << caps.output;
}

TEST(CaptureTool, RefusedFormatsFailWithFormatCode) {
    ASSERT_TRUE(FilterRegistered()) << "KorvelGenICamSource.ax could not be registered in this prefix";
    const ChildResult unknown = RunTool(L"--format NV21 --seconds 1 --quiet");
    EXPECT_EQ(4u, unknown.exitCode) << unknown.output;
    EXPECT_NE(std::string::npos, unknown.output.find("does not offer NV21")) << unknown.output;
    const ChildResult camera = RunTool(L"--camera-format BayerGR8 --seconds 1 --quiet");
    EXPECT_EQ(4u, camera.exitCode) << camera.output;
    const ChildResult huge = RunTool(L"--size 60000x60000 --seconds 1 --quiet");
    EXPECT_EQ(4u, huge.exitCode) << huge.output;
}

TEST(CaptureTool, RecordsAnAviAndASnapshot) {
    ASSERT_TRUE(FilterRegistered()) << "KorvelGenICamSource.ax could not be registered in this prefix";
    const std::wstring avi = TempPath(L"korvel-capture-test.avi");
    const std::wstring bmp = TempPath(L"korvel-capture-test.bmp");
    DeleteFileW(avi.c_str());
    DeleteFileW(bmp.c_str());
    const ChildResult result = RunTool(
        L"--format RGB24 --size 640x480 --fps 30 --seconds 2 --quiet --preview "
        L"--output \"" +
        avi + L"\" --snapshot \"" + bmp + L"\"");
    ASSERT_EQ(0u, result.exitCode) << result.output;
    EXPECT_NE(std::string::npos, result.output.find("Summary")) << result.output;

    const std::vector<uint8_t> file = ReadAll(avi);
    ASSERT_GT(file.size(), 1024u);
    EXPECT_EQ(0, std::memcmp(file.data(), "RIFF", 4));
    EXPECT_EQ(0, std::memcmp(file.data() + 8, "AVI ", 4));
    EXPECT_EQ(file.size() - 8, At32(file, 4));
    const size_t avih = Find(file, "avih");
    ASSERT_NE(std::string::npos, avih);
    const uint32_t frames = At32(file, avih + 8 + 16);
    EXPECT_GE(frames, 54u);  // 2 s at 30 fps, within 10%
    EXPECT_LE(frames, 66u);
    EXPECT_EQ(640u, At32(file, avih + 8 + 32));
    EXPECT_EQ(480u, At32(file, avih + 8 + 36));
    const size_t strh = Find(file, "strh");
    ASSERT_NE(std::string::npos, strh);
    EXPECT_EQ(0, std::memcmp(&file[strh + 8], "vids", 4));
    EXPECT_EQ(frames, At32(file, strh + 8 + 32));  // dwLength
    const size_t idx1 = Find(file, "idx1");
    ASSERT_NE(std::string::npos, idx1);
    EXPECT_EQ(frames * 16u, At32(file, idx1 + 4));
    EXPECT_EQ(file.size(), idx1 + 8 + frames * 16u);

    const std::vector<uint8_t> picture = ReadAll(bmp);
    ASSERT_GT(picture.size(), 54u);
    EXPECT_EQ('B', picture[0]);
    EXPECT_EQ('M', picture[1]);
    EXPECT_EQ(640u, At32(picture, 18));
    EXPECT_EQ(480u, At32(picture, 22));
    EXPECT_EQ(54u + 640u * 480u * 3u, picture.size());
    DeleteFileW(avi.c_str());
    DeleteFileW(bmp.c_str());
}

}  // namespace
