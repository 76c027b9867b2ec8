#include "PipelineGraph.h"

#include <uuids.h>

#include <cstdio>

#include "KorvelGenICamSource_h.h"
#include "bench/pipeline/CpuClock.h"
#include "bench/pipeline/VideoTypes.h"

const char* const kCameraSerial = "BENCH1920";

namespace {

const wchar_t* const kPinIds[kPinCount] = {L"Capture", L"Preview"};
const wchar_t* const kSinkNames[kPinCount] = {L"Capture sink", L"Preview sink"};

bool Fail(std::string* error, const std::string& what, HRESULT hr) {
    char text[256];
    std::snprintf(text, sizeof(text), "%s (HRESULT 0x%08lX)", what.c_str(), static_cast<unsigned long>(hr));
    *error = text;
    return false;
}

bool Fail(std::string* error, const std::string& what) {
    *error = what;
    return false;
}

std::wstring BinaryDirectory() {
    WCHAR path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring directory(path, length);
    const size_t slash = directory.find_last_of(L"\\/");
    directory.resize(slash == std::wstring::npos ? 0 : slash + 1);
    return directory;
}

std::string CameraProfile(int width, int height, double frameRate) {
    char text[640];
    std::snprintf(text, sizeof(text),
                  "[transport]\nname = Bench\ndevice_class = Bench\n"
                  "[camera]\ntransport = Bench\nserial = %s\nmodel = KV-C1920\n"
                  "max_width = %d\nmax_height = %d\nwidth_min = 32\nwidth_inc = 8\nheight_min = 16\n"
                  "height_inc = 2\npixel_formats = BayerRG8\nexposure = 10000\n"
                  "frame_rate_enable = true\nframe_rate = %g\n"
                  "row_time_us = 12\nreadout_overhead_us = 500\nlink_bandwidth = 380000000\n",
                  kCameraSerial, width, height, frameRate);
    return text;
}

template <typename T>
void ReleaseAndClear(T*& object) {
    if (object) {
        object->Release();
        object = nullptr;
    }
}

}  // namespace

PipelineGraph::~PipelineGraph() {
    std::string ignored;
    Dismantle(&ignored);
}

bool PipelineGraph::LoadModule(std::string* error) {
    const std::wstring path = BinaryDirectory() + L"KorvelGenICamSource.ax";
    m_module = LoadLibraryW(path.c_str());
    if (!m_module) {
        return Fail(error, "cannot load KorvelGenICamSource.ax beside the program",
                    HRESULT_FROM_WIN32(GetLastError()));
    }
    auto getClassObject = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
        reinterpret_cast<void*>(GetProcAddress(m_module, "DllGetClassObject")));
    if (!getClassObject) {
        return Fail(error, "the module exports no DllGetClassObject");
    }
    const HRESULT hr =
        getClassObject(CLSID_CKorvelGenICamSource, IID_IClassFactory, reinterpret_cast<void**>(&m_factory));
    if (FAILED(hr) || !m_factory) {
        return Fail(error, "DllGetClassObject failed for the source filter", hr);
    }
    return true;
}

bool PipelineGraph::LoadCamera(int width, int height, double frameRate, std::string* error) {
    try {
        GenICam::gcstring message;
        const std::string profile = CameraProfile(width, height, frameRate);
        if (!Quill::Emulation::GetEmulationControl().LoadProfiles(profile.c_str(), &message)) {
            return Fail(error, std::string("the camera profile was refused: ") + message.c_str());
        }
    } catch (const GenICam::GenericException& exception) {
        return Fail(error, std::string("the camera SDK failed: ") + exception.GetDescription());
    }
    return true;
}

bool PipelineGraph::Build(int width, int height, double frameRate, std::string* error) {
    HRESULT hr = CoInitialize(nullptr);
    if (FAILED(hr)) {
        return Fail(error, "CoInitialize failed", hr);
    }
    m_comInitialised = true;
    if (!LoadModule(error) || !LoadCamera(width, height, frameRate, error)) {
        return false;
    }
    hr = m_factory->CreateInstance(nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&m_source));
    if (FAILED(hr) || !m_source) {
        return Fail(error, "the source filter could not be created", hr);
    }
    hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                          reinterpret_cast<void**>(&m_graph));
    if (FAILED(hr) || !m_graph) {
        return Fail(error, "the filter graph could not be created", hr);
    }
    hr = m_graph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&m_control));
    if (FAILED(hr)) {
        return Fail(error, "the graph has no IMediaControl", hr);
    }
    hr = m_graph->AddFilter(m_source, L"Korvel GenICam Source");
    if (FAILED(hr)) {
        return Fail(error, "the source could not be added to the graph", hr);
    }
    if (!ConnectPin(0, MEDIASUBTYPE_RGB24, width, height, frameRate, error) ||
        !ConnectPin(1, kSubtypeY800, width, height, frameRate, error)) {
        return false;
    }
    hr = m_pins[0]->QueryInterface(IID_IAMDroppedFrames, reinterpret_cast<void**>(&m_dropped));
    if (FAILED(hr)) {
        return Fail(error, "the capture pin has no IAMDroppedFrames", hr);
    }
    AM_MEDIA_TYPE connected = {};
    hr = m_pins[0]->ConnectionMediaType(&connected);
    if (FAILED(hr)) {
        return Fail(error, "the capture pin's connection type is unreadable", hr);
    }
    const REFERENCE_TIME frameTime = FrameTimeOf(connected);
    FreeMediaType(connected);
    m_connectedFrameRate = frameTime > 0 ? 1e7 / static_cast<double>(frameTime) : 0.0;
    return true;
}

bool PipelineGraph::ConnectPin(int pin, const GUID& subtype, int width, int height, double frameRate,
                               std::string* error) {
    const std::string name = PinName(pin);
    HRESULT hr = m_source->FindPin(kPinIds[pin], &m_pins[pin]);
    if (FAILED(hr) || !m_pins[pin]) {
        return Fail(error, "the source has no " + name + " pin", hr);
    }
    const REFERENCE_TIME frameTime = static_cast<REFERENCE_TIME>(1e7 / frameRate + 0.5);
    CMediaType type = VideoType(subtype, width, height, frameTime);
    if (pin == 0) {
        // The capture pin's format and frame rate, as a capture application sets them.
        IAMStreamConfig* config = nullptr;
        hr = m_pins[pin]->QueryInterface(IID_IAMStreamConfig, reinterpret_cast<void**>(&config));
        if (FAILED(hr)) {
            return Fail(error, "the capture pin has no IAMStreamConfig", hr);
        }
        hr = config->SetFormat(&type);
        config->Release();
        if (FAILED(hr)) {
            return Fail(error, "IAMStreamConfig::SetFormat refused RGB24 at the camera size", hr);
        }
    }
    m_sinks[pin] = CCountingSinkFilter::Create(subtype);
    if (!m_sinks[pin]) {
        return Fail(error, "the null sink could not be made", E_OUTOFMEMORY);
    }
    hr = m_graph->AddFilter(m_sinks[pin]->Filter(), kSinkNames[pin]);
    if (FAILED(hr)) {
        return Fail(error, "the null sink could not be added to the graph", hr);
    }
    IPin* input = nullptr;
    hr = m_sinks[pin]->Filter()->FindPin(L"Input", &input);
    if (FAILED(hr) || !input) {
        return Fail(error, "the null sink has no input pin", hr);
    }
    hr = m_graph->ConnectDirect(m_pins[pin], input, &type);
    input->Release();
    if (FAILED(hr)) {
        return Fail(error, "the " + name + " pin could not be connected", hr);
    }
    return true;
}

bool PipelineGraph::Run(std::string* error) {
    const HRESULT hr = m_control ? m_control->Run() : E_UNEXPECTED;
    return SUCCEEDED(hr) || Fail(error, "IMediaControl::Run failed", hr);
}

bool PipelineGraph::WaitForFirstSamples(DWORD timeoutMs, std::string* error) {
    for (int pin = 0; pin < kPinCount; ++pin) {
        if (!m_sinks[pin]->Pin()->WaitForSamples(1, timeoutMs)) {
            return Fail(error, std::string("no sample reached the ") + PinName(pin) + " sink in time");
        }
    }
    return true;
}

bool PipelineGraph::Snapshot(PipelineSnapshot* snapshot, std::string* error) {
    snapshot->wallSeconds = WallSeconds();
    snapshot->processCpuSeconds = ProcessCpuSeconds();
    if (snapshot->processCpuSeconds < 0.0) {
        return Fail(error, "GetProcessTimes failed", HRESULT_FROM_WIN32(GetLastError()));
    }
    for (int pin = 0; pin < kPinCount; ++pin) {
        snapshot->sinks[pin] = m_sinks[pin]->Pin()->Counts();
        if (!m_threads[pin]) {
            m_threads[pin] = m_sinks[pin]->Pin()->DeliveryThread();
        }
        snapshot->threadCpuSeconds[pin] = ThreadCpuSeconds(m_threads[pin]);
        snapshot->threadIds[pin] = m_threads[pin] ? GetThreadId(m_threads[pin]) : 0;
    }
    HRESULT hr = m_dropped->GetNumNotDropped(&snapshot->captureDelivered);
    if (FAILED(hr)) {
        return Fail(error, "IAMDroppedFrames::GetNumNotDropped failed", hr);
    }
    hr = m_dropped->GetNumDropped(&snapshot->captureDropped);
    if (FAILED(hr)) {
        return Fail(error, "IAMDroppedFrames::GetNumDropped failed", hr);
    }
    try {
        if (!Quill::Emulation::GetEmulationControl().GetCounters(kCameraSerial, snapshot->camera)) {
            return Fail(error, "the camera's counters are unavailable");
        }
    } catch (const GenICam::GenericException& exception) {
        return Fail(error, std::string("the camera SDK failed: ") + exception.GetDescription());
    }
    return true;
}

bool PipelineGraph::Stop(std::string* error) {
    const HRESULT hr = m_control ? m_control->Stop() : E_UNEXPECTED;
    return SUCCEEDED(hr) || Fail(error, "IMediaControl::Stop failed", hr);
}

bool PipelineGraph::Dismantle(std::string* error) {
    bool clean = true;
    if (m_control) {
        m_control->Stop();
    }
    if (m_graph) {
        // Removing the filters ends every connection.
        if (m_source) {
            m_graph->RemoveFilter(m_source);
        }
        for (CCountingSinkFilter* sink : m_sinks) {
            if (sink) {
                m_graph->RemoveFilter(sink->Filter());
            }
        }
    }
    for (int pin = 0; pin < kPinCount; ++pin) {
        if (m_threads[pin]) {
            CloseHandle(m_threads[pin]);
            m_threads[pin] = nullptr;
        }
        ReleaseAndClear(m_pins[pin]);
        ReleaseAndClear(m_sinks[pin]);
    }
    ReleaseAndClear(m_dropped);
    ReleaseAndClear(m_control);
    if (m_graph && m_graph->Release() != 0 && clean) {
        clean = Fail(error, "the filter graph is still referenced after the run");
    }
    m_graph = nullptr;
    if (m_source && m_source->Release() != 0 && clean) {
        clean = Fail(error, "the source filter is still referenced after the run");
    }
    m_source = nullptr;
    ReleaseAndClear(m_factory);
    if (m_module) {
        auto canUnloadNow = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
            reinterpret_cast<void*>(GetProcAddress(m_module, "DllCanUnloadNow")));
        if (canUnloadNow && canUnloadNow() == S_OK) {
            FreeLibrary(m_module);
        } else if (clean) {
            // Left loaded: a thread of it may still run.
            clean = Fail(error, "the module still has live objects after the run");
        }
        m_module = nullptr;
    }
    if (m_comInitialised) {
        CoUninitialize();
        m_comInitialised = false;
    }
    return clean;
}
