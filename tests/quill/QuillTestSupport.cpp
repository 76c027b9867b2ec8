#include "QuillTestSupport.h"

#include <thread>

namespace QuillTest {

using namespace Quill;

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

std::vector<ListedCamera> ListCameras() {
    std::vector<ListedCamera> cameras;
    CTlFactory& factory = CTlFactory::GetInstance();
    TlInfoList layers;
    factory.EnumerateTls(layers);
    for (const CTlInfo& info : layers) {
        ITransportLayer* layer = factory.CreateTl(info);
        if (layer == nullptr) {
            continue;
        }
        DeviceInfoList devices;
        try {
            layer->EnumerateDevices(devices);
        } catch (const GenICam::GenericException&) {
            continue;
        }
        for (const CDeviceInfo& device : devices) {
            cameras.push_back(ListedCamera{layer, device});
        }
    }
    return cameras;
}

Device::Device(const char* serial, bool open) {
    for (const ListedCamera& camera : ListCameras()) {
        if (camera.info.GetSerialNumber() == serial) {
            layer_ = camera.layer;
            device_ = layer_->CreateDevice(camera.info);
            break;
        }
    }
    if (device_ == nullptr) {
        throw std::runtime_error(std::string("no emulated camera ") + serial);
    }
    if (open) {
        device_->Open(Stream + Control + Event);
    }
}

Device::~Device() {
    Destroy();
}

void Device::Destroy() {
    if (device_ != nullptr) {
        layer_->DestroyDevice(device_);
        device_ = nullptr;
    }
}

void Device::UseSize(int64_t width, int64_t height, const char* pixelFormat) {
    if (pixelFormat != nullptr) {
        Enumeration("PixelFormat")->FromString(pixelFormat);
    }
    Integer("Width")->SetValue(width);
    Integer("Height")->SetValue(height);
    // A short exposure keeps the frame rate high.
    Float("ExposureTimeAbs")->SetValue(1000.0);
}

GrabSession::GrabSession(Device& device, size_t bufferCount, size_t bufferSize)
    : device_(device), grabber_(device->GetStreamGrabber(0)) {
    const size_t payload = size_t(device.Integer("PayloadSize")->GetValue());
    bufferSize_ = bufferSize != 0 ? bufferSize : payload;
    grabber_->Open();
    GenApi::CIntegerPtr(grabber_->GetNodeMap()->GetNode("MaxBufferSize"))
        ->SetValue(int64_t(std::max(payload, bufferSize_)));
    GenApi::CIntegerPtr(grabber_->GetNodeMap()->GetNode("MaxNumBuffer"))->SetValue(int64_t(bufferCount));
    grabber_->PrepareGrab();
    memory_.assign(bufferCount, std::vector<uint8_t>(bufferSize_));
    for (auto& buffer : memory_) {
        handles_.push_back(grabber_->RegisterBuffer(buffer.data(), buffer.size()));
        grabber_->QueueBuffer(handles_.back(), &buffer);
    }
}

GrabSession::~GrabSession() {
    // Each step on its own: after a removal every call throws.
    auto guarded = [](const std::function<void()>& step) {
        try {
            step();
        } catch (const GenICam::GenericException&) {
        }
    };
    guarded([this] { Stop(); });
    guarded([this] { grabber_->CancelGrab(); });
    guarded([this] {
        GrabResult result;
        while (grabber_->RetrieveResult(result)) {
        }
    });
    for (StreamBufferHandle handle : handles_) {
        guarded([this, handle] { grabber_->DeregisterBuffer(handle); });
    }
    guarded([this] { grabber_->FinishGrab(); });
    guarded([this] { grabber_->Close(); });
}

void GrabSession::Start() {
    device_.Command("AcquisitionStart")->Execute();
}

void GrabSession::Stop() {
    device_.Command("AcquisitionStop")->Execute();
}

bool GrabSession::Next(GrabResult& result, unsigned int timeoutMs) {
    return grabber_->GetWaitObject().Wait(timeoutMs) && grabber_->RetrieveResult(result);
}

void GrabSession::Requeue(const GrabResult& result) {
    grabber_->QueueBuffer(result.Handle(), result.Context());
}

Pattern::FrameNumberReading ReadFrame(const GrabResult& result, const std::string& pixelFormat) {
    const Pattern::LumaSampler sampler = Pattern::MakeCameraLumaSampler(pixelFormat.c_str(), result.Buffer(),
                                                                        result.GetSizeX(), result.GetSizeY());
    return Pattern::ReadFrameNumber(result.GetSizeX(), result.GetSizeY(), sampler);
}

void QuillTest::SetUp() {
    Emulator().LoadDefaultProfiles();
}

void QuillTest::TearDown() {
    // Loading profiles joins every SDK thread; what is left was leaked by the test.
    Emulator().LoadDefaultProfiles();
    EXPECT_EQ(0u, Emulator().GetLiveDeviceCount());
    EXPECT_EQ(0u, Emulator().GetLiveThreadCount());
}

}  // namespace QuillTest
