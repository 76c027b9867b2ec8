// A stand-in for OrelGenICamConfig.dll that records every call the page makes
// on it, in order, and can be told to fail at ordinal 1. The tests read the
// record through FakeConfigCalls and reset it with FakeConfigReset.
#include <windows.h>

#include <cstdio>
#include <string>

#include "configdialog/OrelGenICamConfig.h"

namespace {

std::string g_calls;
int32_t g_createResult = 0;
int g_liveDialogs = 0;

void Record(const std::string& call) {
    g_calls += call;
    g_calls += ';';
}

// Names a window by its control id, which is what the tests know it by.
std::string WindowName(HWND window) {
    if (!window) {
        return "null";
    }
    char text[32];
    std::snprintf(text, sizeof(text), "%d", GetDlgCtrlID(window));
    return text;
}

class FakeDialog final : public IOrelGenICamConfigDialog {
  public:
    FakeDialog() { ++g_liveDialogs; }
    ~FakeDialog() {
        if (m_source) {
            // The contract says the dialog holds its source: a page that
            // destroys a dialog with a source set leaves this behind.
            Record("leaked-source");
            reinterpret_cast<IUnknown*>(m_source)->Release();
        }
        --g_liveDialogs;
    }

    int32_t GetInterfaceVersion() override {
        Record("version");
        return kOrelGenICamConfigVersion;
    }
    HWND GetWindow() override {
        Record("window");
        return nullptr;
    }
    int32_t AttachWindow(HWND parent) override {
        Record("attach(" + WindowName(parent) + ")");
        return 0;
    }
    int32_t Refresh() override {
        Record("refresh");
        return 0;
    }
    int32_t SetSource(IKorvelGenICamSource* source) override {
        Record(source ? "source(set)" : "source(null)");
        if (source) {
            reinterpret_cast<IUnknown*>(source)->AddRef();
        }
        if (m_source) {
            reinterpret_cast<IUnknown*>(m_source)->Release();
        }
        m_source = source;
        return 0;
    }
    int32_t SetUserLevel(int32_t level) override {
        Record("setlevel(" + std::to_string(level) + ")");
        if (level < 0 || level > 2) {
            return 1;
        }
        m_level = level;
        return 0;
    }
    int32_t GetUserLevel() override {
        Record("getlevel");
        return m_level;
    }

  private:
    IKorvelGenICamSource* m_source = nullptr;
    // Starts at "Expert", so that the page's user-level combo shows a level
    // that only the dialog can have told it.
    int32_t m_level = 1;
};

}  // namespace

extern "C" {

int32_t WINAPI FakeCreateConfigDialog(IOrelGenICamConfigDialog** dialog) {
    Record("create");
    if (!dialog) {
        return 1;
    }
    *dialog = nullptr;
    if (g_createResult != 0) {
        return g_createResult;
    }
    *dialog = new FakeDialog();
    return 0;
}

void WINAPI FakeDestroyConfigDialog(IOrelGenICamConfigDialog* dialog) {
    Record("destroy");
    delete static_cast<FakeDialog*>(dialog);
}

const char* FakeConfigCalls() {
    return g_calls.c_str();
}

int FakeConfigLiveDialogs() {
    return g_liveDialogs;
}

void FakeConfigReset(int32_t createResult) {
    g_calls.clear();
    g_createResult = createResult;
}

}  // extern "C"
