#include "tools/capture/DeviceList.h"

#include <dshow.h>
#include <uuids.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "tools/capture/VideoFormatNames.h"

namespace {

std::string ReadBagString(IPropertyBag* bag, const wchar_t* name) {
    VARIANT value;
    VariantInit(&value);
    std::string text;
    if (SUCCEEDED(bag->Read(name, &value, nullptr)) && value.vt == VT_BSTR) {
        text = Narrow(value.bstrVal);
    }
    VariantClear(&value);
    return text;
}

std::string Lower(const std::string& text) {
    std::string result = text;
    for (char& c : result) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return result;
}

}  // namespace

HRESULT DeviceList::Enumerate() {
    m_devices.clear();
    ComPtr<ICreateDevEnum> deviceEnumerator;
    HRESULT hr = CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                                  deviceEnumerator.ReceiveVoid());
    if (FAILED(hr)) {
        return hr;
    }
    ComPtr<IEnumMoniker> monikers;
    hr = deviceEnumerator->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, monikers.Receive(), 0);
    if (FAILED(hr)) {
        return hr;
    }
    if (hr == S_FALSE || !monikers) {
        return S_OK;  // the category is empty
    }
    for (;;) {
        ComPtr<IMoniker> moniker;
        ULONG fetched = 0;
        hr = monikers->Next(1, moniker.Receive(), &fetched);
        if (hr != S_OK || fetched != 1) {
            break;
        }
        VideoInputDevice device;
        ComPtr<IPropertyBag> bag;
        if (SUCCEEDED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.ReceiveVoid()))) {
            device.friendlyName = ReadBagString(bag.Get(), L"FriendlyName");
            device.devicePath = ReadBagString(bag.Get(), L"DevicePath");
        }
        if (device.friendlyName.empty()) {
            device.friendlyName = "(unnamed device)";
        }
        device.moniker = moniker;
        m_devices.push_back(device);
    }
    return S_OK;
}

int DeviceList::Find(const std::string& nameOrIndex) const {
    bool digits = !nameOrIndex.empty();
    for (char c : nameOrIndex) {
        digits = digits && std::isdigit(static_cast<unsigned char>(c));
    }
    if (digits) {
        const long index = std::strtol(nameOrIndex.c_str(), nullptr, 10);
        return index >= 0 && index < static_cast<long>(m_devices.size()) ? static_cast<int>(index) : -1;
    }
    const std::string wanted = Lower(nameOrIndex);
    for (size_t i = 0; i < m_devices.size(); ++i) {
        if (Lower(m_devices[i].friendlyName) == wanted) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

HRESULT DeviceList::CreateFilter(int index, IBaseFilter** filter) const {
    if (!filter) {
        return E_POINTER;
    }
    *filter = nullptr;
    if (index < 0 || index >= static_cast<int>(m_devices.size())) {
        return E_INVALIDARG;
    }
    return m_devices[static_cast<size_t>(index)].moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter,
                                                                       reinterpret_cast<void**>(filter));
}

void DeviceList::Print() const {
    if (m_devices.empty()) {
        std::printf("No video input device found.\n");
        return;
    }
    std::printf("Video input devices:\n");
    for (size_t i = 0; i < m_devices.size(); ++i) {
        std::printf("  %u: %s\n", static_cast<unsigned>(i), m_devices[i].friendlyName.c_str());
    }
}
