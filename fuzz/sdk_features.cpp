// The emulated SDK's feature access with everything from the input: node
// names (real ones, near misses, any bytes), the interface a node is used
// through, values (extremes, NaN, infinities, strings that almost parse),
// enumeration entries, commands, grabbing started and stopped in between, and
// payloads handed to the chunk parser. Every refusal must be an exception of
// the GenericException family; anything else escaping is a fault, as is any
// sanitizer report. Each input starts from a camera powered up afresh.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <limits>
#include <string>
#include <vector>

#include "quill/EmulationControl.h"
#include "quill/Quill.h"

namespace {

using namespace Quill;

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

const char* const kNames[] = {"AcquisitionControl",
                              "AcquisitionFrameCount",
                              "AcquisitionFrameRateAbs",
                              "AcquisitionFrameRateEnable",
                              "AcquisitionMode",
                              "AcquisitionStart",
                              "AcquisitionStop",
                              "AnalogControl",
                              "ChunkDataControl",
                              "ChunkFramecounter",
                              "ChunkModeActive",
                              "ChunkTimestamp",
                              "DeviceControl",
                              "DeviceModelName",
                              "DeviceSerialNumber",
                              "DeviceVendorName",
                              "ExposureMode",
                              "ExposureTimeAbs",
                              "ExposureTimeBaseAbs",
                              "ExposureTimeRaw",
                              "GainRaw",
                              "GainSelector",
                              "Height",
                              "ImageFormatControl",
                              "PayloadSize",
                              "PixelFormat",
                              "ResultingFrameRateAbs",
                              "Root",
                              "TLParamsLocked",
                              "TransportLayerControl",
                              "TriggerMode",
                              "TriggerSoftware",
                              "TriggerSource",
                              "Width",
                              "MaxBufferSize",
                              "MaxNumBuffer"};

const char* const kWords[] = {"Mono8",
                              "BayerRG8",
                              "YUV422Packed",
                              "BGRA8Packed",
                              "Mono16",
                              "On",
                              "Off",
                              "Line1",
                              "Software",
                              "Continuous",
                              "SingleFrame",
                              "MultiFrame",
                              "Timed",
                              "All",
                              "true",
                              "false",
                              "1",
                              "0",
                              "-1",
                              "1e308",
                              "nan",
                              "inf",
                              "-inf",
                              "0x10",
                              "9223372036854775807",
                              "9223372036854775808",
                              "-9223372036854775809",
                              " 12",
                              "12 ",
                              "",
                              "1.5",
                              "1e-320"};

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "sdk_features: %s\n", what);
    std::abort();
}

std::string Text(FuzzedDataProvider& input, const char* const* words, size_t count) {
    switch (input.ConsumeIntegralInRange<int>(0, 3)) {
        case 0:
        case 1:
            return words[input.ConsumeIntegralInRange<size_t>(0, count - 1)];
        case 2: {
            // A near miss: a real word with a byte changed, cut or added.
            std::string word = words[input.ConsumeIntegralInRange<size_t>(0, count - 1)];
            const size_t at = word.empty() ? 0 : input.ConsumeIntegralInRange<size_t>(0, word.size() - 1);
            const char byte = static_cast<char>(input.ConsumeIntegral<uint8_t>());
            switch (input.ConsumeIntegralInRange<int>(0, 2)) {
                case 0:
                    if (!word.empty())
                        word[at] = byte;
                    break;
                case 1:
                    word.resize(at);
                    break;
                default:
                    word.insert(word.begin() + static_cast<std::ptrdiff_t>(at), byte);
                    break;
            }
            return word;
        }
        default:
            return input.ConsumeRandomLengthString(40);
    }
}

int64_t Integer(FuzzedDataProvider& input, GenApi::IInteger* node) {
    switch (input.ConsumeIntegralInRange<int>(0, 3)) {
        case 0: {
            static const int64_t kExtremes[] = {std::numeric_limits<int64_t>::min(), -1, 0, 1,
                                                std::numeric_limits<int64_t>::max()};
            return kExtremes[input.ConsumeIntegralInRange<size_t>(0, 4)];
        }
        case 1:
            if (node != nullptr) {
                // Near the limits, where range and increment checks live.
                try {
                    const int64_t base = input.ConsumeBool() ? node->GetMin() : node->GetMax();
                    const int64_t step = input.ConsumeIntegralInRange<int64_t>(-3, 3);
                    if ((step > 0 && base > std::numeric_limits<int64_t>::max() - step) ||
                        (step < 0 && base < std::numeric_limits<int64_t>::min() - step)) {
                        return base;
                    }
                    return base + step;
                } catch (const GenICam::GenericException&) {
                    return 0;
                }
            }
            return 0;
        case 2:
            return input.ConsumeIntegralInRange<int64_t>(-4096, 4096);
        default:
            return input.ConsumeIntegral<int64_t>();
    }
}

double Real(FuzzedDataProvider& input) {
    switch (input.ConsumeIntegralInRange<int>(0, 2)) {
        case 0: {
            static const double kSpecials[] = {std::numeric_limits<double>::quiet_NaN(),
                                               std::numeric_limits<double>::infinity(),
                                               -std::numeric_limits<double>::infinity(),
                                               std::numeric_limits<double>::max(),
                                               std::numeric_limits<double>::lowest(),
                                               std::numeric_limits<double>::denorm_min(),
                                               -0.0,
                                               0.0,
                                               1.0,
                                               1e6,
                                               1e-6,
                                               9.3e18,
                                               -9.3e18};
            return kSpecials[input.ConsumeIntegralInRange<size_t>(
                0, sizeof(kSpecials) / sizeof(kSpecials[0]) - 1)];
        }
        case 1:
            return input.ConsumeFloatingPointInRange<double>(-1e7, 1e7);
        default:
            return input.ConsumeFloatingPoint<double>();
    }
}

// One operation on a node through one of its interfaces (or one it lacks).
void UseNode(FuzzedDataProvider& input, GenApi::INode* node) {
    const int interfaceChoice = input.ConsumeIntegralInRange<int>(0, 8);
    const int operation = input.ConsumeIntegralInRange<int>(0, 7);
    const bool verify = input.ConsumeBool();
    switch (interfaceChoice) {
        case 0: {
            GenApi::CIntegerPtr value(node);
            switch (operation) {
                case 0:
                    value->SetValue(Integer(input, value), verify);
                    break;
                case 1:
                    value->GetValue(verify, input.ConsumeBool());
                    break;
                case 2:
                    value->GetMin();
                    value->GetMax();
                    break;
                case 3:
                    value->GetInc();
                    value->GetUnit();
                    break;
                case 4:
                    value->FromString(Text(input, kWords, sizeof(kWords) / sizeof(kWords[0])).c_str(),
                                      verify);
                    break;
                default:
                    value->ToString(verify, input.ConsumeBool());
                    break;
            }
            break;
        }
        case 1: {
            GenApi::CFloatPtr value(node);
            switch (operation) {
                case 0:
                    value->SetValue(Real(input), verify);
                    break;
                case 1:
                    value->GetValue(verify, input.ConsumeBool());
                    break;
                case 2:
                    value->GetMin();
                    value->GetMax();
                    value->GetUnit();
                    break;
                case 3:
                    value->FromString(Text(input, kWords, sizeof(kWords) / sizeof(kWords[0])).c_str(),
                                      verify);
                    break;
                default:
                    value->ToString(verify, input.ConsumeBool());
                    break;
            }
            break;
        }
        case 2: {
            GenApi::CBooleanPtr value(node);
            switch (operation) {
                case 0:
                    value->SetValue(input.ConsumeBool(), verify);
                    break;
                case 1:
                    value->GetValue(verify, input.ConsumeBool());
                    break;
                case 2:
                    value->FromString(Text(input, kWords, sizeof(kWords) / sizeof(kWords[0])).c_str(),
                                      verify);
                    break;
                default:
                    value->ToString(verify);
                    break;
            }
            break;
        }
        case 3: {
            GenApi::CEnumerationPtr value(node);
            switch (operation) {
                case 0:
                    value->FromString(Text(input, kWords, sizeof(kWords) / sizeof(kWords[0])).c_str(),
                                      verify);
                    break;
                case 1:
                    value->SetIntValue(input.ConsumeBool()
                                           ? input.ConsumeIntegral<int64_t>()
                                           : input.ConsumeIntegralInRange<int64_t>(0, 0x02200040),
                                       verify);
                    break;
                case 2: {
                    GenApi::NodeList_t entries;
                    value->GetEntries(entries);
                    if (!entries.empty()) {
                        GenApi::CEnumEntryPtr entry(
                            entries[input.ConsumeIntegralInRange<size_t>(0, entries.size() - 1)]);
                        if (entry.IsValid() && GenApi::IsAvailable(entry)) {
                            value->SetIntValue(entry->GetValue(), verify);
                        }
                        entry->GetSymbolic();
                    }
                    break;
                }
                case 3: {
                    GenApi::StringList_t symbolics;
                    value->GetSymbolics(symbolics);
                    break;
                }
                case 4: {
                    GenApi::IEnumEntry* entry = value->GetEntryByName(
                        Text(input, kWords, sizeof(kWords) / sizeof(kWords[0])).c_str());
                    if (entry != nullptr) {
                        entry->GetValue();
                        entry->ToString();
                    }
                    break;
                }
                case 5: {
                    GenApi::IEnumEntry* entry = value->GetEntry(input.ConsumeIntegral<int64_t>());
                    if (entry != nullptr) {
                        entry->GetSymbolic();
                    }
                    break;
                }
                case 6: {
                    GenApi::IEnumEntry* entry = value->GetCurrentEntry(verify);
                    if (entry == nullptr) {
                        Fail("an enumeration without a current entry");
                    }
                    break;
                }
                default:
                    value->GetIntValue(verify, input.ConsumeBool());
                    value->ToString();
                    break;
            }
            break;
        }
        case 4: {
            GenApi::CCommandPtr value(node);
            if (operation < 4) {
                value->Execute(verify);
            } else {
                value->IsDone(verify);
            }
            break;
        }
        case 5: {
            GenApi::CStringPtr value(node);
            switch (operation) {
                case 0:
                    value->SetValue(Text(input, kWords, sizeof(kWords) / sizeof(kWords[0])).c_str(), verify);
                    break;
                case 1:
                    value->GetMaxLength();
                    break;
                default:
                    value->GetValue(verify, input.ConsumeBool());
                    break;
            }
            break;
        }
        case 6: {
            GenApi::CCategoryPtr value(node);
            GenApi::FeatureList_t features;
            value->GetFeatures(features);
            for (GenApi::IValue* feature : features) {
                if (feature == nullptr) {
                    Fail("a category lists a null feature");
                }
                if (GenApi::IsReadable(feature)) {
                    feature->ToString();
                }
            }
            break;
        }
        case 7: {
            GenApi::CValuePtr value(node);
            if (operation < 4) {
                value->FromString(Text(input, kWords, sizeof(kWords) / sizeof(kWords[0])).c_str(), verify);
            } else {
                value->ToString(verify, input.ConsumeBool());
            }
            break;
        }
        default:
            if (node != nullptr) {
                node->GetName(input.ConsumeBool());
                node->GetDisplayName();
                node->GetDescription();
                node->GetToolTip();
                node->GetVisibility();
                node->GetPrincipalInterfaceType();
                node->IsFeature();
                if (node->GetNodeMap() == nullptr) {
                    Fail("a node without its node map");
                }
            }
            break;
    }
}

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
        if (grabber_->GetWaitObject().Wait(input.ConsumeIntegralInRange<unsigned>(0, 5))) {
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

void Run(FuzzedDataProvider& input, const Camera& camera) {
    IQuillDevice* device = camera.layer->CreateDevice(camera.info);
    if (device == nullptr) {
        Fail("a listed camera gave no device");
    }
    try {
        device->Open(Stream + Control + Event);
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
                                        Text(input, kNames, sizeof(kNames) / sizeof(kNames[0])).c_str()));
                        }
                        break;
                    }
                    default:
                        UseNode(input, features->GetNode(
                                           Text(input, kNames, sizeof(kNames) / sizeof(kNames[0])).c_str()));
                        break;
                }
            } catch (const GenICam::GenericException&) {
                // A refusal of the SDK's own kind: what every caller handles.
            }
        }
    } catch (const GenICam::GenericException&) {
    }
    camera.layer->DestroyDevice(device);
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
    const char* serial = kSerials[input.ConsumeIntegralInRange<size_t>(0, 1)];
    try {
        // Powered up afresh: settings of the last input do not carry over.
        if (!control.Configure(serial, "trigger_source", "Line1")) {
            Fail("the camera could not be reset");
        }
        const std::vector<Camera> cameras = ListCameras();
        for (const Camera& camera : cameras) {
            if (camera.info.GetSerialNumber() == serial) {
                Run(input, camera);
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
    if (control.GetLiveDeviceCount() != 0) {
        Fail("a device object outlived its input");
    }
    return 0;
}
