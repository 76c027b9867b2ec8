#include "CameraTestSupport.h"

#include <thread>

#include "Camera/DeviceHandleTable.h"

namespace CameraTest {

std::string TransportBlock(const std::string& name, const std::string& extraLines) {
    return "[transport]\nname = " + name + "\n" + extraLines + "\n";
}

std::string CameraBlock(const std::string& transport, const std::string& serial,
                        const std::string& extraLines) {
    return "[camera]\ntransport = " + transport + "\nserial = " + serial + "\n" + extraLines + "\n";
}

std::wstring FullName(const std::string& serial, const std::string& model) {
    const std::string name = "Korvel " + model + " (" + serial + ")";
    return std::wstring(name.begin(), name.end());
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

GenApi::INodeMap* OpenDeviceFeatures(CKorvelCamera& camera) {
    long value = 0;
    if (camera.GetDeviceValue(&value) != S_OK) {
        return nullptr;
    }
    Quill::IQuillDevice* device = nullptr;
    if (ResolveDeviceValue(value, &device) != S_OK) {
        return nullptr;
    }
    return device->GetNodeMap();
}

ScopedDevice::ScopedDevice(const char* serial) {
    Quill::CTlFactory& factory = Quill::CTlFactory::GetInstance();
    Quill::TlInfoList layers;
    factory.EnumerateTls(layers);
    for (const Quill::CTlInfo& info : layers) {
        Quill::ITransportLayer* layer = factory.CreateTl(info);
        if (layer == nullptr) {
            continue;
        }
        Quill::DeviceInfoList devices;
        layer->EnumerateDevices(devices);
        for (const Quill::CDeviceInfo& device : devices) {
            if (device.GetSerialNumber() == serial) {
                m_layer = layer;
                m_device = layer->CreateDevice(device);
                m_device->Open(Quill::Stream + Quill::Control + Quill::Event);
                return;
            }
        }
    }
    throw std::runtime_error(std::string("no emulated camera ") + serial);
}

ScopedDevice::~ScopedDevice() {
    if (m_device != nullptr) {
        m_layer->DestroyDevice(m_device);
    }
}

HRESULT RecordingCallback::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, __uuidof(IKorvelGenICamConfigCallback))) {
        *object = static_cast<IKorvelGenICamConfigCallback*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG RecordingCallback::AddRef() {
    return ++m_references;
}

ULONG RecordingCallback::Release() {
    const ULONG references = --m_references;
    if (references == 0) {
        delete this;
    }
    return references;
}

HRESULT RecordingCallback::DeviceValid(long device) {
    m_calls.push_back("valid:" + std::to_string(device));
    m_lastDevice = device;
    if (onValid) {
        onValid(device);
    }
    return S_OK;
}

HRESULT RecordingCallback::DeviceInvalid() {
    m_calls.push_back("invalid");
    m_lastDevice = 0;
    if (onInvalid) {
        onInvalid();
    }
    return S_OK;
}

HRESULT PlainObject::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (IsEqualIID(riid, IID_IUnknown)) {
        *object = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

void CameraTest::SetUp() {
    Emulator().LoadDefaultProfiles();
}

void CameraTest::TearDown() {
    EXPECT_EQ(0, CKorvelCamera::LivingCount());
    EXPECT_EQ(0u, CDeviceHandleTable::Instance().Count());
    // Loading profiles joins every SDK thread; what is left was leaked.
    Emulator().LoadDefaultProfiles();
    EXPECT_EQ(0u, Emulator().GetLiveDeviceCount());
    EXPECT_EQ(0u, Emulator().GetLiveThreadCount());
}

void CameraTest::LoadProfile(const std::string& text) {
    GenICam::gcstring error;
    ASSERT_TRUE(Emulator().LoadProfiles(text.c_str(), &error)) << error.c_str();
}

void CameraTest::Configure(const char* serial, const char* key, const char* value) {
    GenICam::gcstring error;
    ASSERT_TRUE(Emulator().Configure(serial, key, value, &error)) << key << ": " << error.c_str();
}

void CameraTest::ConfigureTransport(const char* name, const char* key, const char* value) {
    GenICam::gcstring error;
    ASSERT_TRUE(Emulator().ConfigureTransport(name, key, value, &error)) << key << ": " << error.c_str();
}

}  // namespace CameraTest
