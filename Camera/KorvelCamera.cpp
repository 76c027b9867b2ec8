// CKorvelCamera: construction, the camera list and opening and closing a camera.
#include "Camera/KorvelCamera.h"

#include <algorithm>
#include <new>

#include "Camera/DeviceHandleTable.h"
#include "Camera/FeatureHelpers.h"
#include "Camera/RemovalWatch.h"

namespace {

// How long the destructor waits for removal reports the SDK still owes.
constexpr DWORD kRemovalReportWaitMs = 10000;

// The count of living camera objects and its lock. Made on first use and never
// destroyed, so no order of static destruction can leave it dangling.
struct ProcessWideState {
    ProcessWideState() : count(0) { InitializeCriticalSection(&lock); }
    CRITICAL_SECTION lock;
    int32_t count;
};

ProcessWideState& ProcessState() {
    static ProcessWideState* const state = new ProcessWideState();
    return *state;
}

class ProcessLock {
  public:
    ProcessLock() { EnterCriticalSection(&ProcessState().lock); }
    ~ProcessLock() { LeaveCriticalSection(&ProcessState().lock); }
    ProcessLock(const ProcessLock&) = delete;
    ProcessLock& operator=(const ProcessLock&) = delete;
};

void LeaveProcessCount() {
    ProcessLock lock;
    if (ProcessState().count > 0) {
        --ProcessState().count;
    }
}

// Camera IDs travel as wide strings; the SDK speaks the calling thread's ANSI
// code page.
std::wstring WidenName(const GenICam::gcstring& name) {
    if (name.empty()) {
        return std::wstring();
    }
    const int length =
        MultiByteToWideChar(CP_THREAD_ACP, 0, name.c_str(), static_cast<int>(name.size()), nullptr, 0);
    if (length <= 0) {
        return std::wstring();
    }
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_THREAD_ACP, 0, name.c_str(), static_cast<int>(name.size()), &wide[0], length);
    return wide;
}

GenICam::gcstring NarrowName(const std::wstring& name) {
    if (name.empty()) {
        return GenICam::gcstring();
    }
    const int length = WideCharToMultiByte(CP_THREAD_ACP, 0, name.c_str(), static_cast<int>(name.size()),
                                           nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        return GenICam::gcstring();
    }
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_THREAD_ACP, 0, name.c_str(), static_cast<int>(name.size()), &narrow[0], length,
                        nullptr, nullptr);
    return GenICam::gcstring(std::move(narrow));
}

BSTR CopyToBstr(const std::wstring& text) {
    return SysAllocStringLen(text.c_str(), static_cast<UINT>(text.size()));
}

}  // namespace

CKorvelCamera::CKorvelCamera()
    : m_selectedIndex(-1),
      m_device(nullptr),
      m_streamGrabber(nullptr),
      m_chunkParser(nullptr),
      m_chunkModeActive(false),
      m_removalHandle(nullptr),
      m_nextCookie(0),
      m_deviceValue(0),
      m_payloadSize(0),
      m_width(0),
      m_height(0),
      m_stopFlag(0),
      m_grabThread(nullptr),
      m_triggerModeOn(0) {
    {
        ProcessLock lock;
        ++ProcessState().count;
    }
    try {
        EnumerateCameras();
    } catch (const GenICam::GenericException&) {
        // The SDK's failures leave the list empty; the filter then finds no camera.
    } catch (...) {
        // A failed allocation ends the construction; the destructor will not run.
        LeaveProcessCount();
        throw;
    }
}

CKorvelCamera::~CKorvelCamera() {
    CloseCamera(false);
    // A lost device's removal callback may still be on its way to this object.
    CRemovalWatch::Instance().WaitUntilQuiet(this, kRemovalReportWaitMs);
    {
        ProcessLock lock;
        if (ProcessState().count > 0) {
            --ProcessState().count;
        }
        if (ProcessState().count == 0) {
            for (Quill::ITransportLayer* layer : m_transportLayers) {
                try {
                    Quill::CTlFactory::GetInstance().ReleaseTl(layer);
                } catch (const GenICam::GenericException&) {
                }
            }
        }
    }
    {
        CCameraAutoLock callbackLock(m_callbackLock);
        ReleaseConfigCallbacks();
    }
    // Anyone still inside an operation leaves before the members go.
    m_objectLock.Lock();
    m_objectLock.Unlock();
}

int32_t CKorvelCamera::LivingCount() {
    ProcessLock lock;
    return ProcessState().count;
}

HRESULT CKorvelCamera::EnumerateCameras() {
    CCameraAutoLock lock(m_objectLock);
    m_cameras.clear();
    m_transportLayers.clear();

    Quill::CTlFactory* factory = nullptr;
    Quill::TlInfoList layers;
    int layerCount = 0;
    try {
        factory = &Quill::CTlFactory::GetInstance();
        layerCount = factory->EnumerateTls(layers);
    } catch (const GenICam::GenericException&) {
        return E_FAIL;
    }
    // The count the factory reports never reaches past the list it filled.
    const size_t usable = layerCount > 0 ? std::min(static_cast<size_t>(layerCount), layers.size()) : 0;
    for (size_t t = 0; t < usable; ++t) {
        try {
            Quill::ITransportLayer* layer = factory->CreateTl(layers[t]);
            if (layer == nullptr) {
                continue;
            }
            m_transportLayers.push_back(layer);
            const int32_t layerIndex = static_cast<int32_t>(m_transportLayers.size() - 1);
            Quill::DeviceInfoList devices;
            layer->EnumerateDevices(devices, true);
            for (const Quill::CDeviceInfo& device : devices) {
                m_cameras.push_back(CameraEntry{WidenName(device.GetFullName()), layerIndex});
            }
        } catch (const GenICam::GenericException&) {
            // This layer loses its cameras (those already listed stay); the next one is asked.
        }
    }
    return S_OK;
}

int32_t CKorvelCamera::GetCameraCount() {
    CCameraAutoLock lock(m_objectLock);
    return static_cast<int32_t>(m_cameras.size());
}

HRESULT CKorvelCamera::GetCameraID(int32_t index, BSTR* cameraId) {
    CCameraAutoLock lock(m_objectLock);
    if (index < 0 || static_cast<size_t>(index) >= m_cameras.size()) {
        return E_INVALIDARG;
    }
    if (cameraId == nullptr) {
        return E_POINTER;
    }
    *cameraId = CopyToBstr(m_cameras[index].fullName);
    return *cameraId != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT CKorvelCamera::SelectCameraByID(const wchar_t* cameraId) {
    CCameraAutoLock lock(m_objectLock);
    const wchar_t* wantedText = cameraId != nullptr ? cameraId : L"";
    // VarBstrCmp reads the lengths of real BSTRs, so both sides are copied into one.
    BSTR wanted = SysAllocString(wantedText);
    if (wanted == nullptr) {
        return E_OUTOFMEMORY;
    }
    for (size_t row = 0; row < m_cameras.size(); ++row) {
        BSTR rowName = CopyToBstr(m_cameras[row].fullName);
        if (rowName == nullptr) {
            SysFreeString(wanted);
            return E_OUTOFMEMORY;
        }
        const HRESULT comparison = VarBstrCmp(wanted, rowName, LOCALE_USER_DEFAULT, 0);
        SysFreeString(rowName);
        if (comparison == static_cast<HRESULT>(VARCMP_EQ)) {
            SysFreeString(wanted);
            return OpenCamera(static_cast<int32_t>(row)) == S_OK ? S_OK : E_FAIL;
        }
    }
    SysFreeString(wanted);
    if (wantedText[0] == L'\0') {
        CloseCamera(false);
    }
    return E_INVALIDARG;
}

HRESULT CKorvelCamera::GetSelectedCameraID(BSTR* cameraId) {
    CCameraAutoLock lock(m_objectLock);
    if (cameraId == nullptr) {
        return E_INVALIDARG;
    }
    if (m_selectedIndex >= 0 && static_cast<size_t>(m_selectedIndex) < m_cameras.size()) {
        *cameraId = CopyToBstr(m_cameras[m_selectedIndex].fullName);
        return *cameraId != nullptr ? S_OK : E_OUTOFMEMORY;
    }
    *cameraId = SysAllocString(L"");
    return E_FAIL;
}

int32_t CKorvelCamera::GetSelectedIndex() {
    CCameraAutoLock lock(m_objectLock);
    return m_selectedIndex;
}

HRESULT CKorvelCamera::OpenFirstCamera() {
    CCameraAutoLock lock(m_objectLock);
    for (int32_t index = 0; static_cast<size_t>(index) < m_cameras.size(); ++index) {
        if (OpenCamera(index) == S_OK) {
            return S_OK;
        }
    }
    return E_FAIL;
}

HRESULT CKorvelCamera::OpenCamera(int32_t index) {
    CCameraAutoLock lock(m_objectLock);
    if (m_cameras.empty() || index < 0 || static_cast<size_t>(index) >= m_cameras.size()) {
        return E_INVALIDARG;
    }
    // Also when that camera is the one asked for: it opens afresh.
    CloseCamera(false);
    HRESULT hr = E_FAIL;
    try {
        hr = OpenListedDevice(index);
    } catch (const GenICam::GenericException&) {
        CloseCamera(false);
        return E_FAIL;
    } catch (const std::bad_alloc&) {
        CloseCamera(false);
        return E_OUTOFMEMORY;
    }
    // A failure after the device was made leaves it to be closed here.
    if (FAILED(hr) && m_device != nullptr) {
        CloseCamera(false);
    }
    return hr;
}

HRESULT CKorvelCamera::OpenListedDevice(int32_t index) {
    const CameraEntry& entry = m_cameras[index];
    if (entry.transportLayerIndex < 0 ||
        static_cast<size_t>(entry.transportLayerIndex) >= m_transportLayers.size()) {
        return E_INVALIDARG;
    }
    Quill::ITransportLayer* layer = m_transportLayers[entry.transportLayerIndex];
    if (layer == nullptr) {
        return E_INVALIDARG;
    }
    HRESULT hr = CreateListedDevice(index, layer, NarrowName(entry.fullName));
    if (FAILED(hr)) {
        return hr;
    }

    m_device->Open(Quill::Stream + Quill::Control + Quill::Event);
    m_streamGrabber->Open();

    m_chunkModeActive = false;
    GenApi::CBooleanPtr chunkMode(m_device->GetNodeMap()->GetNode("ChunkModeActive"));
    if (GenApi::IsReadable(chunkMode)) {
        m_chunkModeActive = chunkMode->GetValue();
    }

    // Whatever it returns, only a list without formats stops the open.
    ReadCameraFormats();
    if (m_formats.empty()) {
        // The callbacks never heard of this device, so it goes without DeviceInvalid.
        try {
            m_streamGrabber->Close();
        } catch (const GenICam::GenericException&) {
        }
        try {
            m_device->Close();
        } catch (const GenICam::GenericException&) {
        }
        DestroyDeviceGuarded(layer, m_device);
        m_device = nullptr;
        m_streamGrabber = nullptr;
        m_chunkParser = nullptr;
        m_chunkModeActive = false;
        m_selectedIndex = -1;
        return E_FAIL;
    }

    long deviceValue = 0;
    hr = CDeviceHandleTable::Instance().Register(m_device, &deviceValue);
    if (FAILED(hr)) {
        return E_FAIL;
    }
    {
        CCameraAutoLock callbackLock(m_callbackLock);
        m_deviceValue = deviceValue;
        NotifyDeviceValid(deviceValue);
    }

    // The watch is armed first, so a removal reported while registering is not lost.
    if (FAILED(CRemovalWatch::Instance().Arm(this, m_device))) {
        return E_FAIL;
    }
    try {
        m_removalHandle = m_device->RegisterRemovalCallback(
            Quill::make_MemberFunctionCallback(this, &CKorvelCamera::OnDeviceRemoved));
    } catch (const GenICam::GenericException&) {
        CRemovalWatch::Instance().Disarm(this, m_device);
        throw;
    }
    if (m_removalHandle == nullptr) {
        // Nothing was registered, so no report can come.
        CRemovalWatch::Instance().Disarm(this, m_device);
    }
    return S_OK;
}

HRESULT CKorvelCamera::CreateListedDevice(int32_t index, Quill::ITransportLayer* layer,
                                          const GenICam::gcstring& fullName) {
    Quill::DeviceInfoList devices;
    layer->EnumerateDevices(devices, false);
    for (const Quill::CDeviceInfo& info : devices) {
        if (info.GetFullName() != fullName) {
            continue;
        }
        m_selectedIndex = index;
        Quill::IQuillDevice* device = layer->CreateDevice(info);
        if (device == nullptr) {
            continue;
        }
        Quill::IStreamGrabber* grabber = nullptr;
        Quill::IChunkParser* parser = nullptr;
        try {
            grabber = device->GetStreamGrabber(0);
            parser = device->CreateChunkParser();
        } catch (const GenICam::GenericException&) {
            DestroyDeviceGuarded(layer, device);
            throw;
        }
        if (grabber == nullptr) {
            // A device that cannot stream is of no use; it goes back at once.
            DestroyDeviceGuarded(layer, device);
            continue;
        }
        m_device = device;
        m_streamGrabber = grabber;
        m_chunkParser = parser;
        return S_OK;
    }
    m_selectedIndex = -1;
    return E_FAIL;
}

void CKorvelCamera::DestroyDeviceGuarded(Quill::ITransportLayer* layer, Quill::IQuillDevice* device) {
    if (layer == nullptr || device == nullptr) {
        return;
    }
    try {
        layer->DestroyDevice(device);
    } catch (const GenICam::GenericException&) {
    }
}

HRESULT CKorvelCamera::CloseCamera(bool deviceLost) {
    CCameraAutoLock lock(m_objectLock);
    // A camera closed while a pin still grabs from it (the preview pin stays
    // connected while another camera is selected, or the filter is destroyed
    // connected) must first lose its grab thread: the stream grabber goes away
    // below. Stopping is a no-op when nothing grabs.
    StopGrabbing();

    // Each step runs whatever the steps before it met.
    if (m_device != nullptr) {
        try {
            GenApi::ICommand* stop = nullptr;
            if (SUCCEEDED(GetCommandFeature(m_device->GetNodeMap(), "AcquisitionStop", &stop))) {
                stop->Execute(true);
            }
        } catch (const GenICam::GenericException&) {
        }
    }

    {
        CCameraAutoLock callbackLock(m_callbackLock);
        // The value dies before anyone hears DeviceInvalid; the device itself
        // goes only after that.
        if (m_deviceValue != 0) {
            CDeviceHandleTable::Instance().Unregister(m_deviceValue);
            m_deviceValue = 0;
        }
        NotifyDeviceInvalid();
    }

    if (m_device != nullptr) {
        if (!deviceLost && m_removalHandle != nullptr) {
            try {
                // Found or not, no callback of this object remains with the device.
                m_device->DeregisterRemovalCallback(m_removalHandle);
                CRemovalWatch::Instance().Disarm(this, m_device);
            } catch (const GenICam::GenericException&) {
                // The device is lost: its report is on the way.
                CRemovalWatch::Instance().Release(this, m_device);
            }
        } else {
            CRemovalWatch::Instance().Release(this, m_device);
        }
    }

    if (m_streamGrabber != nullptr) {
        try {
            m_streamGrabber->Close();
        } catch (const GenICam::GenericException&) {
        }
    }

    if (!deviceLost && m_device != nullptr) {
        try {
            m_device->Close();
        } catch (const GenICam::GenericException&) {
        }
        if (m_selectedIndex >= 0 && static_cast<size_t>(m_selectedIndex) < m_cameras.size() &&
            !m_transportLayers.empty()) {
            const int32_t layerIndex = m_cameras[m_selectedIndex].transportLayerIndex;
            if (layerIndex >= 0 && static_cast<size_t>(layerIndex) < m_transportLayers.size()) {
                DestroyDeviceGuarded(m_transportLayers[layerIndex], m_device);
            }
        }
    }

    m_device = nullptr;
    m_streamGrabber = nullptr;
    m_chunkParser = nullptr;
    m_chunkModeActive = false;
    m_payloadSize = 0;
    m_width = 0;
    m_height = 0;
    m_selectedIndex = -1;
    m_removalHandle = nullptr;
    m_formats.clear();
    return S_OK;
}
