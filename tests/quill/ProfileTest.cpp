// Choosing the emulated cameras with profiles: text, file and environment.
#include <cstdlib>
#include <fstream>

#include "QuillTestSupport.h"

namespace QuillTest {
namespace {

using namespace Quill;

void SetEnvironment(const char* name, const char* value) {
#ifdef _WIN32
    _putenv_s(name, value != nullptr ? value : "");
#else
    if (value != nullptr) {
        setenv(name, value, 1);
    } else {
        unsetenv(name);
    }
#endif
}

const char kThreeCameras[] = R"(
# One layer, three cameras.
[transport]
name = Bench
friendly_name = Bench cameras

[camera]
serial = B1
model = Small
max_width = 640
max_height = 480
pixel_formats = Mono8, BayerGR8, BayerGB8, RGB8Packed, RGBA8Packed, Mono16
pixel_format = BayerGR8

[camera]
serial = B2
vendor = Other
model = Wide
max_width = 2048
max_height = 1536
width_min = 64
width_inc = 16

[camera]
serial = B3
model = Gone
unplugged = true
)";

class ProfileTest : public QuillTest {};

TEST_F(ProfileTest, ProfileTextChoosesLayersAndCameras) {
    GenICam::gcstring error;
    ASSERT_TRUE(Emulator().LoadProfiles(kThreeCameras, &error)) << error;
    TlInfoList layers;
    ASSERT_EQ(1, CTlFactory::GetInstance().EnumerateTls(layers));
    EXPECT_EQ("Bench", layers[0].GetTlName());
    EXPECT_EQ("Bench cameras", layers[0].GetFriendlyName());

    const std::vector<ListedCamera> cameras = ListCameras();
    ASSERT_EQ(2u, cameras.size());
    EXPECT_EQ("Korvel Small (B1)", cameras[0].info.GetFullName());
    EXPECT_EQ("Other Wide (B2)", cameras[1].info.GetFullName());

    Device small("B1");
    EXPECT_EQ(640, small.Integer("Width")->GetMax());
    EXPECT_EQ("BayerGR8", small.Enumeration("PixelFormat")->ToString());
    small.UseSize(320, 240, "RGBA8Packed");
    GrabSession session(small, 2);
    session.Start();
    GrabResult result;
    ASSERT_TRUE(session.Next(result));
    EXPECT_TRUE(ReadFrame(result, "RGBA8Packed").Agree());

    ASSERT_TRUE(Emulator().Replug("B3"));
    EXPECT_EQ(3u, ListCameras().size());
}

TEST_F(ProfileTest, BadProfilesAreRefusedWithTheirReason) {
    const struct {
        const char* text;
        const char* reason;
    } cases[] = {
        {"[transport]\nname = T\nspeed = 3\n", "line 3: unknown key 'speed'"},
        {"[transport]\nname = T\n[camera]\nserial = A\nmax_width = wide\n", "bad value 'wide'"},
        {"[lens]\n", "unknown section"},
        {"serial = A\n", "outside a [transport] or [camera] block"},
        {"[transport]\nname = T\n[camera]\nmodel = M\n", "needs a serial"},
        {"[transport]\nname = T\n[camera]\nserial = A\n[camera]\nserial = A\n", "used by two cameras"},
        {"[camera]\nserial = A\n", "transport layer '' is not declared"},
        {"[transport]\nname = T\n[camera]\nserial = A\npixel_formats = Mono8, Mono99\n",
         "unknown pixel format 'Mono99'"},
        {"[transport]\nname = T\n[camera]\nserial = A\nwidth_inc = 4\npixel_formats = YUV411Packed\n",
         "multiples of 8"},
        {"[transport]\nname = T\n[camera]\nserial = A\nmissing_features = Gain\n", "'Gain' is not a feature"},
        {"[transport]\nname = T\n[camera]\nserial = A\nexposure = 5\n", "exposure needs"},
        {"[transport]\nname = T\n[transport]\nname = T\n", "declared twice"},
        {"[transport]\nname = T\nline without equals\n", "expected 'key = value'"},
    };
    for (const auto& entry : cases) {
        GenICam::gcstring error;
        EXPECT_FALSE(Emulator().LoadProfiles(entry.text, &error)) << entry.text;
        EXPECT_NE(std::string::npos, error.str().find(entry.reason)) << error;
        EXPECT_EQ(error, Emulator().GetLastProfileError());
        // Nothing changed.
        EXPECT_EQ(2u, ListCameras().size());
    }
}

TEST_F(ProfileTest, ProfileFileNamedByTheEnvironment) {
    const std::string path = ::testing::TempDir() + "quill_profile_test.ini";
    {
        std::ofstream file(path, std::ios::binary);
        file << kThreeCameras;
    }
    SetEnvironment("QUILL_EMULATION_PROFILE", path.c_str());
    GenICam::gcstring error;
    EXPECT_TRUE(Emulator().ReloadFromEnvironment(&error)) << error;
    EXPECT_EQ(2u, ListCameras().size());
    EXPECT_EQ("Korvel Small (B1)", ListCameras()[0].info.GetFullName());

    const std::string missing = path + ".missing";
    SetEnvironment("QUILL_EMULATION_PROFILE", missing.c_str());
    EXPECT_FALSE(Emulator().ReloadFromEnvironment(&error));
    EXPECT_NE(std::string::npos, error.str().find("cannot read"));
    EXPECT_EQ("Korvel Small (B1)", ListCameras()[0].info.GetFullName());

    SetEnvironment("QUILL_EMULATION_PROFILE", nullptr);
    EXPECT_TRUE(Emulator().ReloadFromEnvironment(&error));
    EXPECT_EQ(kColourName, ListCameras()[0].info.GetFullName());
    std::remove(path.c_str());
}

TEST_F(ProfileTest, DefaultProfileTextDescribesTheDefaultCameras) {
    const GenICam::gcstring text = Emulator().GetDefaultProfileText();
    ASSERT_TRUE(Emulator().LoadProfiles(text.c_str()));
    const std::vector<ListedCamera> cameras = ListCameras();
    ASSERT_EQ(2u, cameras.size());
    EXPECT_EQ(kColourName, cameras[0].info.GetFullName());
    EXPECT_EQ(kMonoName, cameras[1].info.GetFullName());
    const GenICam::gcstring_vector serials = Emulator().GetCameraSerials();
    ASSERT_EQ(2u, serials.size());
    EXPECT_EQ(kColourSerial, serials[0]);
}

TEST_F(ProfileTest, ReloadingRemovesTheOldCameras) {
    Device device(kColourSerial);
    device.UseSize(320, 240);
    GrabSession session(device, 3);
    session.Start();
    bool called = false;
    struct Client {
        bool* called;
        void OnRemoved(IQuillDevice*) { *called = true; }
    } client{&called};
    device->RegisterRemovalCallback(make_MemberFunctionCallback(client, &Client::OnRemoved));
    ASSERT_TRUE(Emulator().LoadProfiles(kThreeCameras));
    // Loading joins the notifier, so the callback has run.
    EXPECT_TRUE(called);
    EXPECT_THROW(device->IsOpen(), GenICam::RuntimeException);
}

}  // namespace
}  // namespace QuillTest
