#include "tools/capture/CaptureOptions.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

bool ParseInt(const std::string& text, int* value) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || parsed <= 0 || parsed > 65535) {
        return false;
    }
    *value = static_cast<int>(parsed);
    return true;
}

bool ParseDouble(const std::string& text, double* value) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    const double parsed = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(parsed) || parsed <= 0.0) {
        return false;
    }
    *value = parsed;
    return true;
}

bool ParseSize(const std::string& text, int* width, int* height) {
    const size_t x = text.find_first_of("xX");
    if (x == std::string::npos) {
        return false;
    }
    return ParseInt(text.substr(0, x), width) && ParseInt(text.substr(x + 1), height);
}

}  // namespace

const char* CaptureUsage() {
    return "Usage: korvel-capture [options]\n"
           "  --list                 list the system's video input devices\n"
           "  --device NAME|INDEX    the device to use (default \"Korvel GenICam Source\")\n"
           "  --caps                 list the device's capabilities and the capture pin's formats\n"
           "  --camera-format NAME   the device's own format, e.g. BayerRG8, Mono8 (IAMStreamConfig)\n"
           "  --format NAME          the recorded format: RGB24, RGB32, YUY2, UYVY, I420, Y800, ...\n"
           "                         (default RGB24 when offered)\n"
           "  --size WxH             picture size, e.g. 1920x1200\n"
           "  --fps RATE             frame rate\n"
           "  --seconds N            recording time (default 5)\n"
           "  --output FILE.avi      record into this AVI file\n"
           "  --snapshot FILE        write the first frame as .bmp or .png\n"
           "  --preview              connect the preview pin as well (into a null sink)\n"
           "  --quiet                no live progress line\n"
           "  --help                 this text\n"
           "Exit codes: 0 success, 1 failure, 2 bad arguments, 3 no device, 4 format refused,\n"
           "5 file not writable, 6 no frame delivered.\n";
}

bool ParseCaptureOptions(int argc, char** argv, CaptureOptions* options, std::string* error) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        std::string name = argument;
        std::string value;
        bool hasInlineValue = false;
        const size_t equals = argument.find('=');
        if (argument.rfind("--", 0) == 0 && equals != std::string::npos) {
            name = argument.substr(0, equals);
            value = argument.substr(equals + 1);
            hasInlineValue = true;
        }
        auto takeValue = [&](std::string* target) -> bool {
            if (hasInlineValue) {
                *target = value;
                return true;
            }
            if (i + 1 >= argc) {
                *error = name + " needs a value";
                return false;
            }
            *target = argv[++i];
            return true;
        };
        auto flag = [&](bool* target) -> bool {
            if (hasInlineValue) {
                *error = name + " takes no value";
                return false;
            }
            *target = true;
            return true;
        };

        std::string text;
        if (name == "--help" || name == "-h" || name == "/?") {
            if (!flag(&options->help)) {
                return false;
            }
        } else if (name == "--list") {
            if (!flag(&options->list)) {
                return false;
            }
        } else if (name == "--caps") {
            if (!flag(&options->caps)) {
                return false;
            }
        } else if (name == "--preview") {
            if (!flag(&options->preview)) {
                return false;
            }
        } else if (name == "--quiet") {
            if (!flag(&options->quiet)) {
                return false;
            }
        } else if (name == "--device") {
            if (!takeValue(&options->device)) {
                return false;
            }
            if (options->device.empty()) {
                *error = "--device needs a name or an index";
                return false;
            }
            options->deviceGiven = true;
        } else if (name == "--format") {
            if (!takeValue(&options->format)) {
                return false;
            }
        } else if (name == "--camera-format") {
            if (!takeValue(&options->cameraFormat)) {
                return false;
            }
        } else if (name == "--size") {
            if (!takeValue(&text)) {
                return false;
            }
            if (!ParseSize(text, &options->width, &options->height)) {
                *error = "--size wants WIDTHxHEIGHT with positive numbers, not \"" + text + "\"";
                return false;
            }
        } else if (name == "--fps") {
            if (!takeValue(&text)) {
                return false;
            }
            if (!ParseDouble(text, &options->fps) || options->fps > 1000.0) {
                *error = "--fps wants a positive rate up to 1000, not \"" + text + "\"";
                return false;
            }
        } else if (name == "--seconds") {
            if (!takeValue(&text)) {
                return false;
            }
            if (!ParseDouble(text, &options->seconds) || options->seconds > 86400.0) {
                *error = "--seconds wants a positive time up to 86400, not \"" + text + "\"";
                return false;
            }
        } else if (name == "--output" || name == "-o") {
            if (!takeValue(&options->output)) {
                return false;
            }
            if (options->output.empty()) {
                *error = "--output needs a file name";
                return false;
            }
        } else if (name == "--snapshot") {
            if (!takeValue(&options->snapshot)) {
                return false;
            }
            if (options->snapshot.empty()) {
                *error = "--snapshot needs a file name";
                return false;
            }
        } else {
            *error = "unknown argument \"" + argument + "\"";
            return false;
        }
    }
    if (!options->snapshot.empty()) {
        const std::string& file = options->snapshot;
        const size_t dot = file.find_last_of('.');
        std::string extension = dot == std::string::npos ? std::string() : file.substr(dot + 1);
        for (char& c : extension) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        if (extension != "bmp" && extension != "png") {
            *error = "--snapshot wants a .bmp or .png file name, not \"" + file + "\"";
            return false;
        }
    }
    return true;
}
