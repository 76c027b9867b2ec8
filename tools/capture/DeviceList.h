// DeviceList: the system's video input devices as the device enumerator
// lists them, and the filter of the one the user picks.
#pragma once

#include <windows.h>
#include <strmif.h>

#include <string>
#include <vector>

#include "tools/capture/ComPtr.h"

struct VideoInputDevice {
    std::string friendlyName;
    std::string devicePath;  // empty when the device gives none
    ComPtr<IMoniker> moniker;
};

class DeviceList {
  public:
    // Lists the devices: S_OK (possibly none), or the enumerator's failure.
    HRESULT Enumerate();

    const std::vector<VideoInputDevice>& Devices() const { return m_devices; }

    // The device whose friendly name equals the text (case-insensitive), or
    // with an all-digit text the device at that index; -1 when none.
    int Find(const std::string& nameOrIndex) const;

    // Creates the filter of device n.
    HRESULT CreateFilter(int index, IBaseFilter** filter) const;

    // One line per device: "  0: Korvel GenICam Source".
    void Print() const;

  private:
    std::vector<VideoInputDevice> m_devices;
};
