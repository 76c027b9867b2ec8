#include "quill/emulation/ProfileParser.h"

#include <fstream>
#include <set>
#include <sstream>

namespace Quill {
namespace Emulation {

namespace {

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return std::string();
    }
    const size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

const char kDefaultProfile[] = R"(# Built-in emulated cameras: a colour camera on a USB3-like transport layer
# and a monochrome camera on a GigE-like one.
[transport]
name = QuillUsb
friendly_name = Quill USB3 Vision (emulated)
device_class = QuillUsb

[transport]
name = QuillGigE
friendly_name = Quill GigE Vision (emulated)
device_class = QuillGigE

[camera]
transport = QuillUsb
serial = E1000001
model = KV-C1920
max_width = 1920
max_height = 1200
width_min = 32
width_inc = 8
height_min = 16
height_inc = 2
pixel_formats = Mono8, BayerRG8, BayerBG8, YUV422Packed, YUV422_YUYV_Packed, BGR8Packed, BGRA8Packed, YUV411Packed, Mono12
pixel_format = BayerRG8
row_time_us = 12
readout_overhead_us = 500
link_bandwidth = 380000000

[camera]
transport = QuillGigE
serial = E2000001
model = KV-M1280
max_width = 1280
max_height = 960
width_min = 16
width_inc = 4
height_min = 16
height_inc = 2
pixel_formats = Mono8, Mono12
row_time_us = 14
readout_overhead_us = 500
link_bandwidth = 115000000
)";

}  // namespace

const char* ProfileParser::DefaultProfileText() {
    return kDefaultProfile;
}

bool ProfileParser::Parse(const std::string& text, ProfileSet& profiles, std::string& error) {
    ProfileSet parsed;
    enum class Section { None, Transport, Camera } section = Section::None;
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        const std::string where = "line " + std::to_string(number) + ": ";
        const size_t comment = line.find('#');
        if (comment != std::string::npos) {
            line.erase(comment);
        }
        line = Trim(line);
        if (line.empty()) {
            continue;
        }
        if (line.front() == '[') {
            if (line == "[transport]") {
                section = Section::Transport;
                parsed.transports.emplace_back();
            } else if (line == "[camera]") {
                section = Section::Camera;
                parsed.cameras.emplace_back();
                // A camera belongs to the layer declared last unless it names one.
                if (!parsed.transports.empty()) {
                    parsed.cameras.back().transport = parsed.transports.back().name;
                }
            } else {
                error = where + "unknown section " + line + " (expected [transport] or [camera])";
                return false;
            }
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string::npos) {
            error = where + "expected 'key = value'";
            return false;
        }
        const std::string key = Trim(line.substr(0, equals));
        const std::string value = Trim(line.substr(equals + 1));
        std::string problem;
        bool applied = false;
        if (section == Section::Transport) {
            applied = parsed.transports.back().Apply(key, value, problem);
        } else if (section == Section::Camera) {
            applied = parsed.cameras.back().Apply(key, value, problem);
        } else {
            problem = "key '" + key + "' outside a [transport] or [camera] block";
        }
        if (!applied) {
            error = where + problem;
            return false;
        }
    }

    std::set<std::string> transportNames;
    for (const TransportProfile& transport : parsed.transports) {
        if (!transport.Validate(error)) {
            return false;
        }
        if (!transportNames.insert(transport.name).second) {
            error = "transport layer '" + transport.name + "' is declared twice";
            return false;
        }
    }
    std::set<std::string> serials;
    for (const CameraProfile& camera : parsed.cameras) {
        if (!camera.Validate(error)) {
            return false;
        }
        if (!serials.insert(camera.serial).second) {
            error = "serial number '" + camera.serial + "' is used by two cameras";
            return false;
        }
        if (transportNames.count(camera.transport) == 0) {
            error = "camera '" + camera.serial + "': transport layer '" + camera.transport +
                    "' is not declared (declare a [transport] block before it)";
            return false;
        }
    }
    profiles = std::move(parsed);
    return true;
}

bool ProfileParser::ParseFile(const std::string& path, ProfileSet& profiles, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot read profile file '" + path + "'";
        return false;
    }
    std::ostringstream text;
    text << file.rdbuf();
    if (!Parse(text.str(), profiles, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

}  // namespace Emulation
}  // namespace Quill
