// Helpers of the control tests: two emulated cameras, the filter created
// through COM, a configuration callback that counts what it is told, and the
// camera's features read back through the SDK once the filter has let go.
#pragma once

#include <windows.h>
#include <dshow.h>

#include <atomic>
#include <string>

#include "KorvelGenICamSource_h.h"
#include "PinTestSupport.h"

// Two monochrome cameras, serials P1 and P2, 640 x 480 at 30 frames per
// second, exposure 10000 microseconds within 20 .. 1000000, gain 0 .. 1000.
std::string TwoCameraProfile();

// A configuration callback of the tests' own: counts DeviceValid and
// DeviceInvalid and keeps the last device value.
class CountingCallback : public IKorvelGenICamConfigCallback {
  public:
    CountingCallback() = default;
    virtual ~CountingCallback() = default;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP DeviceValid(LONG Device) override;
    STDMETHODIMP DeviceInvalid() override;

    int ValidCount() const { return m_valid; }
    int InvalidCount() const { return m_invalid; }
    LONG LastDevice() const { return m_device; }

  private:
    std::atomic<ULONG> m_refs{1};
    std::atomic<int> m_valid{0};
    std::atomic<int> m_invalid{0};
    std::atomic<LONG> m_device{0};
};

class ControlTest : public PinTest {
  protected:
    void SetUp() override;

    // The filter's camera ID of the camera with this serial ("" when none).
    static std::wstring CameraIdOf(IBaseFilter* filter, const char* serial);
    // A feature of a camera read through the SDK; the camera must not be
    // open in the filter.
    static double ExposureOf(const char* serial);
    static int64_t GainOf(const char* serial);
};
