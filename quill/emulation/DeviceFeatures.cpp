#include "quill/emulation/DeviceFeatures.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "quill/emulation/EmulatedCamera.h"
#include "quill/genapi/BooleanNode.h"
#include "quill/genapi/CategoryNode.h"
#include "quill/genapi/CommandNode.h"
#include "quill/genapi/EnumerationNode.h"
#include "quill/genapi/FloatNode.h"
#include "quill/genapi/IntegerNode.h"
#include "quill/genapi/StringNode.h"

namespace Quill {
namespace Emulation {

using namespace GenApi;
using Nodes::NodeInfo;

namespace {

template <class T>
std::function<T()> Constant(T value) {
    return [value] { return value; };
}

class FeatureBuilder {
  public:
    FeatureBuilder(Nodes::NodeMap& map, EmulatedCamera& camera) : map_(map), camera_(camera) {}

    void Build() {
        AddDeviceControl();
        AddImageFormatControl();
        AddAcquisitionControl();
        AddExposureAndTrigger();
        AddAnalogAndTransport();
        AddUserSets();
        AddCategories();
        map_.MarkFeatures();
    }

  private:
    bool Missing(const std::string& name) const {
        const auto& missing = camera_.Profile().missingFeatures;
        return std::find(missing.begin(), missing.end(), name) != missing.end();
    }

    NodeInfo Info(const char* name, const char* displayName, EVisibility visibility, const char* description,
                  const char* unit = "") const {
        NodeInfo info;
        info.name = name;
        info.displayName = displayName;
        info.visibility = visibility;
        info.description = description;
        info.unit = unit;
        const auto& notImplemented = camera_.Profile().notImplementedFeatures;
        if (std::find(notImplemented.begin(), notImplemented.end(), info.name) != notImplemented.end()) {
            info.access = NI;
        }
        return info;
    }

    template <class T, class... Args>
    void Add(const NodeInfo& info, Args&&... args) {
        if (!Missing(info.name)) {
            map_.Add<T>(info, std::forward<Args>(args)...);
        }
    }

    void AddDeviceControl() {
        const CameraProfile& profile = camera_.Profile();
        Add<Nodes::StringNode>(
            Info("DeviceVendorName", "Vendor Name", Beginner, "Name of the camera's maker."),
            Constant(profile.vendor));
        Add<Nodes::StringNode>(Info("DeviceModelName", "Model Name", Beginner, "Model of the camera."),
                               Constant(profile.model));
        Add<Nodes::StringNode>(
            Info("DeviceSerialNumber", "Serial Number", Beginner, "Serial number of the camera."),
            Constant(profile.serial));
    }

    void AddImageFormatControl() {
        EmulatedCamera* camera = &camera_;
        const CameraProfile& profile = camera_.Profile();
        std::vector<Nodes::EnumEntryDefinition> formats;
        for (const std::string& name : profile.pixelFormats) {
            const PixelFormatInfo* format = FindPixelFormat(name);
            formats.push_back(
                Nodes::EnumEntryDefinition{name, int64_t(format->pfnc), name, format->description});
        }
        NodeInfo pixelFormat =
            Info("PixelFormat", "Pixel Format", Beginner,
                 "Format of the pixels the camera sends. Cannot change while grabbing is prepared.");
        pixelFormat.lockable = true;
        Add<Nodes::EnumerationNode>(
            pixelFormat, formats,
            Nodes::EnumerationBinding{
                [camera] { return int64_t(camera->State().format->pfnc); },
                [camera](int64_t value) { camera->State().format = FindPixelFormat(uint32_t(value)); }});

        NodeInfo width =
            Info("Width", "Width", Beginner,
                 "Width of the picture in pixels. Cannot change while grabbing is prepared.", "px");
        width.lockable = true;
        Add<Nodes::IntegerNode>(
            width, Nodes::IntegerBinding{[camera] { return camera->State().width; },
                                         [camera](int64_t value) { camera->State().width = value; },
                                         Constant(profile.widthMin), Constant(profile.maxWidth),
                                         Constant(profile.widthInc)});
        NodeInfo height =
            Info("Height", "Height", Beginner,
                 "Height of the picture in pixels. Cannot change while grabbing is prepared.", "px");
        height.lockable = true;
        Add<Nodes::IntegerNode>(
            height, Nodes::IntegerBinding{[camera] { return camera->State().height; },
                                          [camera](int64_t value) { camera->State().height = value; },
                                          Constant(profile.heightMin), Constant(profile.maxHeight),
                                          Constant(profile.heightInc)});
    }

    void AddAcquisitionControl() {
        EmulatedCamera* camera = &camera_;
        Add<Nodes::EnumerationNode>(
            Info("AcquisitionMode", "Acquisition Mode", Beginner,
                 "How many frames one AcquisitionStart makes: one, AcquisitionFrameCount, or until stopped."),
            std::vector<Nodes::EnumEntryDefinition>{
                {"SingleFrame", kSingleFrame, "Single Frame", "One frame per start."},
                {"MultiFrame", kMultiFrame, "Multi Frame", "AcquisitionFrameCount frames per start."},
                {"Continuous", kContinuous, "Continuous", "Frames until AcquisitionStop."}},
            Nodes::EnumerationBinding{[camera] { return camera->State().acquisitionMode; },
                                      [camera](int64_t value) { camera->State().acquisitionMode = value; }});
        Add<Nodes::IntegerNode>(
            Info("AcquisitionFrameCount", "Acquisition Frame Count", Expert,
                 "Frames per start in MultiFrame mode."),
            Nodes::IntegerBinding{[camera] { return camera->State().acquisitionFrameCount; },
                                  [camera](int64_t value) { camera->State().acquisitionFrameCount = value; },
                                  Constant<int64_t>(1), Constant<int64_t>(255), nullptr});
        Add<Nodes::CommandNode>(
            Info("AcquisitionStart", "Acquisition Start", Beginner,
                 "Starts making frames. They reach buffers queued on the stream grabber."),
            [camera] {
                CameraState& state = camera->State();
                state.acquisitionActive = true;
                state.pendingTriggers = 0;
                state.framesLeft = state.acquisitionMode == kSingleFrame  ? 1
                                   : state.acquisitionMode == kMultiFrame ? state.acquisitionFrameCount
                                                                          : 0;
            });
        Add<Nodes::CommandNode>(Info("AcquisitionStop", "Acquisition Stop", Beginner, "Stops making frames."),
                                [camera] {
                                    camera->State().acquisitionActive = false;
                                    camera->State().pendingTriggers = 0;
                                });
        Add<Nodes::BooleanNode>(
            Info("AcquisitionFrameRateEnable", "Acquisition Frame Rate Enable", Beginner,
                 "Limits the frame rate to AcquisitionFrameRateAbs."),
            Nodes::BooleanBinding{[camera] { return camera->State().frameRateEnable; },
                                  [camera](bool value) { camera->State().frameRateEnable = value; }});
        const CameraProfile& profile = camera_.Profile();
        Add<Nodes::FloatNode>(
            Info("AcquisitionFrameRateAbs", "Acquisition Frame Rate", Beginner,
                 "Frame-rate limit, applied while AcquisitionFrameRateEnable is on.", "Hz"),
            Nodes::FloatBinding{[camera] { return camera->State().frameRate; },
                                [camera](double value) { camera->State().frameRate = value; },
                                Constant(profile.frameRateMin), Constant(profile.frameRateMax)});
        NodeInfo resulting =
            Info("ResultingFrameRateAbs", "Resulting Frame Rate", Expert,
                 "Frame rate the camera reaches with its present settings: the lowest of the frame-rate "
                 "limit, the "
                 "exposure time, the sensor read-out of the chosen height and the link bandwidth.",
                 "Hz");
        resulting.access = resulting.access == NI ? NI : RO;
        Add<Nodes::FloatNode>(
            resulting, Nodes::FloatBinding{[camera] { return camera->ResultingFrameRate(); }, [](double) {},
                                           Constant(0.0), Constant(std::numeric_limits<double>::max())});
    }

    void AddExposureAndTrigger() {
        EmulatedCamera* camera = &camera_;
        const CameraProfile& profile = camera_.Profile();
        Add<Nodes::EnumerationNode>(
            Info("ExposureMode", "Exposure Mode", Beginner, "How the exposure time is set."),
            std::vector<Nodes::EnumEntryDefinition>{{"Timed", 1, "Timed", "Exposure lasts ExposureTimeAbs."}},
            Nodes::EnumerationBinding{Constant<int64_t>(1), [](int64_t) {}});
        Add<Nodes::FloatNode>(
            Info("ExposureTimeAbs", "Exposure Time", Beginner, "Exposure time in microseconds.", "us"),
            Nodes::FloatBinding{[camera] { return camera->State().exposure; },
                                [camera](double value) { camera->State().exposure = value; },
                                Constant(profile.exposureMin), Constant(profile.exposureMax)});
        Add<Nodes::IntegerNode>(
            Info("ExposureTimeRaw", "Exposure Time (Raw)", Expert,
                 "Exposure time in steps of ExposureTimeBaseAbs. Writing it sets ExposureTimeAbs to the step "
                 "count times the time base."),
            Nodes::IntegerBinding{[camera] { return camera->ExposureRaw(); },
                                  [camera](int64_t value) {
                                      camera->State().exposure =
                                          double(value) * camera->Profile().exposureTimeBase;
                                  },
                                  [camera] { return camera->ExposureRawMin(); },
                                  [camera] { return camera->ExposureRawMax(); }, nullptr});
        NodeInfo base = Info("ExposureTimeBaseAbs", "Exposure Time Base", Guru,
                             "Length of one ExposureTimeRaw step in microseconds.", "us");
        base.access = base.access == NI ? NI : RO;
        Add<Nodes::FloatNode>(base, Nodes::FloatBinding{Constant(profile.exposureTimeBase), [](double) {},
                                                        Constant(profile.exposureTimeBase),
                                                        Constant(profile.exposureTimeBase)});
        Add<Nodes::EnumerationNode>(
            Info("TriggerMode", "Trigger Mode", Beginner, "On: the camera makes one frame per trigger."),
            std::vector<Nodes::EnumEntryDefinition>{{"Off", 0, "Off", "Free running."},
                                                    {"On", 1, "On", "Triggered."}},
            Nodes::EnumerationBinding{[camera] { return int64_t(camera->State().triggerMode ? 1 : 0); },
                                      [camera](int64_t value) {
                                          camera->State().triggerMode = value == 1;
                                          camera->State().pendingTriggers = 0;
                                      }});
        Add<Nodes::EnumerationNode>(
            Info("TriggerSource", "Trigger Source", Expert, "Where triggers come from."),
            std::vector<Nodes::EnumEntryDefinition>{
                {"Line1", kLine1, "Line 1", "Input line 1."},
                {"Line2", kLine2, "Line 2", "Input line 2."},
                {"Software", kSoftware, "Software", "The TriggerSoftware command."}},
            Nodes::EnumerationBinding{[camera] { return camera->State().triggerSource; },
                                      [camera](int64_t value) { camera->State().triggerSource = value; }});
        NodeInfo software =
            Info("TriggerSoftware", "Trigger Software", Beginner,
                 "Makes one frame. Available while TriggerMode is On and TriggerSource is Software.");
        software.dynamicAccess = [camera] {
            return camera->State().triggerMode && camera->State().triggerSource == kSoftware ? WO : NA;
        };
        Add<Nodes::CommandNode>(software, [camera] {
            // A camera that is not acquiring ignores triggers.
            if (camera->State().acquisitionActive) {
                ++camera->State().pendingTriggers;
                ++camera->Counters().triggersAccepted;
            }
        });
    }

    void AddAnalogAndTransport() {
        EmulatedCamera* camera = &camera_;
        const CameraProfile& profile = camera_.Profile();
        Add<Nodes::EnumerationNode>(
            Info("GainSelector", "Gain Selector", Beginner, "Which gain GainRaw sets."),
            std::vector<Nodes::EnumEntryDefinition>{{"All", 0, "All", "All colour channels."}},
            Nodes::EnumerationBinding{Constant<int64_t>(0), [](int64_t) {}});
        Add<Nodes::IntegerNode>(
            Info("GainRaw", "Gain (Raw)", Beginner, "Amplification of the sensor signal."),
            Nodes::IntegerBinding{[camera] { return camera->State().gain; },
                                  [camera](int64_t value) { camera->State().gain = value; },
                                  Constant(profile.gainMin), Constant(profile.gainMax), nullptr});
        NodeInfo chunkMode =
            Info("ChunkModeActive", "Chunk Mode Active", Expert,
                 "Appends frame counter and time stamp chunks to every payload. Cannot change while "
                 "grabbing is prepared.");
        chunkMode.lockable = true;
        Add<Nodes::BooleanNode>(
            chunkMode,
            Nodes::BooleanBinding{[camera] { return camera->State().chunkModeActive; },
                                  [camera](bool value) { camera->State().chunkModeActive = value; }});
        NodeInfo payload =
            Info("PayloadSize", "Payload Size", Guru,
                 "Bytes of one frame's payload: the image and, in chunk mode, the chunk data.", "B");
        payload.access = payload.access == NI ? NI : RO;
        Add<Nodes::IntegerNode>(
            payload, Nodes::IntegerBinding{[camera] { return int64_t(camera->PayloadSize()); },
                                           [](int64_t) {}, Constant<int64_t>(0),
                                           Constant(std::numeric_limits<int64_t>::max()), nullptr});
        NodeInfo locked = Info("TLParamsLocked", "Transport Parameters Locked", Invisible,
                               "Set while a stream grabber is prepared: the image format cannot change.");
        Add<Nodes::IntegerNode>(
            locked, Nodes::IntegerBinding{[camera] { return camera->State().tlParamsLocked; },
                                          [camera](int64_t value) { camera->State().tlParamsLocked = value; },
                                          Constant<int64_t>(0), Constant<int64_t>(1), nullptr});
    }

    // One user set, the factory default, as on cameras without memory for
    // settings of their own: loading it puts every feature back to its
    // power-up value without a power cycle. Like a real camera it refuses
    // while grabbing is prepared, since the image format is locked then.
    void AddUserSets() {
        EmulatedCamera* camera = &camera_;
        Add<Nodes::EnumerationNode>(
            Info("UserSetSelector", "User Set Selector", Expert, "Which user set UserSetLoad loads."),
            std::vector<Nodes::EnumEntryDefinition>{
                {"Default", 0, "Default", "The factory settings the camera powers up with."}},
            Nodes::EnumerationBinding{Constant<int64_t>(0), [](int64_t) {}});
        NodeInfo load = Info("UserSetLoad", "User Set Load", Expert,
                             "Loads the selected user set: every feature back to its power-up value. "
                             "Not available while grabbing is prepared.");
        if (load.access != NI) {
            load.dynamicAccess = [camera] {
                const CameraState& state = camera->State();
                return state.tlParamsLocked == 0 && !state.acquisitionActive ? WO : NA;
            };
        }
        Add<Nodes::CommandNode>(load, [camera] { camera->PowerUp(); });
    }

    void AddCategory(const char* name, const char* displayName, const char* description,
                     std::vector<std::string> features) {
        NodeInfo info;
        info.name = name;
        info.displayName = displayName;
        info.description = description;
        map_.Add<Nodes::CategoryNode>(info, std::move(features));
    }

    void AddCategories() {
        AddCategory("DeviceControl", "Device Control", "Identification of the camera.",
                    {"DeviceVendorName", "DeviceModelName", "DeviceSerialNumber"});
        AddCategory("ImageFormatControl", "Image Format Control", "Pixel format and picture size.",
                    {"PixelFormat", "Width", "Height"});
        AddCategory("AcquisitionControl", "Acquisition Control",
                    "Starting, stopping, timing and triggering frames.",
                    {"AcquisitionMode", "AcquisitionStart", "AcquisitionStop", "AcquisitionFrameCount",
                     "AcquisitionFrameRateEnable", "AcquisitionFrameRateAbs", "ResultingFrameRateAbs",
                     "TriggerMode", "TriggerSource", "TriggerSoftware", "ExposureMode", "ExposureTimeAbs",
                     "ExposureTimeRaw", "ExposureTimeBaseAbs"});
        AddCategory("AnalogControl", "Analog Control", "Gain.", {"GainSelector", "GainRaw"});
        AddCategory("ChunkDataControl", "Chunk Data Control", "Data appended to each payload.",
                    {"ChunkModeActive"});
        AddCategory("TransportLayerControl", "Transport Layer Control", "Payload and transport settings.",
                    {"PayloadSize", "TLParamsLocked"});
        AddCategory("UserSetControl", "User Set Control", "Loading the factory settings.",
                    {"UserSetSelector", "UserSetLoad"});
        AddCategory("Root", "Root", "Every feature of the camera.",
                    {"DeviceControl", "ImageFormatControl", "AcquisitionControl", "AnalogControl",
                     "ChunkDataControl", "TransportLayerControl", "UserSetControl"});
    }

    Nodes::NodeMap& map_;
    EmulatedCamera& camera_;
};

}  // namespace

std::unique_ptr<Nodes::NodeMap> DeviceFeatures::Build(Nodes::NodeHost& host, EmulatedCamera& camera,
                                                      const std::string& deviceName) {
    auto map = std::make_unique<Nodes::NodeMap>(host, deviceName);
    FeatureBuilder(*map, camera).Build();
    return map;
}

}  // namespace Emulation
}  // namespace Quill
