// The capture tool's command line.
#pragma once

#include <string>

// Exit codes, so that scripts and tests can tell the failures apart.
enum CaptureExitCode {
    kExitSuccess = 0,
    kExitFailure = 1,          // anything not listed below
    kExitUsage = 2,            // bad or contradictory arguments
    kExitNoDevice = 3,         // no video input device, or none of that name or index
    kExitFormatRefused = 4,    // the device or its pin refused the format, size or rate
    kExitFileNotWritable = 5,  // the AVI file or the snapshot cannot be written
    kExitNoFrames = 6,         // the graph ran but delivered no frame
};

struct CaptureOptions {
    bool help = false;
    bool list = false;
    bool caps = false;
    std::string device = "Korvel GenICam Source";  // name, or index when all digits
    bool deviceGiven = false;
    std::string format;        // connection subtype; empty: RGB24 when offered, else the first
    std::string cameraFormat;  // the device's own format (IAMStreamConfig), e.g. BayerRG8
    int width = 0;             // 0: the device's current size
    int height = 0;
    double fps = 0.0;  // 0: the device's current rate
    double seconds = 5.0;
    std::string output;    // AVI file; empty: nothing is recorded
    std::string snapshot;  // .bmp or .png
    bool preview = false;
    bool quiet = false;
};

// Fills options from argv: true, or false with a message in *error.
bool ParseCaptureOptions(int argc, char** argv, CaptureOptions* options, std::string* error);

// The usage text.
const char* CaptureUsage();
