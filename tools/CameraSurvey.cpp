// korvel-cameras: lists every camera the camera SDK reaches and grabs from each
// for a while, printing its name, pixel formats, size, the frame rate the camera
// promises (ResultingFrameRateAbs) and the frame rate measured on this side.
//
// Usage: korvel-cameras [seconds]
// Exit code 0 when every camera delivered within 2% of its promised rate.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "quill/Quill.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Measurement {
    int64_t frames = 0;
    int64_t failed = 0;
    double rate = 0.0;
};

std::string JoinFormats(GenApi::INodeMap& nodeMap) {
    GenApi::CEnumerationPtr pixelFormat(nodeMap.GetNode("PixelFormat"));
    std::string text;
    if (!pixelFormat.IsValid()) {
        return "(no PixelFormat)";
    }
    GenApi::NodeList_t entries;
    pixelFormat->GetEntries(entries);
    for (GenApi::INode* node : entries) {
        GenApi::CEnumEntryPtr entry(node);
        if (!entry.IsValid() || !GenApi::IsAvailable(entry)) {
            continue;
        }
        if (!text.empty()) {
            text += ", ";
        }
        text += entry->GetSymbolic().c_str();
    }
    return text;
}

// Grabs for the given time with ten buffers, the way the filter's grab engine
// does, and measures the rate between the first and the last frame.
Measurement Grab(Quill::IQuillDevice& device, double seconds) {
    Measurement result;
    GenApi::INodeMap& nodeMap = *device.GetNodeMap();
    Quill::IStreamGrabber* grabber = device.GetStreamGrabber(0);
    if (grabber == nullptr) {
        throw GenICam::RuntimeException("the camera has no stream grabber", __FILE__, __LINE__);
    }
    const int64_t payload = GenApi::CIntegerPtr(nodeMap.GetNode("PayloadSize"))->GetValue();
    const int bufferCount = 10;

    grabber->Open();
    GenApi::INodeMap& grabberMap = *grabber->GetNodeMap();
    GenApi::CIntegerPtr(grabberMap.GetNode("MaxBufferSize"))->SetValue(payload);
    GenApi::CIntegerPtr(grabberMap.GetNode("MaxNumBuffer"))->SetValue(bufferCount);
    grabber->PrepareGrab();

    std::vector<std::vector<unsigned char>> memory(bufferCount, std::vector<unsigned char>(payload));
    std::vector<Quill::StreamBufferHandle> handles;
    for (auto& buffer : memory) {
        Quill::StreamBufferHandle handle = grabber->RegisterBuffer(buffer.data(), buffer.size());
        handles.push_back(handle);
        grabber->QueueBuffer(handle, nullptr);
    }
    GenApi::CEnumerationPtr(nodeMap.GetNode("AcquisitionMode"))->FromString("Continuous");
    GenApi::CCommandPtr(nodeMap.GetNode("AcquisitionStart"))->Execute();

    Clock::time_point first, last;
    const Clock::time_point end = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                     std::chrono::duration<double>(seconds));
    while (Clock::now() < end) {
        if (!grabber->GetWaitObject().Wait(100)) {
            continue;
        }
        Quill::GrabResult grabResult;
        if (!grabber->RetrieveResult(grabResult)) {
            continue;
        }
        if (grabResult.Status() == Quill::Grabbed) {
            last = Clock::now();
            if (result.frames == 0) {
                first = last;
            }
            ++result.frames;
        } else {
            ++result.failed;
        }
        grabber->QueueBuffer(grabResult.Handle(), nullptr);
    }

    GenApi::CCommandPtr(nodeMap.GetNode("AcquisitionStop"))->Execute();
    grabber->CancelGrab();
    Quill::GrabResult drained;
    while (grabber->RetrieveResult(drained)) {
    }
    for (Quill::StreamBufferHandle handle : handles) {
        grabber->DeregisterBuffer(handle);
    }
    grabber->FinishGrab();
    grabber->Close();

    if (result.frames > 1) {
        const double span = std::chrono::duration<double>(last - first).count();
        result.rate = span > 0 ? static_cast<double>(result.frames - 1) / span : 0.0;
    }
    return result;
}

bool SurveyCamera(Quill::ITransportLayer& layer, const Quill::CDeviceInfo& info, double seconds) {
    std::printf("%s\n", info.GetFullName().c_str());
    Quill::IQuillDevice* device = layer.CreateDevice(info);
    if (device == nullptr) {
        std::printf("    cannot be created\n");
        return false;
    }
    bool withinTolerance = false;
    try {
        device->Open(Quill::Stream + Quill::Control + Quill::Event);
        GenApi::INodeMap& nodeMap = *device->GetNodeMap();
        GenApi::CEnumerationPtr pixelFormat(nodeMap.GetNode("PixelFormat"));
        GenApi::CIntegerPtr width(nodeMap.GetNode("Width"));
        GenApi::CIntegerPtr height(nodeMap.GetNode("Height"));
        GenApi::CFloatPtr resulting(nodeMap.GetNode("ResultingFrameRateAbs"));

        std::printf("    pixel formats:          %s\n", JoinFormats(nodeMap).c_str());
        std::printf("    current format:         %s\n", pixelFormat->ToString().c_str());
        std::printf("    size:                   %lld x %lld (maximum %lld x %lld)\n",
                    static_cast<long long>(width->GetValue()), static_cast<long long>(height->GetValue()),
                    static_cast<long long>(width->GetMax()), static_cast<long long>(height->GetMax()));
        const double promised = resulting->GetValue();
        std::printf("    ResultingFrameRateAbs:  %.3f fps\n", promised);

        const Measurement measured = Grab(*device, seconds);
        const double deviation = promised > 0 ? (measured.rate - promised) / promised * 100.0 : 0.0;
        withinTolerance = measured.frames > 1 && std::fabs(deviation) <= 2.0;
        std::printf("    measured:               %.3f fps over %lld frames (%+.2f%%)%s\n", measured.rate,
                    static_cast<long long>(measured.frames), deviation,
                    withinTolerance ? "" : "  <-- outside 2%");
        if (measured.failed != 0) {
            std::printf("    failed grabs:           %lld\n", static_cast<long long>(measured.failed));
        }
        device->Close();
    } catch (const GenICam::GenericException& error) {
        std::printf("    error: %s\n", error.GetDescription());
        withinTolerance = false;
        try {
            if (device->IsOpen()) {
                device->Close();
            }
        } catch (const GenICam::GenericException&) {
        }
    }
    layer.DestroyDevice(device);
    return withinTolerance;
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 2.0;
    Quill::CTlFactory& factory = Quill::CTlFactory::GetInstance();
    Quill::TlInfoList layers;
    const int layerCount = factory.EnumerateTls(layers);
    int cameras = 0;
    bool allWithin = true;
    for (int index = 0; index < layerCount; ++index) {
        Quill::ITransportLayer* layer = factory.CreateTl(layers[index]);
        if (layer == nullptr) {
            std::printf("transport layer %s: cannot be created\n", layers[index].GetFullName().c_str());
            continue;
        }
        try {
            Quill::DeviceInfoList devices;
            layer->EnumerateDevices(devices);
            for (const Quill::CDeviceInfo& info : devices) {
                ++cameras;
                allWithin = SurveyCamera(*layer, info, seconds) && allWithin;
            }
        } catch (const GenICam::GenericException& error) {
            std::printf("transport layer %s: %s\n", layers[index].GetFullName().c_str(), error.GetDescription());
            allWithin = false;
        }
        factory.ReleaseTl(layer);
    }
    std::printf("%d camera(s)\n", cameras);
    return cameras > 0 && allWithin ? 0 : 1;
}
