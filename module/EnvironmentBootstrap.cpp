#include "module/EnvironmentBootstrap.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <initializer_list>

namespace Bootstrap {
namespace {

// The largest environment value Windows keeps, terminator included.
constexpr DWORD kValueCapacity = 32767;

const char kGenICamMarker[] = "GENICAM_LOCAL_ENVIRONMENT_IS_SETUP";
const char kGenICamRootSource[] = "QUILL_GENICAM_ROOT";
const char kGenICamRoot[] = "GENICAM_ROOT_V2_0";
const char kGenICamCache[] = "GENICAM_CACHE_V2_0";
const char kQuillMarker[] = "QUILL_LOCAL_ENVIRONMENT_IS_SETUP";
const char kQuillRoot[] = "QUILL_ROOT";

const char kGenICamBinaries[] = "\\bin\\Win64_x64";
const char kQuillBinaries[] = "\\bin\\x64";
const char kCacheFolder[] = "\\genicam\\xml\\cache";

// The steps run on the loader's thread while the module initialises, before
// any other code of the module can run, so they share these buffers without
// a lock (and spare the loading thread's stack about 100 KB).
char g_value[kValueCapacity];
char g_path[kValueCapacity];
char g_cache[MAX_PATH + sizeof(kCacheFolder)];

// A trace line, sent piece by piece, only while Scroll Lock is on (or held).
void Trace(std::initializer_list<const char*> pieces) {
    if (GetKeyState(VK_SCROLL) == 0) {
        return;
    }
    for (const char* piece : pieces) {
        OutputDebugStringA(piece);
    }
}

// True when the variable holds a non-empty value. The value is read into
// g_value; one that does not fit (Windows keeps none that long) counts as
// present but leaves g_value empty.
bool ReadVariable(const char* name) {
    g_value[0] = '\0';
    const DWORD length = GetEnvironmentVariableA(name, g_value, kValueCapacity);
    if (length >= kValueCapacity) {
        g_value[0] = '\0';
    }
    return length != 0;
}

bool WriteMarker(const char* name, bool success) {
    const char* value = success ? "YES" : "MAYBE";
    const BOOL written = SetEnvironmentVariableA(name, value);
    Trace({"set ", name, "=", value, "\n"});
    return written != FALSE;
}

// Appends text at *length, cutting it where the buffer ends.
void AppendCut(char* buffer, DWORD capacity, DWORD* length, const char* text) {
    while (*text != '\0' && *length < capacity - 1) {
        buffer[(*length)++] = *text++;
    }
    buffer[*length] = '\0';
}

}  // namespace

bool PrependToPath(const char* root, const char* suffix) {
    DWORD length = 0;
    AppendCut(g_path, kValueCapacity, &length, root);
    AppendCut(g_path, kValueCapacity, &length, suffix);
    // The ";" needs a place of its own and room after it for at least the
    // terminator; a root that long is no directory anyway.
    if (length + 1 >= kValueCapacity) {
        return false;
    }
    g_path[length++] = ';';
    g_path[length] = '\0';

    char* const rest = g_path + length;
    const DWORD restCapacity = kValueCapacity - length;
    const DWORD oldLength = GetEnvironmentVariableA("PATH", rest, restCapacity);
    if (oldLength >= restCapacity) {
        // The old PATH does not fit behind the new directory: keep it as it is.
        return false;
    }
    if (oldLength == 0) {
        // No PATH at all (or an empty one): the directory alone.
        rest[0] = '\0';
    }
    const bool success = SetEnvironmentVariableA("PATH", g_path) != FALSE;
    Trace({"set PATH=", g_path, "\n"});
    return success;
}

void SetUpGenICamEnvironment() {
    if (ReadVariable(kGenICamMarker)) {
        return;
    }
    if (!ReadVariable(kGenICamRootSource)) {
        Trace({"Environment variable ", kGenICamRootSource, "is not set. Skipping GenICam bootstrapping.\n"});
        return;
    }
    // g_value holds the root from here on; nothing below reads into it.
    const char* const root = g_value;

    const bool rootSet = SetEnvironmentVariableA(kGenICamRoot, root) != FALSE;
    Trace({"set ", kGenICamRoot, "=", root, "\n"});

    const bool pathSet = PrependToPath(root, kGenICamBinaries);

    bool cacheSet = false;
    if (SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, g_cache))) {
        std::strcat(g_cache, kCacheFolder);
        cacheSet = SetEnvironmentVariableA(kGenICamCache, g_cache) != FALSE;
        Trace({"set ", kGenICamCache, "=", g_cache, "\n"});
    }

    WriteMarker(kGenICamMarker, rootSet && pathSet && cacheSet);
}

void SetUpQuillEnvironment() {
    if (ReadVariable(kQuillMarker)) {
        return;
    }
    if (!ReadVariable(kQuillRoot)) {
        Trace({"Environment variable ", kQuillRoot, "is not set. Skipping quill bootstrapping.\n"});
        return;
    }
    WriteMarker(kQuillMarker, PrependToPath(g_value, kQuillBinaries));
}

}  // namespace Bootstrap
