#include "PinTestSupport.h"

#include <amvideo.h>
#include <dvdmedia.h>

#include "KorvelGenICamSource_h.h"
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

std::string CameraProfile(const char* pixelFormats) {
    return std::string(
               "[transport]\nname = Bench\ndevice_class = Bench\n"
               "[camera]\ntransport = Bench\nserial = P1\nmodel = KV-C640\nmax_width = 640\nmax_height = "
               "480\n"
               "frame_rate_enable = true\nframe_rate = 30\npixel_formats = ") +
           pixelFormats + "\n";
}

WORD BitCountOf(const GUID& subtype) {
    if (subtype == MEDIASUBTYPE_RGB24) {
        return 24;
    }
    if (subtype == MEDIASUBTYPE_RGB32) {
        return 32;
    }
    if (subtype == MEDIASUBTYPE_YUY2 || subtype == MEDIASUBTYPE_UYVY) {
        return 16;
    }
    if (subtype == kSubtypeI420 || subtype == MEDIASUBTYPE_IYUV) {
        return 12;
    }
    return 8;
}

}  // namespace

std::string BayerCameraProfile() {
    return CameraProfile("BayerRG8, Mono8");
}

std::string MonoCameraProfile() {
    return CameraProfile("Mono8");
}

CMediaType VideoType(const GUID& subtype, LONG width, LONG height, REFERENCE_TIME frameTime,
                     bool videoInfo2) {
    CMediaType type(&MEDIATYPE_Video);
    type.SetSubtype(&subtype);
    type.SetFormatType(videoInfo2 ? &FORMAT_VideoInfo2 : &FORMAT_VideoInfo);
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = BitCountOf(subtype);
    if (videoInfo2) {
        VIDEOINFOHEADER2 video = {};
        video.AvgTimePerFrame = frameTime;
        video.bmiHeader = header;
        type.SetFormat(reinterpret_cast<const BYTE*>(&video), sizeof(video));
    } else {
        VIDEOINFOHEADER video = {};
        video.AvgTimePerFrame = frameTime;
        video.bmiHeader = header;
        type.SetFormat(reinterpret_cast<const BYTE*>(&video), sizeof(video));
    }
    return type;
}

const BITMAPINFOHEADER* BitmapHeader(const AM_MEDIA_TYPE& type) {
    if (!type.pbFormat) {
        return nullptr;
    }
    if (type.formattype == FORMAT_VideoInfo && type.cbFormat >= sizeof(VIDEOINFOHEADER)) {
        return &reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat)->bmiHeader;
    }
    if (type.formattype == FORMAT_VideoInfo2 && type.cbFormat >= sizeof(VIDEOINFOHEADER2)) {
        return &reinterpret_cast<const VIDEOINFOHEADER2*>(type.pbFormat)->bmiHeader;
    }
    return nullptr;
}

REFERENCE_TIME FrameTimeOf(const AM_MEDIA_TYPE& type) {
    return BitmapHeader(type) ? reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat)->AvgTimePerFrame : -1;
}

Graph::Graph() {
    EXPECT_EQ(S_OK, CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                     reinterpret_cast<void**>(&m_graph)));
    if (m_graph) {
        EXPECT_EQ(S_OK, Query(m_graph, IID_IMediaControl, &m_control));
    }
}

Graph::~Graph() {
    Clear();
    if (m_control) {
        m_control->Release();
    }
    if (m_graph) {
        EXPECT_EQ(0u, m_graph->Release());
    }
}

void Graph::Add(IBaseFilter* filter, const wchar_t* name) {
    ASSERT_NE(nullptr, m_graph);
    ASSERT_EQ(S_OK, m_graph->AddFilter(filter, name));
}

void Graph::Clear() {
    if (!m_graph) {
        return;
    }
    if (m_control) {
        m_control->Stop();
    }
    IEnumFilters* filters = nullptr;
    if (FAILED(m_graph->EnumFilters(&filters))) {
        return;
    }
    IBaseFilter* filter = nullptr;
    while (filters->Next(1, &filter, nullptr) == S_OK) {
        m_graph->RemoveFilter(filter);
        filter->Release();
        filters->Reset();
    }
    filters->Release();
}

void PinTest::SetUp() {
    const HRESULT hr = CoInitialize(nullptr);
    ASSERT_TRUE(SUCCEEDED(hr)) << std::hex << hr;
    m_comInitialised = true;
    m_module = LoadLibraryW((BinaryDirectory() + L"KorvelGenICamSource.ax").c_str());
    ASSERT_NE(nullptr, m_module) << "cannot load the module, error " << GetLastError();
    auto getClassObject = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
        reinterpret_cast<void*>(GetProcAddress(m_module, "DllGetClassObject")));
    ASSERT_NE(nullptr, getClassObject);
    ASSERT_EQ(S_OK, getClassObject(CLSID_CKorvelGenICamSource, IID_IClassFactory,
                                   reinterpret_cast<void**>(&m_factory)));
    ASSERT_EQ(S_OK, CoRegisterClassObject(CLSID_CKorvelGenICamSource, m_factory, CLSCTX_INPROC_SERVER,
                                          REGCLS_MULTIPLEUSE, &m_registration));
    LoadCameras(BayerCameraProfile());
}

void PinTest::TearDown() {
    if (m_registration) {
        EXPECT_EQ(S_OK, CoRevokeClassObject(m_registration));
    }
    if (m_factory) {
        EXPECT_EQ(0u, m_factory->Release());
    }
    if (m_module) {
        auto canUnloadNow = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
            reinterpret_cast<void*>(GetProcAddress(m_module, "DllCanUnloadNow")));
        EXPECT_EQ(S_OK, canUnloadNow ? canUnloadNow() : E_UNEXPECTED);
        EXPECT_EQ(0u, Quill::Emulation::GetEmulationControl().GetLiveDeviceCount());
        FreeLibrary(m_module);
    }
    if (m_comInitialised) {
        CoUninitialize();
    }
}

void PinTest::ReleaseClassObject() {
    if (m_registration) {
        EXPECT_EQ(S_OK, CoRevokeClassObject(m_registration));
        m_registration = 0;
    }
    if (m_factory) {
        EXPECT_EQ(0u, m_factory->Release());
        m_factory = nullptr;
    }
}

void PinTest::LoadCameras(const std::string& profile) {
    GenICam::gcstring error;
    ASSERT_TRUE(Quill::Emulation::GetEmulationControl().LoadProfiles(profile.c_str(), &error))
        << error.c_str();
}

IBaseFilter* PinTest::CreateSource() {
    IBaseFilter* filter = nullptr;
    EXPECT_EQ(S_OK, CoCreateInstance(CLSID_CKorvelGenICamSource, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IBaseFilter, reinterpret_cast<void**>(&filter)));
    return filter;
}

IPin* PinTest::PinOf(IBaseFilter* filter, const wchar_t* id) {
    IPin* pin = nullptr;
    EXPECT_EQ(S_OK, filter->FindPin(id, &pin));
    return pin;
}

IBaseFilter* PinTest::CreateSystemFilter(REFCLSID clsid) {
    IBaseFilter* filter = nullptr;
    EXPECT_EQ(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                     reinterpret_cast<void**>(&filter)));
    return filter;
}
