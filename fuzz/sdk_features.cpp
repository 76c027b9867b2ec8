// The emulated SDK's feature access with everything from the input: node
// names (real ones, near misses, any bytes), the interface a node is used
// through, values (extremes, NaN, infinities, strings that almost parse),
// enumeration entries, commands, grabbing started and stopped in between, and
// payloads handed to the chunk parser. Every refusal must be an exception of
// the GenericException family; anything else escaping is a fault, as is any
// sanitizer report. Each input starts from the camera's power-up settings
// (its default user set loaded) and the stream grabber's first limits, on a
// device object opened once: building a device's features costs more than
// most inputs do, and a fresh device would only repeat the same opening.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <limits>
#include <string>
#include <vector>

#include "FeatureOperations.h"
#include "quill/EmulationControl.h"
#include "quill/Quill.h"

namespace {

using namespace Quill;
using fuzzing::Fail;
using fuzzing::NodeName;
using fuzzing::UseNode;

// Two small cameras keep payloads and frame times small: one with every
// feature and pixel format, one with features missing or not implemented.
const char kProfile[] = R"(
[transport]
name = FuzzUsb

[camera]
serial = F0000001
model = KV-F64
max_width = 64
max_height = 48
width_min = 8
width_inc = 8
height_min = 4
height_inc = 2
pixel_formats = Mono8, Mono10, Mono12, Mono16, BayerGR8, BayerRG8, BayerGB8, BayerBG8, RGB8Packed, BGR8Packed, RGBA8Packed, BGRA8Packed, YUV411Packed, YUV422Packed, YUV422_YUYV_Packed
exposure = 1000
frame_rate_max = 2000

[camera]
serial = F0000002
model = KV-F32
max_width = 32
max_height = 16
pixel_formats = Mono8, BayerRG8
missing_features = GainRaw, TriggerSoftware, ChunkModeActive
not_implemented_features = ExposureTimeAbs, AcquisitionFrameRateAbs, PixelFormat
)";

const char* const kSerials[] = {"F0000001", "F0000002"};

// Grabbing as the grab engine does it: prepare, a few buffers queued,
// acquisition on; and the way back.
class Grab {
  public:
    explicit Grab(IQuillDevice* device) : device_(device) {}
    ~Grab() { Stop(); }
    Grab(const Grab&) = delete;
    Grab& operator=(const Grab&) = delete;

    void Start(FuzzedDataProvider& input) {
        if (grabber_ != nullptr) {
            return;
        }
        IStreamGrabber* grabber = device_->GetStreamGrabber(0);
        if (grabber == nullptr) {
            return;
        }
        grabber->Open();
        grabber_ = grabber;
        grabber->PrepareGrab();
        prepared_ = true;
        const int64_t payload =
            GenApi::CIntegerPtr(device_->GetNodeMap()->GetNode("PayloadSize"))->GetValue();
        // Buffers of the payload, or shorter or longer ones.
        const int64_t size = payload + input.ConsumeIntegralInRange<int64_t>(-8, 8);
        const int count = input.ConsumeIntegralInRange<int>(1, 3);
        for (int index = 0; index < count; ++index) {
            buffers_.emplace_back(static_cast<size_t>(size > 0 ? size : 1));
            handles_.push_back(grabber->RegisterBuffer(buffers_.back().data(), buffers_.back().size()));
            grabber->QueueBuffer(handles_.back(), nullptr);
        }
        GenApi::CCommandPtr(device_->GetNodeMap()->GetNode("AcquisitionStart"))->Execute();
    }

    void Retrieve(FuzzedDataProvider& input) {
        if (grabber_ == nullptr) {
            return;
        }
        if (grabber_->GetWaitObject().Wait(input.ConsumeIntegralInRange<unsigned>(0, 1))) {
            GrabResult result;
            if (grabber_->RetrieveResult(result)) {
                grabber_->QueueBuffer(result.Handle(), nullptr);
            }
        }
    }

    // Stops on every path: a refusal half-way must not leave buffers behind.
    void Stop() {
        if (grabber_ == nullptr) {
            return;
        }
        try {
            GenApi::CCommandPtr(device_->GetNodeMap()->GetNode("AcquisitionStop"))->Execute();
        } catch (const GenICam::GenericException&) {
        }
        try {
            grabber_->CancelGrab();
            GrabResult result;
            while (grabber_->RetrieveResult(result)) {
            }
        } catch (const GenICam::GenericException&) {
        }
        for (StreamBufferHandle handle : handles_) {
            try {
                grabber_->DeregisterBuffer(handle);
            } catch (const GenICam::GenericException&) {
            }
        }
        handles_.clear();
        try {
            if (prepared_) {
                grabber_->FinishGrab();
            }
            grabber_->Close();
        } catch (const GenICam::GenericException&) {
        }
        prepared_ = false;
        grabber_ = nullptr;
        buffers_.clear();
    }

  private:
    IQuillDevice* device_;
    IStreamGrabber* grabber_ = nullptr;
    bool prepared_ = false;
    std::vector<std::vector<uint8_t>> buffers_;
    std::vector<StreamBufferHandle> handles_;
};

// The chunk parser reading a payload made of input bytes, of exactly the
// size it is told.
void ParseChunks(FuzzedDataProvider& input, IQuillDevice* device) {
    IChunkParser* parser = device->CreateChunkParser();
    if (parser == nullptr) {
        return;
    }
    std::vector<uint8_t> payload = input.ConsumeBytes<uint8_t>(input.ConsumeIntegralInRange<size_t>(0, 256));
    try {
        parser->AttachBuffer(payload.empty() ? nullptr : payload.data(),
                             static_cast<int64_t>(payload.size()));
        GenApi::INodeMap* chunks = parser->GetChunkNodeMap();
        for (const char* name : {"ChunkFramecounter", "ChunkTimestamp"}) {
            GenApi::CIntegerPtr value(chunks->GetNode(name));
            if (value.IsValid() && GenApi::IsReadable(value)) {
                value->GetValue();
            }
        }
        parser->DetachBuffer();
    } catch (const GenICam::GenericException&) {
    }
    device->DestroyChunkParser(parser);
}

struct Camera {
    ITransportLayer* layer = nullptr;
    CDeviceInfo info;
};

std::vector<Camera> ListCameras() {
    std::vector<Camera> cameras;
    CTlFactory& factory = CTlFactory::GetInstance();
    TlInfoList layers;
    factory.EnumerateTls(layers);
    for (const CTlInfo& layerInfo : layers) {
        ITransportLayer* layer = factory.CreateTl(layerInfo);
        if (layer == nullptr) {
            continue;
        }
        DeviceInfoList devices;
        layer->EnumerateDevices(devices);
        for (const CDeviceInfo& device : devices) {
            cameras.push_back(Camera{layer, device});
        }
    }
    return cameras;
}

// A device opened on the first input for its camera and kept, with the
// stream grabber's first MaxNumBuffer (which, unlike MaxBufferSize, the
// grabber keeps from one opening to the next).
struct OpenedCamera {
    IQuillDevice* device = nullptr;
    int64_t maxNumBuffer = 0;
};

GenApi::CIntegerPtr GrabberLimit(IQuillDevice* device, const char* name) {
    IStreamGrabber* grabber = device->GetStreamGrabber(0);
    return grabber != nullptr ? GenApi::CIntegerPtr(grabber->GetNodeMap()->GetNode(name))
                              : GenApi::CIntegerPtr();
}

const OpenedCamera& Open(const Camera& camera, size_t index) {
    static OpenedCamera opened[2];
    OpenedCamera& slot = opened[index];
    if (slot.device == nullptr) {
        slot.device = camera.layer->CreateDevice(camera.info);
        if (slot.device == nullptr) {
            Fail("a listed camera gave no device");
        }
        slot.device->Open(Stream + Control + Event);
        GenApi::CIntegerPtr count = GrabberLimit(slot.device, "MaxNumBuffer");
        if (!count.IsValid()) {
            Fail("the stream grabber has no MaxNumBuffer");
        }
        slot.maxNumBuffer = count->GetValue();
    }
    return slot;
}

// What the last input changed goes back: acquisition stopped and the
// transport lock released (an input may leave both through the features
// alone), then the camera's settings through its default user set and the
// grabber's MaxNumBuffer by writing it. The grabber itself was closed by
// the last input's Grab.
void Reset(const OpenedCamera& opened) {
    IQuillDevice* device = opened.device;
    if (!device->IsOpen()) {
        Fail("the kept device was closed by an input");
    }
    GenApi::INodeMap* features = device->GetNodeMap();
    GenApi::CCommandPtr(features->GetNode("AcquisitionStop"))->Execute();
    GenApi::CIntegerPtr(features->GetNode("TLParamsLocked"))->SetValue(0);
    GenApi::CCommandPtr load(features->GetNode("UserSetLoad"));
    if (!load.IsValid()) {
        Fail("the camera has no UserSetLoad");
    }
    load->Execute();
    GrabberLimit(device, "MaxNumBuffer")->SetValue(opened.maxNumBuffer);
}

void Run(FuzzedDataProvider& input, const Camera& camera, size_t index) {
    const OpenedCamera& opened = Open(camera, index);
    Reset(opened);
    IQuillDevice* device = opened.device;
    try {
        GenApi::INodeMap* features = device->GetNodeMap();
        GenApi::NodeList_t nodes;
        features->GetNodes(nodes);
        Grab grab(device);
        for (int step = 0; step < 48 && input.remaining_bytes() > 0; ++step) {
            try {
                switch (input.ConsumeIntegralInRange<int>(0, 9)) {
                    case 0:
                        grab.Start(input);
                        break;
                    case 1:
                        grab.Stop();
                        break;
                    case 2:
                        grab.Retrieve(input);
                        break;
                    case 3:
                        ParseChunks(input, device);
                        break;
                    case 4:
                        UseNode(input,
                                nodes.empty()
                                    ? nullptr
                                    : nodes[input.ConsumeIntegralInRange<size_t>(0, nodes.size() - 1)]);
                        break;
                    case 5: {
                        IStreamGrabber* grabber = device->GetStreamGrabber(0);
                        if (grabber != nullptr && grabber->IsOpen()) {
                            UseNode(input,
                                    grabber->GetNodeMap()->GetNode(
                                        NodeName(input).c_str()));
                        }
                        break;
                    }
                    default:
                        UseNode(input, features->GetNode(
                                           NodeName(input).c_str()));
                        break;
                }
            } catch (const GenICam::GenericException&) {
                // A refusal of the SDK's own kind: what every caller handles.
            }
        }
    } catch (const GenICam::GenericException&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    GenICam::gcstring error;
    if (!Emulation::GetEmulationControl().LoadProfiles(kProfile, &error)) {
        std::fprintf(stderr, "sdk_features: profile refused: %s\n", error.c_str());
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    Emulation::IEmulationControl& control = Emulation::GetEmulationControl();
    const size_t index = input.ConsumeIntegralInRange<size_t>(0, 1);
    try {
        // Listed once: no input unplugs a camera.
        static const std::vector<Camera> cameras = ListCameras();
        for (const Camera& camera : cameras) {
            if (camera.info.GetSerialNumber() == kSerials[index]) {
                Run(input, camera, index);
            }
        }
    } catch (const GenICam::GenericException& error) {
        std::fprintf(stderr, "sdk_features: %s\n", error.what());
        Fail("the SDK refused listing or opening a camera");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "sdk_features: %s escaped\n", error.what());
        Fail("an exception outside the GenericException family escaped");
    } catch (...) {
        Fail("an unknown exception escaped");
    }
    // Only the kept devices live from one input to the next.
    if (control.GetLiveDeviceCount() > 2) {
        Fail("a device object outlived its input");
    }
    return 0;
}
