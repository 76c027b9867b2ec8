// What an emulated transport layer and an emulated camera are made of: the
// settings of one [transport] or [camera] block of a profile.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Quill {
namespace Emulation {

struct TransportProfile {
    std::string name;  // the layer's TlName; unique
    std::string friendlyName;
    std::string vendor = "Korvel";
    std::string deviceClass;
    bool failCreate = false;     // CTlFactory::CreateTl gives null
    bool failEnumerate = false;  // EnumerateDevices throws

    // Sets one key; false with a message for an unknown key or a bad value.
    bool Apply(const std::string& key, const std::string& value, std::string& error);
    bool Validate(std::string& error) const;
};

struct CameraProfile {
    std::string transport;
    std::string serial;
    std::string vendor = "Korvel";
    std::string model = "KV-M1280";

    int64_t maxWidth = 1280;
    int64_t maxHeight = 960;
    int64_t widthMin = 16;
    int64_t widthInc = 4;
    int64_t heightMin = 16;
    int64_t heightInc = 2;
    int64_t width = 0;  // 0: the maximum
    int64_t height = 0;
    std::vector<std::string> pixelFormats{"Mono8"};
    std::string pixelFormat;  // empty: the first of pixelFormats

    double exposureMin = 20.0;  // microseconds
    double exposureMax = 1000000.0;
    double exposure = 10000.0;
    double exposureTimeBase = 20.0;  // microseconds per ExposureTimeRaw step
    int64_t gainMin = 0;
    int64_t gainMax = 1000;
    int64_t gain = 0;
    double frameRateMin = 1.0;
    double frameRateMax = 1000.0;
    double frameRate = 30.0;
    bool frameRateEnable = false;
    bool chunkModeActive = false;
    std::string triggerMode = "Off";
    std::string triggerSource = "Line1";

    double rowTimeUs = 14.0;             // sensor read-out time per row
    double readoutOverheadUs = 500.0;    // fixed part of every read-out
    double linkBandwidth = 115000000.0;  // bytes per second

    int64_t streamChannels = 1;
    std::vector<std::string> missingFeatures;
    std::vector<std::string> notImplementedFeatures;
    bool openElsewhere = false;
    double grabFailureRate = 0.0;
    bool unplugged = false;
    int64_t unplugAfterFrames = 0;

    std::string FullName() const { return vendor + " " + model + " (" + serial + ")"; }
    std::string FriendlyName() const { return model + " (" + serial + ")"; }

    bool Apply(const std::string& key, const std::string& value, std::string& error);
    bool Validate(std::string& error) const;

    // Keys that act on a camera at once, whatever devices exist; all others
    // shape the camera's features and apply when it powers up again.
    static bool IsRuntimeKey(const std::string& key);
    // Names of the device features, the ones missing_features and
    // not_implemented_features may name.
    static const std::vector<std::string>& FeatureNames();
};

}  // namespace Emulation
}  // namespace Quill
