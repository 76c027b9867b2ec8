// Helpers of the output-pin tests. The module is loaded from beside the tests
// and its class object registered with COM for the process; the filter is
// then created with CoCreateInstance and placed in real Wine filter graphs.
// The cameras are emulated and chosen through the SDK's in-process control.
#pragma once

#include <windows.h>
#include <dshow.h>

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "baseclasses/MediaType.h"

// FOURCC subtypes that uuids.h lacks.
constexpr GUID FourccSubtype(char a, char b, char c, char d) {
    return GUID{
        static_cast<unsigned long>(static_cast<unsigned char>(a) | (static_cast<unsigned char>(b) << 8) |
                                   (static_cast<unsigned char>(c) << 16) |
                                   (static_cast<unsigned long>(static_cast<unsigned char>(d)) << 24)),
        0x0000,
        0x0010,
        {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
}
inline constexpr GUID kSubtypeY800 = FourccSubtype('Y', '8', '0', '0');
inline constexpr GUID kSubtypeI420 = FourccSubtype('I', '4', '2', '0');
inline constexpr GUID kSubtypeBYRG = FourccSubtype('B', 'Y', 'R', 'G');

// Wine's Null Renderer and Sample Grabber; the symbols are in strmiids but no
// header declares them.
inline constexpr CLSID kNullRenderer = {
    0xc1f400a4, 0x3f08, 0x11d3, {0x9f, 0x0b, 0x00, 0x60, 0x08, 0x03, 0x9e, 0x37}};
inline constexpr CLSID kSampleGrabber = {
    0xc1f400a0, 0x3f08, 0x11d3, {0x9f, 0x0b, 0x00, 0x60, 0x08, 0x03, 0x9e, 0x37}};

// One camera, serial P1, "Korvel KV-C640 (P1)": 640 x 480 at most, limited to
// 30 frames per second, delivering BayerRG8 and able to switch to Mono8.
std::string BayerCameraProfile();
// The same camera with Mono8 only.
std::string MonoCameraProfile();

struct MediaTypeDeleter {
    void operator()(AM_MEDIA_TYPE* type) const { DeleteMediaType(type); }
};
typedef std::unique_ptr<AM_MEDIA_TYPE, MediaTypeDeleter> MediaTypePtr;

// A video type as a client would write it: VIDEOINFOHEADER (or the 2 form)
// with only the size, the frame time and the bit count of the subtype.
CMediaType VideoType(const GUID& subtype, LONG width, LONG height, REFERENCE_TIME frameTime = 333333,
                     bool videoInfo2 = false);
inline HRESULT QueryAcceptOf(IPin* pin, const CMediaType& type) {
    return pin->QueryAccept(&type);
}
inline HRESULT SetFormatTo(IAMStreamConfig* config, CMediaType type) {
    return config->SetFormat(&type);
}
// The bitmap header of a type with a full-length video block, else null.
const BITMAPINFOHEADER* BitmapHeader(const AM_MEDIA_TYPE& type);
REFERENCE_TIME FrameTimeOf(const AM_MEDIA_TYPE& type);

template <typename T>
HRESULT Query(IUnknown* object, REFIID iid, T** out) {
    *out = nullptr;
    return object->QueryInterface(iid, reinterpret_cast<void**>(out));
}

// A filter graph with its IMediaControl; releases both.
class Graph {
  public:
    Graph();
    ~Graph();
    Graph(const Graph&) = delete;
    Graph& operator=(const Graph&) = delete;

    IGraphBuilder* Builder() const { return m_graph; }
    IMediaControl* Control() const { return m_control; }
    void Add(IBaseFilter* filter, const wchar_t* name);
    // Stops the graph and removes every filter, so that all connections end.
    void Clear();

  private:
    IGraphBuilder* m_graph = nullptr;
    IMediaControl* m_control = nullptr;
};

class PinTest : public ::testing::Test {
  protected:
    void SetUp() override;
    // Checks that the module has no object left and the SDK no device.
    void TearDown() override;

    void LoadCameras(const std::string& profile);
    // A new source filter through COM; fails the case unless it is created.
    IBaseFilter* CreateSource();
    // The filter's pin of that identifier, with a reference.
    static IPin* PinOf(IBaseFilter* filter, const wchar_t* id);
    // A new filter of a system class.
    static IBaseFilter* CreateSystemFilter(REFCLSID clsid);
    // Revokes and releases the module's class object before TearDown, so
    // that DllCanUnloadNow answers for the case's own objects alone.
    void ReleaseClassObject();

  private:
    HMODULE m_module = nullptr;
    IClassFactory* m_factory = nullptr;
    DWORD m_registration = 0;
    bool m_comInitialised = false;
};
