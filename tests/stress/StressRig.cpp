#include "StressRig.h"

#include <psapi.h>
#include <uuids.h>

#include <cstring>

#include "StressSupport.h"
#include "quill/EmulationControl.h"

namespace {

std::wstring BinaryDirectory() {
    WCHAR path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring directory(path, length);
    const size_t slash = directory.find_last_of(L"\\/");
    directory.resize(slash == std::wstring::npos ? 0 : slash + 1);
    return directory;
}

std::string Hex(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof(text), "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

}  // namespace

namespace {

// Handles open in this process. Where GetProcessHandleCount is not answered
// (Wine), every handle value of the table is asked for its flags.
const char* g_handleSource = "GetProcessHandleCount";
const char* g_memorySource = "PrivateUsage";

DWORD CountHandles() {
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count != 0) {
        g_handleSource = "GetProcessHandleCount";
        return count;
    }
    g_handleSource = "a scan of the handle table (GetProcessHandleCount gave 0)";
    count = 0;
    for (ULONG_PTR value = 4; value < 0x20000; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
            ++count;
        }
    }
    return count;
}

// Committed private memory. Where the process counters leave it 0 (Wine),
// the committed private regions of the address space are added up.
SIZE_T PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof(counters);
    if (K32GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                sizeof(counters))) {
        if (counters.PrivateUsage != 0) {
            g_memorySource = "GetProcessMemoryInfo PrivateUsage";
            return counters.PrivateUsage;
        }
        if (counters.PagefileUsage != 0) {
            g_memorySource = "GetProcessMemoryInfo PagefileUsage (PrivateUsage gave 0)";
            return counters.PagefileUsage;
        }
    }
    g_memorySource = "committed private regions (GetProcessMemoryInfo gave 0)";
    SIZE_T total = 0;
    const BYTE* address = nullptr;
    MEMORY_BASIC_INFORMATION region = {};
    while (VirtualQuery(address, &region, sizeof(region)) == sizeof(region)) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) {
            total += region.RegionSize;
        }
        const BYTE* next = static_cast<const BYTE*>(region.BaseAddress) + region.RegionSize;
        if (next <= address) {
            break;
        }
        address = next;
    }
    return total;
}

}  // namespace

std::string ResourceSources() {
    return std::string("handles from ") + g_handleSource + "; private memory from " + g_memorySource;
}

ResourceUse MeasureResources() {
    ResourceUse use;
    use.handles = CountHandles();
    use.privateBytes = PrivateBytes();
    return use;
}

std::string StressCameraProfile() {
    std::string profile = "[transport]\nname = Bench\ndevice_class = Bench\n";
    for (const char* serial : {"P1", "P2"}) {
        profile += std::string("[camera]\ntransport = Bench\nserial = ") + serial +
                   "\nmodel = KV-C640\nmax_width = 640\nmax_height = 480\n"
                   "frame_rate_enable = true\nframe_rate = 30\npixel_formats = BayerRG8, Mono8\n"
                   "exposure_min = 20\nexposure_max = 1000000\nexposure = 10000\n"
                   "gain_min = 0\ngain_max = 1000\ngain = 0\n";
    }
    return profile;
}

STDMETHODIMP LossCounter::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    if (riid == IID_IUnknown || riid == IID_IKorvelGenICamConfigCallback) {
        *ppv = static_cast<IKorvelGenICamConfigCallback*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) LossCounter::Release() {
    const ULONG left = --m_refs;
    if (left == 0) {
        delete this;
    }
    return left;
}

StressRig::~StressRig() {
    std::string ignored;
    Close(&ignored);
}

bool StressRig::Open(std::string* error) {
    WatchedStep step(m_watchdog, 0, "open the filter and the graph", 0, 60000);
    m_module = LoadLibraryW((BinaryDirectory() + L"KorvelGenICamSource.ax").c_str());
    if (!m_module) {
        *error = "cannot load KorvelGenICamSource.ax";
        return false;
    }
    auto getClassObject = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
        reinterpret_cast<void*>(GetProcAddress(m_module, "DllGetClassObject")));
    if (!getClassObject || FAILED(getClassObject(CLSID_CKorvelGenICamSource, IID_IClassFactory,
                                                 reinterpret_cast<void**>(&m_factory)))) {
        *error = "no class object";
        return false;
    }
    GenICam::gcstring profileError;
    if (!Quill::Emulation::GetEmulationControl().LoadProfiles(StressCameraProfile().c_str(), &profileError)) {
        *error = std::string("camera profile refused: ") + profileError.c_str();
        return false;
    }
    HRESULT hr = m_factory->CreateInstance(nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&m_source));
    if (FAILED(hr)) {
        *error = "filter not created: " + Hex(hr);
        return false;
    }
    hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                          reinterpret_cast<void**>(&m_graph));
    if (FAILED(hr) || FAILED(Query(m_graph, IID_IMediaControl, &m_control))) {
        *error = "no filter graph: " + Hex(hr);
        return false;
    }
    if (FAILED(m_graph->AddFilter(m_source, L"Source"))) {
        *error = "source not added";
        return false;
    }
    const wchar_t* pinNames[2] = {L"Capture", L"Preview"};
    const wchar_t* sinkNames[2] = {L"Capture sink", L"Preview sink"};
    for (int index = 0; index < 2; ++index) {
        m_sinks[index] = CPatternCheckFilter::Create();
        if (!m_sinks[index] || FAILED(m_graph->AddFilter(m_sinks[index]->Filter(), sinkNames[index]))) {
            *error = "sink not added";
            return false;
        }
        m_sinkPins[index] = m_sinks[index]->Pin();
        m_sinkPins[index]->AddRef();
        if (FAILED(m_source->FindPin(pinNames[index], &m_sourcePins[index]))) {
            *error = "source pin missing";
            return false;
        }
    }
    if (FAILED(Query(m_sourcePins[0], IID_IAMStreamConfig, &m_streamConfig)) ||
        FAILED(Query(m_sourcePins[0], IID_IAMDroppedFrames, &m_drops)) ||
        FAILED(Query(m_source, IID_IKorvelGenICamSource, &m_selection)) ||
        FAILED(Query(m_source, IID_IKorvelGenICamConfigControl, &m_config)) ||
        FAILED(Query(m_source, IID_IAMVideoControl, &m_videoControl)) ||
        FAILED(Query(m_source, IID_IAMCameraControl, &m_cameraControl)) ||
        FAILED(Query(m_source, IID_IAMVideoProcAmp, &m_procAmp)) ||
        FAILED(Query(m_source, IID_IPersistStream, &m_persist))) {
        *error = "an interface of the filter is missing";
        return false;
    }
    m_losses = new LossCounter();
    if (FAILED(m_config->SetConfigCallback(m_losses, &m_cookie))) {
        *error = "callback not registered";
        return false;
    }
    return true;
}

bool StressRig::Close(std::string* error) {
    bool clean = true;
    if (m_control) {
        m_control->Stop();
    }
    if (m_graph) {
        for (int index = 0; index < 2; ++index) {
            if (m_sourcePins[index]) {
                m_graph->Disconnect(m_sourcePins[index]);
            }
            if (m_sinkPins[index]) {
                m_graph->Disconnect(m_sinkPins[index]);
            }
        }
    }
    if (m_config && m_cookie >= 0) {
        m_config->RemoveCallback(m_cookie);
        m_cookie = -1;
    }
    SafeRelease(m_losses);
    SafeRelease(m_config);
    SafeRelease(m_streamConfig);
    SafeRelease(m_drops);
    SafeRelease(m_selection);
    SafeRelease(m_videoControl);
    SafeRelease(m_cameraControl);
    SafeRelease(m_procAmp);
    SafeRelease(m_persist);
    for (int index = 0; index < 2; ++index) {
        SafeRelease(m_sourcePins[index]);
        SafeRelease(m_sinkPins[index]);
        if (m_sinks[index]) {
            if (m_graph) {
                m_graph->RemoveFilter(m_sinks[index]->Filter());
            }
            m_sinks[index]->Release();
            m_sinks[index] = nullptr;
        }
    }
    if (m_source) {
        if (m_graph) {
            m_graph->RemoveFilter(m_source);
        }
        const ULONG left = m_source->Release();
        m_source = nullptr;
        if (left != 0) {
            *error += "the filter keeps " + std::to_string(left) + " references; ";
            clean = false;
        }
    }
    SafeRelease(m_control);
    SafeRelease(m_graph);
    if (m_factory) {
        if (m_factory->Release() != 0) {
            *error += "the class object keeps references; ";
            clean = false;
        }
        m_factory = nullptr;
    }
    if (m_module) {
        auto canUnloadNow = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
            reinterpret_cast<void*>(GetProcAddress(m_module, "DllCanUnloadNow")));
        if (!canUnloadNow || canUnloadNow() != S_OK) {
            *error += "the module cannot unload; ";
            clean = false;
        }
        const size_t devices = Quill::Emulation::GetEmulationControl().GetLiveDeviceCount();
        if (devices != 0) {
            *error += std::to_string(devices) + " camera devices left open; ";
            clean = false;
        }
        FreeLibrary(m_module);
        m_module = nullptr;
    }
    return clean;
}

HRESULT StressRig::Connect() {
    for (int index = 0; index < 2; ++index) {
        IPin* peer = nullptr;
        if (SUCCEEDED(m_sourcePins[index]->ConnectedTo(&peer))) {
            peer->Release();
            continue;
        }
        const HRESULT hr = m_graph->ConnectDirect(m_sourcePins[index], m_sinkPins[index], nullptr);
        if (FAILED(hr)) {
            return hr;
        }
    }
    return S_OK;
}

HRESULT StressRig::Disconnect() {
    HRESULT result = S_OK;
    for (int index = 0; index < 2; ++index) {
        HRESULT hr = m_graph->Disconnect(m_sourcePins[index]);
        if (FAILED(hr)) {
            result = hr;
        }
        hr = m_graph->Disconnect(m_sinkPins[index]);
        if (FAILED(hr)) {
            result = hr;
        }
    }
    return result;
}

bool StressRig::Connected() {
    for (int index = 0; index < 2; ++index) {
        IPin* peer = nullptr;
        if (FAILED(m_sourcePins[index]->ConnectedTo(&peer))) {
            return false;
        }
        peer->Release();
    }
    return true;
}

HRESULT StressRig::WaitForState(OAFilterState wanted, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        OAFilterState state = State_Stopped;
        const HRESULT hr = m_control->GetState(100, &state);
        if (state == wanted && (hr == S_OK || hr == VFW_S_CANT_CUE)) {
            return S_OK;
        }
        if (FAILED(hr)) {
            return hr;
        }
        if (GetTickCount() - start > timeoutMs) {
            return VFW_S_STATE_INTERMEDIATE;
        }
    }
}

HRESULT StressRig::Run(DWORD timeoutMs) {
    const HRESULT hr = m_control->Run();
    return FAILED(hr) ? hr : WaitForState(State_Running, timeoutMs);
}

HRESULT StressRig::Pause(DWORD timeoutMs) {
    const HRESULT hr = m_control->Pause();
    return FAILED(hr) ? hr : WaitForState(State_Paused, timeoutMs);
}

HRESULT StressRig::Stop() {
    return m_control->Stop();
}

bool StressRig::Stopped() {
    OAFilterState state = State_Running;
    return SUCCEEDED(m_control->GetState(0, &state)) && state == State_Stopped;
}

bool StressRig::WaitForFrames(uint64_t count, DWORD timeoutMs) {
    const uint64_t wanted[2] = {Sink(0)->Counts().received + count, Sink(1)->Counts().received + count};
    const DWORD start = GetTickCount();
    for (int index = 0; index < 2; ++index) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs || !Sink(index)->WaitForReceived(wanted[index], timeoutMs - elapsed)) {
            return false;
        }
    }
    return true;
}

std::wstring StressRig::CameraId(const char* serial) {
    const std::wstring suffix = L"(" + std::wstring(serial, serial + std::strlen(serial)) + L")";
    std::wstring found;
    LONG count = 0;
    m_selection->GetCameraCount(&count);
    for (LONG index = 0; index < count && found.empty(); ++index) {
        BSTR id = nullptr;
        if (m_selection->GetCameraID(index, &id) == S_OK && id) {
            const std::wstring text(id);
            if (text.size() >= suffix.size() &&
                text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0) {
                found = text;
            }
        }
        SysFreeString(id);
    }
    return found;
}

PatternCounts StressRig::Totals() {
    PatternCounts total;
    for (int index = 0; index < 2; ++index) {
        const PatternCounts counts = Sink(index)->Counts();
        total.received += counts.received;
        total.checked += counts.checked;
        total.torn += counts.torn;
        total.unreadable += counts.unreadable;
    }
    return total;
}
