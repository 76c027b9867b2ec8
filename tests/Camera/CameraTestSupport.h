// Shared helpers of the camera layer's tests: emulated camera profiles, a
// configuration callback that records what it is told, and direct SDK access
// for the feature helpers.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "Camera/KorvelCamera.h"
#include "KorvelGenICamSource_h.h"
#include "quill/Quill.h"

namespace CameraTest {

inline Quill::Emulation::IEmulationControl& Emulator() {
    return Quill::Emulation::GetEmulationControl();
}

// Profile text pieces. A camera of the default model is "Korvel KV-M1280
// (<serial>)", 1280 x 960, Mono8 only, unless extra lines say otherwise.
std::string TransportBlock(const std::string& name, const std::string& extraLines = "");
std::string CameraBlock(const std::string& transport, const std::string& serial,
                        const std::string& extraLines = "");
std::wstring FullName(const std::string& serial, const std::string& model = "KV-M1280");

// Polls until the condition holds or the time is up; true when it held.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::milliseconds(10000));

// The node map of the camera object's open device, reached through its device value.
GenApi::INodeMap* OpenDeviceFeatures(CKorvelCamera& camera);

// A device made, opened and destroyed through the SDK, for the feature helpers.
class ScopedDevice {
  public:
    explicit ScopedDevice(const char* serial);
    ~ScopedDevice();
    ScopedDevice(const ScopedDevice&) = delete;
    ScopedDevice& operator=(const ScopedDevice&) = delete;

    Quill::IQuillDevice* get() const { return m_device; }
    GenApi::INodeMap* Features() const { return m_device->GetNodeMap(); }

  private:
    Quill::ITransportLayer* m_layer = nullptr;
    Quill::IQuillDevice* m_device = nullptr;
};

// A configuration callback that records every call as "valid:<value>" or
// "invalid". Hooks run after the record, on the calling thread.
class RecordingCallback : public IKorvelGenICamConfigCallback {
  public:
    RecordingCallback() = default;
    virtual ~RecordingCallback() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE DeviceValid(long device) override;
    HRESULT STDMETHODCALLTYPE DeviceInvalid() override;

    ULONG References() const { return m_references.load(); }
    std::vector<std::string> Calls() const { return m_calls; }
    void ClearCalls() { m_calls.clear(); }
    long LastDevice() const { return m_lastDevice; }

    std::function<void(long)> onValid;
    std::function<void()> onInvalid;

  private:
    std::atomic<ULONG> m_references{1};
    std::vector<std::string> m_calls;
    long m_lastDevice = 0;
};

// An object that offers IUnknown only.
class PlainObject : public IUnknown {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
    ULONG STDMETHODCALLTYPE Release() override { return --m_references; }
    ULONG References() const { return m_references.load(); }

  private:
    std::atomic<ULONG> m_references{1};
};

// Loads a profile before each test (the two default cameras unless a test
// loads its own) and checks afterwards that nothing the test made outlives it:
// camera objects, device values, SDK devices and threads.
class CameraTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    static void LoadProfile(const std::string& text);
    static void Configure(const char* serial, const char* key, const char* value);
    static void ConfigureTransport(const char* name, const char* key, const char* value);
};

}  // namespace CameraTest
