// The page in the system's property frame (OleCreatePropertyFrame), with the
// real filter and, when the build has it, the real configuration library
// beside the module. The frame is modal: a second thread finds it, works the
// page through window messages, checks and closes it.
#include "PageTestSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

#include "PngWriter.h"
#include "quill/EmulationControl.h"

namespace {

class PropertyFrame : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        m_oleInitialised = true;
        Quill::Emulation::GetEmulationControl().LoadDefaultProfiles();
        m_module = new ModuleClasses(BinaryDirectory() + L"KorvelGenICamSource.ax");
        ASSERT_NE(nullptr, m_module->Module());
        // The frame creates the page through COM: the class object of the
        // module serves it for this process, without touching the registry.
        ASSERT_EQ(S_OK, m_module->Register(CLSID_KorvelCameraSetupPage));
        ASSERT_EQ(S_OK, m_module->Create(CLSID_CKorvelGenICamSource, IID_IBaseFilter,
                                         reinterpret_cast<void**>(&m_filter)));
        ASSERT_EQ(S_OK,
                  m_filter->QueryInterface(IID_IKorvelGenICamSource, reinterpret_cast<void**>(&m_source)));
    }

    void TearDown() override {
        if (m_source) {
            m_source->Release();
        }
        if (m_filter) {
            EXPECT_EQ(0u, m_filter->Release());
        }
        if (m_module) {
            // The frame has let go of its page, and the page of the filter.
            m_module->RevokeAll();
            EXPECT_EQ(S_OK, m_module->CanUnloadNow());
        }
        delete m_module;
        if (m_oleInitialised) {
            OleUninitialize();
        }
    }

    std::string SelectedCamera() {
        BSTR cameraId = nullptr;
        std::string text;
        if (SUCCEEDED(m_source->GetSelectedCamera(&cameraId)) && cameraId) {
            const std::wstring wide(cameraId);
            text.assign(wide.begin(), wide.end());
        }
        SysFreeString(cameraId);
        return text;
    }

    HRESULT Select(const char* cameraId) {
        const std::string narrow(cameraId);
        BSTR text = SysAllocString(std::wstring(narrow.begin(), narrow.end()).c_str());
        const HRESULT hr = m_source->SelectCamera(text);
        SysFreeString(text);
        return hr;
    }

    void ExpectNoFailures(const std::vector<std::string>& failures) {
        for (const std::string& failure : failures) {
            ADD_FAILURE() << failure;
        }
    }

    static bool RealLibraryPresent() {
        return GetFileAttributesW((BinaryDirectory() + L"OrelGenICamConfig.dll").c_str()) !=
               INVALID_FILE_ATTRIBUTES;
    }

    static int IndexOf(HWND combo, const char* text) {
        const std::vector<std::string> items = ComboItems(combo);
        for (size_t index = 0; index < items.size(); ++index) {
            if (items[index] == text) {
                return static_cast<int>(index);
            }
        }
        return -1;
    }

    ModuleClasses* m_module = nullptr;
    IBaseFilter* m_filter = nullptr;
    IKorvelGenICamSource* m_source = nullptr;
    bool m_oleInitialised = false;
};

// Pixels of one rectangle of a screenshot.
struct Region {
    std::set<uint32_t> colours;
    int edges = 0;
};

Region Examine(const std::vector<uint8_t>& rgb, uint32_t width, uint32_t height, RECT area) {
    Region region;
    area.left = std::max<LONG>(area.left, 0);
    area.top = std::max<LONG>(area.top, 0);
    area.right = std::min<LONG>(area.right, static_cast<LONG>(width));
    area.bottom = std::min<LONG>(area.bottom, static_cast<LONG>(height));
    for (LONG y = area.top; y < area.bottom; ++y) {
        for (LONG x = area.left; x < area.right; ++x) {
            const uint8_t* pixel = &rgb[(static_cast<size_t>(y) * width + x) * 3];
            region.colours.insert(pixel[0] << 16 | pixel[1] << 8 | pixel[2]);
            if (x + 1 < area.right) {
                const uint8_t* next = pixel + 3;
                if (std::abs(pixel[0] - next[0]) + std::abs(pixel[1] - next[1]) +
                        std::abs(pixel[2] - next[2]) >
                    96) {
                    ++region.edges;
                }
            }
        }
    }
    return region;
}

// A control's rectangle in the frame window's coordinates.
RECT RectIn(HWND frame, HWND control, int inset = 0) {
    RECT rect = {};
    GetWindowRect(control, &rect);
    RECT origin = {};
    GetWindowRect(frame, &origin);
    OffsetRect(&rect, -origin.left, -origin.top);
    InflateRect(&rect, -inset, -inset);
    return rect;
}

}  // namespace

TEST_F(PropertyFrame, ListsBothCamerasAndTheUserLevels) {
    const bool realLibrary = RealLibraryPresent();
    ExpectNoFailures(FrameDriver::Run(m_filter, [&](FrameDriver& frame) {
        const HWND cameras = frame.Item(kCameraCombo);
        frame.Expect([&] { return ComboItems(cameras).size() == 2; }, 5000,
                     "combo 1001 does not hold two items");
        const std::vector<std::string> items = ComboItems(cameras);
        if (items != std::vector<std::string>{kColourCamera, kMonoCamera}) {
            frame.Fail("combo 1001 holds " + (items.empty() ? std::string("nothing") : items[0] + ", ..."));
        }
        if (!IsWindowEnabled(cameras)) {
            frame.Fail("combo 1001 is disabled");
        }
        if (ComboSelection(cameras) != SelectedCamera()) {
            frame.Fail("combo 1001 shows " + ComboSelection(cameras) + ", the filter uses " +
                       SelectedCamera());
        }
        if (ComboItems(frame.Item(kUserLevelCombo)) !=
            std::vector<std::string>{"Beginner", "Expert", "Guru"}) {
            frame.Fail("combo 103 does not hold Beginner, Expert, Guru");
        }
        const HWND configFrame = frame.Item(kConfigFrame);
        if (!configFrame || (GetWindowLongW(configFrame, GWL_STYLE) & SS_TYPEMASK) != SS_BLACKFRAME) {
            frame.Fail("control 1002 is not a black frame");
        }
        if (realLibrary) {
            // The configuration library's dialog sits inside the frame, and
            // the user-level combo shows its level.
            frame.Expect([&] { return GetWindow(configFrame, GW_CHILD) != nullptr; }, 5000,
                         "no window of the configuration library inside control 1002");
            if (ComboSelection(frame.Item(kUserLevelCombo)).empty()) {
                frame.Fail("combo 103 shows no user level although the library is there");
            }
        }
    }));
    EXPECT_EQ(kColourCamera, SelectedCamera());
}

TEST_F(PropertyFrame, RefusedCameraChangeShowsTheMessageAndKeepsTheCamera) {
    CaptureGraph graph(m_filter);
    ASSERT_TRUE(graph.Connected());
    const std::string before = SelectedCamera();
    ASSERT_EQ(kColourCamera, before);
    ExpectNoFailures(FrameDriver::Run(m_filter, [&](FrameDriver& frame) {
        const HWND cameras = frame.Item(kCameraCombo);
        const int other = IndexOf(cameras, kMonoCamera);
        if (other < 0) {
            frame.Fail("the other camera is not listed");
            return;
        }
        PostComboChoice(frame.Page(), kCameraCombo, other);
        HWND box = nullptr;
        if (!frame.Expect([&] { return (box = FindDialog(frame.UiThread(), kMessageCaption)) != nullptr; },
                          5000, "no message box with the caption \"Korvel GenICam Source\"")) {
            return;
        }
        bool textFound = false;
        for (HWND child : FindDescendants(box, L"Static")) {
            textFound = textFound || WindowText(child) == kCameraChangeFailedText;
        }
        if (!textFound) {
            frame.Fail("the message box does not show the expected text");
        }
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        frame.Expect([&] { return !IsWindow(box); }, 5000, "the message box did not close");
        frame.Expect([&] { return ComboSelection(cameras) == before; }, 5000,
                     "combo 1001 is not back on the camera in use");
    }));
    EXPECT_EQ(before, SelectedCamera());
}

TEST_F(PropertyFrame, CameraChangeWhileUnconnectedSwitchesTheFilter) {
    ASSERT_EQ(kColourCamera, SelectedCamera());
    ExpectNoFailures(FrameDriver::Run(m_filter, [&](FrameDriver& frame) {
        const HWND cameras = frame.Item(kCameraCombo);
        for (const char* cameraId : {kMonoCamera, kColourCamera}) {
            const int index = IndexOf(cameras, cameraId);
            if (index < 0) {
                frame.Fail(std::string(cameraId) + " is not listed");
                return;
            }
            PostComboChoice(frame.Page(), kCameraCombo, index);
            frame.Expect([&] { return SelectedCamera() == cameraId; }, 5000,
                         std::string("the filter did not switch to ") + cameraId);
            // No message on the way, and the combo stays on the choice.
            Sleep(600);
            if (FindDialog(frame.UiThread(), kMessageCaption)) {
                frame.Fail("a message box appeared for a change that succeeded");
            }
            if (ComboSelection(cameras) != cameraId) {
                frame.Fail("combo 1001 left the chosen camera");
            }
        }
    }));
    EXPECT_EQ(kColourCamera, SelectedCamera());
}

TEST_F(PropertyFrame, FollowsACameraChangeMadeElsewhere) {
    ExpectNoFailures(FrameDriver::Run(m_filter, [&](FrameDriver& frame) {
        const HWND cameras = frame.Item(kCameraCombo);
        frame.Expect([&] { return ComboSelection(cameras) == kColourCamera; }, 5000,
                     "combo 1001 is not on the colour camera");
        for (const char* cameraId : {kMonoCamera, kColourCamera}) {
            if (Select(cameraId) != S_OK) {
                frame.Fail(std::string("SelectCamera failed for ") + cameraId);
                return;
            }
            // The page's timer runs every 500 ms.
            frame.Expect([&] { return ComboSelection(cameras) == cameraId; }, 3000,
                         std::string("combo 1001 did not follow to ") + cameraId);
        }
    }));
}

TEST_F(PropertyFrame, ScreenshotShowsThePage) {
    const bool realLibrary = RealLibraryPresent();
    const std::wstring path = OutputDirectory() + L"camera-setup-page.png";
    DeleteFileW(path.c_str());
    ExpectNoFailures(FrameDriver::Run(m_filter, [&](FrameDriver& frame) {
        // Let the frame, the page and the embedded dialog paint.
        Sleep(1500);
        uint32_t width = 0;
        uint32_t height = 0;
        std::vector<uint8_t> rgb;
        if (!CaptureWindow(frame.Frame(), &width, &height, &rgb)) {
            frame.Fail("cannot capture the frame");
            return;
        }
        if (!WritePng(path, width, height, rgb)) {
            frame.Fail("cannot write the screenshot");
        }
        const Region whole =
            Examine(rgb, width, height, RECT{0, 0, static_cast<LONG>(width), static_cast<LONG>(height)});
        if (whole.colours.size() < 4) {
            frame.Fail("the screenshot is nearly blank: " + std::to_string(whole.colours.size()) +
                       " colours");
        }
        // The combos draw borders, text and a drop-down button.
        for (int id : {kCameraCombo, kUserLevelCombo}) {
            const Region combo = Examine(rgb, width, height, RectIn(frame.Frame(), frame.Item(id)));
            if (combo.colours.size() < 3 || combo.edges < 20) {
                frame.Fail("combo " + std::to_string(id) +
                           " is not drawn: " + std::to_string(combo.colours.size()) + " colours, " +
                           std::to_string(combo.edges) + " edges");
            }
        }
        if (realLibrary) {
            const Region inside =
                Examine(rgb, width, height, RectIn(frame.Frame(), frame.Item(kConfigFrame), 4));
            if (inside.colours.size() < 3 || inside.edges < 50) {
                frame.Fail("the configuration dialog is not drawn inside control 1002: " +
                           std::to_string(inside.colours.size()) + " colours, " +
                           std::to_string(inside.edges) + " edges");
            }
        }
    }));
    // The file is a PNG of the frame.
    FILE* file = _wfopen(path.c_str(), L"rb");
    ASSERT_NE(nullptr, file);
    unsigned char header[24] = {};
    const size_t read = std::fread(header, 1, sizeof(header), file);
    std::fclose(file);
    ASSERT_EQ(sizeof(header), read);
    EXPECT_EQ(0, std::memcmp(header, "\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(0, std::memcmp(header + 12, "IHDR", 4));
}

TEST(PngWriter, WritesStoredDeflateWithValidChecksums) {
    // Known values: CRC-32 and Adler-32 of "123456789".
    const uint8_t digits[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(0xCBF43926u, Crc32(digits, sizeof(digits)));
    EXPECT_EQ(0x091E01DEu, Adler32(digits, sizeof(digits)));
    // Over 65535 bytes of image data: more than one stored block.
    const uint32_t width = 200;
    const uint32_t height = 120;
    std::vector<uint8_t> rgb(width * height * 3, 0x5A);
    const std::vector<uint8_t> png = EncodePng(width, height, rgb);
    ASSERT_GT(png.size(), rgb.size());
    EXPECT_TRUE(EncodePng(width, height + 1, rgb).empty());
    // IHDR's CRC covers its type and data.
    EXPECT_EQ(Crc32(png.data() + 12, 17),
              static_cast<uint32_t>(png[29] << 24 | png[30] << 16 | png[31] << 8 | png[32]));
    // Two stored blocks: the first not final, 65535 bytes long.
    const size_t zlibAt = 33 + 8;
    EXPECT_EQ(0x78, png[zlibAt]);
    EXPECT_EQ(0, png[zlibAt + 2]);
    EXPECT_EQ(0xFF, png[zlibAt + 3]);
    EXPECT_EQ(0xFF, png[zlibAt + 4]);
    EXPECT_EQ(1, png[zlibAt + 2 + 5 + 65535]);
}
