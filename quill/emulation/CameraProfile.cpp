#include "quill/emulation/CameraProfile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>

#include "quill/emulation/PixelFormatTable.h"

namespace Quill {
namespace Emulation {

namespace {

bool ParseInteger(const std::string& text, int64_t& out) {
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(begin, &end, 10);
    if (end == begin || *end != '\0' || errno == ERANGE) {
        return false;
    }
    out = value;
    return true;
}

bool ParseNumber(const std::string& text, double& out) {
    const char* begin = text.c_str();
    char* end = nullptr;
    const double value = std::strtod(begin, &end);
    if (end == begin || *end != '\0' || !std::isfinite(value)) {
        return false;
    }
    out = value;
    return true;
}

bool ParseFlag(const std::string& text, bool& out) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    if (lower == "true" || lower == "yes" || lower == "on" || lower == "1") {
        out = true;
        return true;
    }
    if (lower == "false" || lower == "no" || lower == "off" || lower == "0") {
        out = false;
        return true;
    }
    return false;
}

std::vector<std::string> ParseList(const std::string& text) {
    std::vector<std::string> items;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(',', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string item = text.substr(start, end - start);
        const size_t first = item.find_first_not_of(" \t");
        const size_t last = item.find_last_not_of(" \t");
        if (first != std::string::npos) {
            items.push_back(item.substr(first, last - first + 1));
        }
        start = end + 1;
    }
    return items;
}

typedef std::function<bool(const std::string&)> Setter;

Setter Text(std::string& field) {
    return [&field](const std::string& value) {
        field = value;
        return true;
    };
}
Setter Integer(int64_t& field) {
    return [&field](const std::string& value) { return ParseInteger(value, field); };
}
Setter Number(double& field) {
    return [&field](const std::string& value) { return ParseNumber(value, field); };
}
Setter Flag(bool& field) {
    return [&field](const std::string& value) { return ParseFlag(value, field); };
}
Setter List(std::vector<std::string>& field) {
    return [&field](const std::string& value) {
        field = ParseList(value);
        return true;
    };
}

bool ApplyFromTable(const std::map<std::string, Setter>& table, const char* section, const std::string& key,
                    const std::string& value, std::string& error) {
    const auto found = table.find(key);
    if (found == table.end()) {
        error = "unknown key '" + key + "' in [" + section + "]";
        return false;
    }
    if (!found->second(value)) {
        error = "bad value '" + value + "' for key '" + key + "'";
        return false;
    }
    return true;
}

bool OnGrid(int64_t value, int64_t minimum, int64_t increment) {
    return value >= minimum && (value - minimum) % increment == 0;
}

}  // namespace

bool TransportProfile::Apply(const std::string& key, const std::string& value, std::string& error) {
    const std::map<std::string, Setter> table = {
        {"name", Text(name)},
        {"friendly_name", Text(friendlyName)},
        {"vendor", Text(vendor)},
        {"device_class", Text(deviceClass)},
        {"fail_create", Flag(failCreate)},
        {"fail_enumerate", Flag(failEnumerate)},
    };
    return ApplyFromTable(table, "transport", key, value, error);
}

bool TransportProfile::Validate(std::string& error) const {
    if (name.empty()) {
        error = "a [transport] block needs a name";
        return false;
    }
    return true;
}

bool CameraProfile::Apply(const std::string& key, const std::string& value, std::string& error) {
    const std::map<std::string, Setter> table = {
        {"transport", Text(transport)},
        {"serial", Text(serial)},
        {"vendor", Text(vendor)},
        {"model", Text(model)},
        {"max_width", Integer(maxWidth)},
        {"max_height", Integer(maxHeight)},
        {"width_min", Integer(widthMin)},
        {"width_inc", Integer(widthInc)},
        {"height_min", Integer(heightMin)},
        {"height_inc", Integer(heightInc)},
        {"width", Integer(width)},
        {"height", Integer(height)},
        {"pixel_formats", List(pixelFormats)},
        {"pixel_format", Text(pixelFormat)},
        {"exposure_min", Number(exposureMin)},
        {"exposure_max", Number(exposureMax)},
        {"exposure", Number(exposure)},
        {"exposure_time_base", Number(exposureTimeBase)},
        {"gain_min", Integer(gainMin)},
        {"gain_max", Integer(gainMax)},
        {"gain", Integer(gain)},
        {"frame_rate_min", Number(frameRateMin)},
        {"frame_rate_max", Number(frameRateMax)},
        {"frame_rate", Number(frameRate)},
        {"frame_rate_enable", Flag(frameRateEnable)},
        {"chunk_mode_active", Flag(chunkModeActive)},
        {"trigger_mode", Text(triggerMode)},
        {"trigger_source", Text(triggerSource)},
        {"row_time_us", Number(rowTimeUs)},
        {"readout_overhead_us", Number(readoutOverheadUs)},
        {"link_bandwidth", Number(linkBandwidth)},
        {"stream_channels", Integer(streamChannels)},
        {"missing_features", List(missingFeatures)},
        {"not_implemented_features", List(notImplementedFeatures)},
        {"open_elsewhere", Flag(openElsewhere)},
        {"grab_failure_rate", Number(grabFailureRate)},
        {"unplugged", Flag(unplugged)},
        {"unplug_after_frames", Integer(unplugAfterFrames)},
    };
    return ApplyFromTable(table, "camera", key, value, error);
}

bool CameraProfile::IsRuntimeKey(const std::string& key) {
    return key == "open_elsewhere" || key == "grab_failure_rate" || key == "unplugged" ||
           key == "unplug_after_frames";
}

const std::vector<std::string>& CameraProfile::FeatureNames() {
    static const std::vector<std::string> names = {"PixelFormat",
                                                   "Width",
                                                   "Height",
                                                   "PayloadSize",
                                                   "AcquisitionMode",
                                                   "AcquisitionStart",
                                                   "AcquisitionStop",
                                                   "AcquisitionFrameCount",
                                                   "AcquisitionFrameRateEnable",
                                                   "AcquisitionFrameRateAbs",
                                                   "ResultingFrameRateAbs",
                                                   "ExposureMode",
                                                   "ExposureTimeAbs",
                                                   "ExposureTimeRaw",
                                                   "ExposureTimeBaseAbs",
                                                   "GainSelector",
                                                   "GainRaw",
                                                   "TriggerMode",
                                                   "TriggerSource",
                                                   "TriggerSoftware",
                                                   "ChunkModeActive",
                                                   "DeviceVendorName",
                                                   "DeviceModelName",
                                                   "DeviceSerialNumber",
                                                   "TLParamsLocked"};
    return names;
}

bool CameraProfile::Validate(std::string& error) const {
    const std::string who = "camera '" + serial + "': ";
    if (serial.empty()) {
        error = "a [camera] block needs a serial";
        return false;
    }
    if (model.empty() || vendor.empty()) {
        error = who + "vendor and model must not be empty";
        return false;
    }
    if (widthMin < 1 || widthInc < 1 || heightMin < 1 || heightInc < 1 || maxWidth < widthMin ||
        maxHeight < heightMin) {
        error = who + "sizes need 1 <= minimum <= maximum and an increment of at least 1";
        return false;
    }
    if (!OnGrid(maxWidth, widthMin, widthInc) || !OnGrid(maxHeight, heightMin, heightInc)) {
        error = who + "max_width and max_height must be a minimum plus a multiple of the increment";
        return false;
    }
    if ((width != 0 && (!OnGrid(width, widthMin, widthInc) || width > maxWidth)) ||
        (height != 0 && (!OnGrid(height, heightMin, heightInc) || height > maxHeight))) {
        error = who + "width and height must be valid sizes of the camera";
        return false;
    }
    if (pixelFormats.empty()) {
        error = who + "pixel_formats must name at least one format";
        return false;
    }
    for (size_t i = 0; i < pixelFormats.size(); ++i) {
        const PixelFormatInfo* format = FindPixelFormat(pixelFormats[i]);
        if (format == nullptr) {
            error = who + "unknown pixel format '" + pixelFormats[i] +
                    "' (known: " + KnownPixelFormatNames() + ")";
            return false;
        }
        if (std::find(pixelFormats.begin(), pixelFormats.begin() + long(i), pixelFormats[i]) !=
            pixelFormats.begin() + long(i)) {
            error = who + "pixel format '" + pixelFormats[i] + "' is listed twice";
            return false;
        }
        const int64_t alignment = format->pixelAlignment;
        if (widthMin % alignment != 0 || widthInc % alignment != 0) {
            error = who + pixelFormats[i] + " needs width_min and width_inc to be multiples of " +
                    std::to_string(alignment);
            return false;
        }
        if (format->layout == PixelLayout::Bayer8 && (heightMin % 2 != 0 || heightInc % 2 != 0)) {
            error = who + pixelFormats[i] + " needs height_min and height_inc to be even";
            return false;
        }
    }
    if (!pixelFormat.empty() &&
        std::find(pixelFormats.begin(), pixelFormats.end(), pixelFormat) == pixelFormats.end()) {
        error = who + "pixel_format '" + pixelFormat + "' is not in pixel_formats";
        return false;
    }
    if (!(exposureTimeBase > 0) || !(exposureMin > 0) || exposureMin > exposure || exposure > exposureMax ||
        exposureMax < exposureTimeBase) {
        error = who + "exposure needs 0 < exposure_min <= exposure <= exposure_max and a positive time base";
        return false;
    }
    if (gainMin > gain || gain > gainMax) {
        error = who + "gain needs gain_min <= gain <= gain_max";
        return false;
    }
    if (!(frameRateMin > 0) || frameRateMin > frameRate || frameRate > frameRateMax) {
        error = who + "frame rate needs 0 < frame_rate_min <= frame_rate <= frame_rate_max";
        return false;
    }
    if (triggerMode != "On" && triggerMode != "Off") {
        error = who + "trigger_mode must be On or Off";
        return false;
    }
    if (triggerSource != "Line1" && triggerSource != "Line2" && triggerSource != "Software") {
        error = who + "trigger_source must be Line1, Line2 or Software";
        return false;
    }
    if (rowTimeUs < 0 || readoutOverheadUs < 0 || !(linkBandwidth > 0)) {
        error =
            who + "row_time_us and readout_overhead_us must not be negative, link_bandwidth must be positive";
        return false;
    }
    if (streamChannels != 0 && streamChannels != 1) {
        error = who + "stream_channels must be 0 or 1";
        return false;
    }
    for (const std::vector<std::string>* list : {&missingFeatures, &notImplementedFeatures}) {
        for (const std::string& name : *list) {
            if (std::find(FeatureNames().begin(), FeatureNames().end(), name) == FeatureNames().end()) {
                error = who + "'" + name + "' is not a feature of the emulated cameras";
                return false;
            }
        }
    }
    if (grabFailureRate < 0 || grabFailureRate > 1) {
        error = who + "grab_failure_rate must lie between 0 and 1";
        return false;
    }
    if (unplugAfterFrames < 0) {
        error = who + "unplug_after_frames must not be negative";
        return false;
    }
    return true;
}

}  // namespace Emulation
}  // namespace Quill
